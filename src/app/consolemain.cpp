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
    switch (remote::classify(arguments)) {
    case remote::Start::Command:
        return remote::runCommandLine(arguments);
    case remote::Start::Help:
        std::printf("%s\n", remote::helpText(surface::kDefaultPort).toLocal8Bit().constData());
        return 0;
    case remote::Start::Unknown:
        std::fprintf(stderr, "%s\n", remote::unknownArgumentText(arguments).toLocal8Bit().constData());
        return 1;
    case remote::Start::Window:
        break;
    }
    // Detached and without our handles, so that the prompt, or a script reading
    // our output, does not wait for the window to close.
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("KorvistDriver.exe"));
    if (!QProcess::startDetached(program, arguments)) {
        std::fprintf(stderr, "%s could not be started\n", QDir::toNativeSeparators(program).toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
