#pragma once

#include <QStringList>

// A second start with control arguments: a client of the running instance's
// channel that prints its answer and ends with the answer's exit code.
namespace remote {

// Whether the arguments (without the program's name) ask for a command rather than the window.
bool isCommandLine(const QStringList &arguments);
// Sends the command and waits at most kSilenceMs for the answer; gives the exit code.
int runCommandLine(const QStringList &arguments);
// A later start without a command is the user asking to see the running program:
// its window comes up. Quiet, as that start ends at once whatever the answer.
void showRunningInstance();

} // namespace remote
