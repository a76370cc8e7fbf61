#pragma once

class QCoreApplication;

// When the system asks the program to end (a logout, Ctrl+C, a service
// manager's stop), the event loop ends exactly as through the tray menu's
// "Quit": with exit code 0, followed by the ordinary teardown that releases
// the single-instance guard and the pipes.
void quitOnTerminationRequests(QCoreApplication &app);
