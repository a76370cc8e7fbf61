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
// Every option, for --help; the surfaces' port is theirs to say.
QString helpText(int defaultOscPort);
// The refusal of a start with an argument nobody knows.
QString unknownArgumentText(const QStringList &arguments);
// The text and a line break, as a console shows it; nothing for no text.
void printLine(std::FILE *stream, const QString &text);
// Sends the command and waits at most kSilenceMs for the answer; gives the exit code.
int runCommandLine(const QStringList &arguments);
// A later start without a command is the user asking to see the running program:
// its window comes up. Quiet, as that start ends at once whatever the answer.
void showRunningInstance();

} // namespace remote
