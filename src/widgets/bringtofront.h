#pragma once

class QWidget;

// Shows a top-level window in front of the others, restored if it was
// minimised: a window asked for must come up where the user can reach it, also
// for a user without a taskbar to click.
void bringToFront(QWidget *window);
