#include <commandline.h>
#include <surfacesettings.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <cstdio>

// KorvistDriver.com, the console twin of the GUI program beside it. cmd and
// PowerShell wait only for a console program and show only its output, and
// cmd's PATHEXT puts .COM before .EXE: "KorvistDriver --get KEY" typed at a
// prompt runs this one and reads the answer. The window stays the .exe's.
int main(int argc, char **argv)
{
    // Qt's list: it keeps what the system code page cannot.
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (const remote::Start start = remote::classify(arguments); start != remote::Start::Window)
        return remote::runWithoutWindow(start, arguments, surface::kDefaultPort, surface::kDefaultPhonePort);
    // Detached and without our handles, so that the prompt, or a script reading
    // our output, does not wait for the window to close.
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("KorvistDriver.exe"));
    if (!QProcess::startDetached(program, arguments)) {
        remote::printLine(stderr, QDir::toNativeSeparators(program) + QStringLiteral(" could not be started"));
        return 1;
    }
    return 0;
}
