#!/bin/sh
# Runs one test program with Qt's accessibility live, as it is under a screen
# reader: a private session bus with the accessibility bus started on it, an X
# server, and Qt's AT-SPI bridge switched on although no reader listens.
# Qt only reports accessibility events while its bridge is active.
set -eu
exec dbus-run-session -- sh -c '
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
    exec xvfb-run -a env QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@"' sh "$@"
