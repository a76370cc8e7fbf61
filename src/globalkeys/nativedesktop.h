#pragma once

#include <QString>

namespace globalkeys {

// What the platform's key grabs need of the toolkit: on X11 the xcb
// connection Qt reads its events from, null where Qt runs on no X display
// (Wayland, offscreen). Windows needs nothing: its keys are the thread's.
void *keyboardConnection();

// Why this desktop session lends no keys to a program, or nothing where it does.
QString whyNoKeys();

} // namespace globalkeys
