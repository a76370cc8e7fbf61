#include "korvistprocess.h"

#include <QDeadlineTimer>
#include <QtTest>

#include <grp.h>
#include <unistd.h>

KorvistProcess::KorvistProcess(QObject *parent)
    : QObject(parent)
{
    process.setProcessChannelMode(QProcess::MergedChannels);
    connect(&process, &QProcess::readyRead, this, [this] { output += process.readAll(); });
}

KorvistProcess::~KorvistProcess()
{
    // Ended in order where it still listens, so that it leaves no System V objects behind.
    if (isRunning())
        process.terminate();
    if (isRunning() && !process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

void KorvistProcess::start(const QStringList &extraEnvironment, int asUser)
{
    if (asUser >= 0) {
        process.setChildProcessModifier([asUser] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid_t(asUser)) != 0 || ::setuid(uid_t(asUser)) != 0)
                ::_exit(127);
        });
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &assignment : extraEnvironment)
        environment.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
    start({QStringLiteral(KORVIST_DRIVER_PATH)}, environment);
}

void KorvistProcess::start(const QStringList &command, const QProcessEnvironment &environment)
{
    process.setProcessEnvironment(environment);
    process.start(command.first(), command.mid(1));
    QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));
}

bool KorvistProcess::waitForLog(const QString &text, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!log().contains(text)) {
        if (deadline.hasExpired() || !isRunning())
            return log().contains(text);
        process.waitForReadyRead(50);
        output += process.readAll();
    }
    return true;
}

bool KorvistProcess::waitForExit(int timeoutMs)
{
    const bool finished = process.state() == QProcess::NotRunning || process.waitForFinished(timeoutMs);
    output += process.readAll();
    return finished;
}

void KorvistProcess::kill9()
{
    process.kill();
    process.waitForFinished(10000);
}

void KorvistProcess::terminate()
{
    process.terminate();
    process.waitForFinished(10000);
}
