#pragma once

// The system's requests that the program end (a logout, Ctrl+C in a terminal,
// a service manager's stop), handed to an event loop as a readable descriptor,
// so that they can end the program in the ordinary way. The signal handler
// only writes a byte; everything else happens in the event loop.
namespace platform {

// Installs the handlers on the first call and gives the descriptor that turns
// readable with each request (one byte each), or -1 when there is nothing to
// watch: on Windows a GUI program has no console, and the end of the session
// reaches it as a window message.
int terminationRequests();
// Takes the requests that arrived off the descriptor, so that it stops being readable.
void clearTerminationRequests();

} // namespace platform
