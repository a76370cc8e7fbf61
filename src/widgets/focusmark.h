#pragma once

#include <Qt>

// Whether a control shows its focus mark after gaining focus for `reason`,
// given whether it showed it until then. Keyboard navigation shows it and a
// click hides it, so that the mouse-driven look never changes; focus that
// only comes back (the window activated again, a knob's edit box closed)
// keeps what was there.
inline bool focusMarkShown(Qt::FocusReason reason, bool shownBefore)
{
    switch (reason) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        return true;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::OtherFocusReason:
        return shownBefore;
    default:
        return false;
    }
}
