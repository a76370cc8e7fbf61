#include "spokenmenu.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QWindow>

// Told once the menu has the keyboard. On X11 the window beneath is then told
// active again, and a reader that hears that after the entry speaks the window
// instead; a window system that leaves the keyboard with the window beneath
// tells nothing, and the reader hears the entries from the first arrow key on.
SpokenMenu::SpokenMenu(QWidget *parent)
    : QMenu(parent)
{
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *window) {
        if (window && window == windowHandle())
            tellFirstEntry();
    });
}

void SpokenMenu::tellFirstEntry()
{
    if (actions().isEmpty() || activeAction() || !QAccessible::isActive())
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(0);
    QAccessible::updateAccessibility(&focus);
}
