#include "wineprogram.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

WineSetup WineSetup::fromEnvironment()
{
    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    return {system.value(QStringLiteral("KORVIST_WINE_MSI")), system.value(QStringLiteral("KORVIST_WINE_OLDER_MSI")),
            system.value(QStringLiteral("KORVIST_WINE_SIM")), system.value(QStringLiteral("WINEPREFIX")),
            system.value(QStringLiteral("KORVIST_WINE_SIMCTL")), {}};
}

bool WineSetup::hasStartMenuEntry() const
{
    const QString entry = QStringLiteral("/Microsoft/Windows/Start Menu/Programs/Korvist Mixer/Korvist Mixer.lnk");
    return QFile::exists(prefix + QStringLiteral("/drive_c/ProgramData") + entry) ||
           QFile::exists(roamingDir() + entry);
}

QString WineSetup::roamingDir() const
{
    return prefix + QStringLiteral("/drive_c/users/%1/AppData/Roaming").arg(qEnvironmentVariable("USER", "root"));
}

QStringList WineSetup::command(const QStringList &windowsCommand) const
{
    QStringList quoted;
    for (const QString &word : windowsCommand)
        quoted << '\'' + QString(word).replace('\'', QStringLiteral("'\\''")) + '\'';
    return {QStringLiteral("script"), QStringLiteral("-qfec"), QStringLiteral("wine ") + quoted.join(' '),
            QStringLiteral("/dev/null")};
}

QProcessEnvironment WineSetup::environment(const QStringList &extra) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("WINEPREFIX"), prefix);
    environment.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    environment.insert(QStringLiteral("DISPLAY"), display);
    for (const QString &assignment : extra)
        environment.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
    return environment;
}

bool WineSetup::restartSession() const
{
    for (const char *option : {"-k", "-p"}) {
        QProcess server;
        server.setProcessEnvironment(environment());
        // The persistent server outlives this call: it must not hold our pipes.
        server.setStandardOutputFile(QProcess::nullDevice());
        server.setStandardErrorFile(QProcess::nullDevice());
        server.start(QStringLiteral("wineserver"), {QLatin1String(option)});
        if (!server.waitForFinished(60000))
            return false;
    }
    return true;
}

int WineSetup::run(const QStringList &windowsCommand, QString *output, int timeoutMs) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setProcessChannelMode(QProcess::MergedChannels);
    // Console programs write to a pipe as they are; only the program's log needs the terminal.
    process.start(QStringLiteral("wine"), windowsCommand);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QStringList WineSetup::typeAtPrompt(const QString &folder, const QStringList &lines, int timeoutMs) const
{
    QProcess cmd;
    cmd.setProcessEnvironment(environment());
    cmd.setProcessChannelMode(QProcess::MergedChannels);
    cmd.setWorkingDirectory(folder);
    cmd.start(QStringLiteral("wine"), {QStringLiteral("cmd")});
    // "Z:\folder>" on a line of its own; what a line printed comes before the next one.
    static const QRegularExpression prompt(QStringLiteral("(^|\\n)[A-Z]:\\\\[^\\r\\n>]*>"));
    QString shown;
    const QDeadlineTimer deadline(timeoutMs);
    const auto waitForPrompts = [&](qsizetype count) {
        while (shown.split(prompt).size() <= count && cmd.waitForReadyRead(int(deadline.remainingTime())))
            shown += QString::fromLocal8Bit(cmd.readAll());
    };
    for (qsizetype line = 0; line < lines.size(); ++line) {
        waitForPrompts(line + 1);
        cmd.write((lines[line] + QStringLiteral("\r\n")).toLocal8Bit());
    }
    waitForPrompts(lines.size() + 1);
    cmd.closeWriteChannel();
    if (!cmd.waitForFinished(int(deadline.remainingTime())))
        cmd.kill();
    cmd.waitForFinished();
    QStringList answers = shown.split(prompt).mid(1, lines.size());
    for (QString &answer : answers)
        answer = answer.trimmed();
    return answers;
}

QString WineSetup::registryValue(const QString &key, const QString &name) const
{
    QString output;
    if (run({QStringLiteral("reg"), QStringLiteral("query"), key, QStringLiteral("/v"), name}, &output) != 0)
        return {};
    // "    <name>    REG_SZ    <data>"
    const QRegularExpression line(QStringLiteral("^\\s*%1\\s+REG_\\w+\\s+(.*?)\\s*$")
                                      .arg(QRegularExpression::escape(name)),
                                  QRegularExpression::MultilineOption);
    return line.match(output).captured(1);
}

QStringList WineSetup::installedVersions() const
{
    QString output;
    run({QStringLiteral("reg"), QStringLiteral("query"),
         QStringLiteral("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"), QStringLiteral("/s")},
        &output);
    // One block of values per installed program, each under its key's line.
    static const QRegularExpression version(QStringLiteral("^\\s*DisplayVersion\\s+REG_SZ\\s+(\\S+)"),
                                            QRegularExpression::MultilineOption);
    QStringList versions;
    for (const QString &program : output.split(QStringLiteral("\nHKEY_"))) {
        if (program.contains(QRegularExpression(QStringLiteral("DisplayName\\s+REG_SZ\\s+Korvist Mixer\\s*\\n"))))
            versions << version.match(program).captured(1);
    }
    return versions;
}

QString windowsPath(const QString &unixPath)
{
    return QStringLiteral("Z:") + QString(unixPath).replace('/', '\\');
}

QString consoleText(const QString &terminalOutput)
{
    static const QRegularExpression control(QStringLiteral("\x1b\\[[0-9;?]*[A-Za-z]|\r"));
    // A blank arrives as "clear to the end of the line, one step right".
    return QString(terminalOutput).replace(QStringLiteral("\x1b[K\x1b[1C"), QStringLiteral(" ")).remove(control);
}
