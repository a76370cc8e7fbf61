#pragma once

#include <QStringList>

#include <cstdio>

// A second start with control arguments: a client of the running instance's
// channel that prints its answer and ends with the answer's exit code.
namespace remote {

// What a start's arguments (without the program's name) ask for.
enum class Start {
    Window,  // the program, with no arguments or only Qt's own
    Command, // a command for the running program
    Help,    // --help: the options, printed
    Unknown, // anything else: refused, and nothing starts
};
Start classify(const QStringList &arguments);
// The text and a line break, as a console shows it; nothing for no text.
void printLine(std::FILE *stream, const QString &text);
// For every start but Window: prints the help or the refusal of an unknown
// argument, or sends the command and waits at most kRequestMs for the answer
// (a QCoreApplication must exist). Gives the exit code. The help names the
// surfaces' default port, which is theirs to say.
int runWithoutWindow(Start start, const QStringList &arguments, int defaultOscPort, int defaultWebPort);
// A later start without a command is the user asking to see the running program:
// its window comes up. Quiet, as that start ends at once whatever the answer.
void showRunningInstance();

} // namespace remote
