#include "korvistprocess.h"

#include <isolation.h>

#include <QDeadlineTimer>
#include <QSysInfo>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <algorithm>
#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

namespace {
constexpr int kWaitMs = 60000;
const QString kDriver = QStringLiteral(KORVIST_DRIVER_PATH);
const QString kListening = QStringLiteral("Remote control listening");

int run(const QStringList &arguments)
{
    QProcess process;
    process.start(kDriver, arguments);
    return process.waitForFinished(kWaitMs) && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

quint16 freePort(const QString &type)
{
    if (type == QLatin1String("_osc._udp")) {
        QUdpSocket probe;
        return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
    }
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// avahi-browse's parsable output escapes a name's spaces and dots ("Korvist\032Mixer").
QString unescaped(const QString &label)
{
    const QByteArray in = label.toUtf8();
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const QByteArray code = in.mid(i + 1, 3);
        if (in[i] != '\\' || i + 1 == in.size()) {
            out += in[i];
        } else if (code.size() == 3 && std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            out += char(code.toInt());
            i += 3;
        } else {
            out += in[++i];
        }
    }
    return QString::fromUtf8(out);
}

// "NAME PORT" of each service of the type that avahi-browse finds and resolves.
QStringList announced(const QString &type)
{
    QProcess browse;
    browse.start(QStringLiteral("avahi-browse"), {QStringLiteral("-rpt"), type});
    if (!browse.waitForFinished(kWaitMs)) {
        browse.kill();
        browse.waitForFinished();
        return {};
    }
    QStringList services;
    for (const QString &line : QString::fromUtf8(browse.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (const QStringList fields = line.split(QLatin1Char(';')); fields.size() > 8 && fields[0] == QLatin1String("="))
            services << unescaped(fields[3]) + QLatin1Char(' ') + fields[8];
    return services;
}

// Each look takes avahi-browse a second or so, which QTRY's count of its own steps would not see.
bool becomes(bool listed, const QString &type, const QString &service)
{
    const QDeadlineTimer deadline(kWaitMs);
    while (announced(type).contains(service) != listed)
        if (deadline.hasExpired())
            return false;
    return true;
}

// An avahi-daemon of the test's own, on a system bus of its own, kept to the
// loopback interface: nothing the test announces goes beyond this machine.
class LoopbackAvahi
{
public:
    ~LoopbackAvahi()
    {
        stopDaemon();
        bus.terminate();
        bus.waitForFinished(kWaitMs);
    }

    // Empty once both run; otherwise why not.
    QString start()
    {
        // They end with the test, even one that crashes.
        for (QProcess *process : {&bus, &daemon})
            process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        write(QStringLiteral("bus.conf"),
              "<busconfig><type>system</type><listen>unix:path=" + dir.filePath(QStringLiteral("bus")).toUtf8()
                  + "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/>"
                    "<allow send_type=\"method_call\"/><allow send_type=\"signal\"/>"
                    "<allow send_type=\"method_return\"/><allow send_type=\"error\"/>"
                    "<allow receive_type=\"method_call\"/><allow receive_type=\"signal\"/>"
                    "<allow receive_type=\"method_return\"/><allow receive_type=\"error\"/></policy></busconfig>\n");
        write(QStringLiteral("avahi.conf"),
              "[server]\nallow-interfaces=lo\nenable-dbus=yes\n[publish]\npublish-workstation=no\n");
        bus.start(QStringLiteral("dbus-daemon"), {"--config-file=" + dir.filePath(QStringLiteral("bus.conf")),
                                                  QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (!bus.waitForReadyRead(kWaitMs))
            return QStringLiteral("dbus-daemon did not start: ") + QString::fromUtf8(bus.readAllStandardError());
        // Read by avahi-daemon, the program and avahi-browse alike.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.readLine().trimmed());
        return startDaemon() ? QString() : QStringLiteral("avahi-daemon did not start: ") + output;
    }
    bool startDaemon()
    {
        output.clear();
        daemon.setProcessChannelMode(QProcess::MergedChannels);
        daemon.start(QStringLiteral("avahi-daemon"),
                     {QStringLiteral("-f"), dir.filePath(QStringLiteral("avahi.conf")), QStringLiteral("--no-drop-root"),
                      QStringLiteral("--no-chroot"), QStringLiteral("--no-rlimits")});
        while (!output.contains(QLatin1String("Server startup complete")) && daemon.waitForReadyRead(kWaitMs))
            output += QString::fromUtf8(daemon.readAll());
        return output.contains(QLatin1String("Server startup complete"));
    }
    void stopDaemon()
    {
        daemon.terminate();
        daemon.waitForFinished(kWaitMs);
    }

private:
    void write(const QString &name, const QByteArray &text)
    {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
    }

    QTemporaryDir dir;
    QProcess bus;
    QProcess daemon;
    QString output;
};

} // namespace

// The running program's ways in, announced by DNS-SD while they serve an
// allowed network, as avahi-browse finds them; and withdrawn.
class TestDnsSd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *tool : {"avahi-browse", "avahi-daemon", "dbus-daemon"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                noAvahi = QStringLiteral("Needs avahi-daemon, avahi-utils and dbus-daemon");
        if (!noAvahi.isEmpty())
            return;
        // A daemon of the machine's is used as it is: only one may run.
        if (QProcess::execute(QStringLiteral("avahi-daemon"), {QStringLiteral("-c")}) == 0)
            return;
        if (::geteuid() != 0) {
            noAvahi = QStringLiteral("avahi-daemon is not running, and only root may start one");
            return;
        }
        ownAvahi = std::make_unique<LoopbackAvahi>();
        startFailed = ownAvahi->start();
    }
    void cleanupTestCase() { ownAvahi.reset(); }

    void announcement_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("on");   // command lines for the running program (PORT: the service's),
                                               // or "avahi-publish": another program announces the name first
        QTest::addColumn<QString>("then");     // a command line, "background" (the session leaves the console)
                                               // or "restart avahi-daemon"
        QTest::addColumn<bool>("listed");      // afterwards
        const QStringList osc {"--osc-allow 127.0.0.0/16", "--osc on PORT"};
        const QStringList web {"--osc-allow 127.0.0.0/16", "--web on PORT"};
        QTest::newRow("osc") << "_osc._udp" << osc << "--osc off" << false;
        QTest::newRow("web") << "_http._tcp" << web << "--web off" << false;
        // No one else may connect: the name alone would go out.
        QTest::newRow("osc for this computer only") << "_osc._udp" << osc << "--osc-allow none" << false;
        QTest::newRow("web in the background") << "_http._tcp" << web << "background" << false;
        QTest::newRow("osc after avahi-daemon restarts") << "_osc._udp" << osc << "restart avahi-daemon" << true;
        QTest::newRow("osc beside another of its name") << "_osc._udp" << QStringList {"avahi-publish"} + osc
                                                        << "--osc off" << false;
    }
    void announcement()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, on);
        QFETCH(QString, then);
        QFETCH(bool, listed);
        if (!noAvahi.isEmpty())
            QSKIP(qPrintable(noAvahi));
        QVERIFY2(startFailed.isEmpty(), qPrintable(startFailed));
        if (then.startsWith(QLatin1String("restart")) && !ownAvahi)
            QSKIP("The machine's avahi-daemon is not the test's to restart");
        Isolation isolation;
        KorvistProcess program;
        program.start();
        QVERIFY2(program.waitForLog(kListening), qPrintable(program.log()));
        const QString port = QString::number(freePort(type));
        const QString name = QStringLiteral("Korvist Mixer on ") + QSysInfo::machineHostName();
        QProcess other;
        other.setProcessChannelMode(QProcess::MergedChannels);
        const auto stopOther = qScopeGuard([&other] {
            other.terminate();
            other.waitForFinished();
        });
        for (const QString &command : on) {
            if (command != QLatin1String("avahi-publish")) {
                QCOMPARE(run(QString(command).replace(QLatin1String("PORT"), port).split(QLatin1Char(' '))), 0);
                continue;
            }
            other.start(command, {QStringLiteral("-s"), name, type, QStringLiteral("1")});
            QByteArray said;
            while (!said.contains("Established") && other.waitForReadyRead(kWaitMs))
                said += other.readAll();
            QVERIFY2(said.contains("Established"), said.constData());
        }
        // Avahi's next free name while another has this one.
        const QString service = name + (on.contains(QLatin1String("avahi-publish")) ? " #2 " : " ") + port;
        QVERIFY2(becomes(true, type, service), qPrintable(program.log()));

        if (then == QLatin1String("background")) {
            QFile session(isolation.runtimeDir() + QStringLiteral("/korvist/session"));
            QVERIFY(session.open(QIODevice::WriteOnly) && session.write("background\n") > 0);
            session.close();
        } else if (then.startsWith(QLatin1String("restart"))) {
            ownAvahi->stopDaemon();
            QVERIFY(ownAvahi->startDaemon());
        } else {
            QCOMPARE(run(then.split(QLatin1Char(' '))), 0);
        }
        QVERIFY2(becomes(listed, type, service), qPrintable(program.log()));
    }
    // Without a daemon to reach, the reason is told once, however often the surfaces are turned on.
    void unavailableToldOnce()
    {
        Isolation isolation;
        KorvistProcess program;
        program.start({"DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + isolation.root() + "/no-bus"});
        QVERIFY2(program.waitForLog(kListening), qPrintable(program.log()));
        const QString port = QString::number(freePort(QStringLiteral("_osc._udp")));
        for (const QString &command : QStringList {"--osc-allow 127.0.0.0/16", "--osc on " + port, "--osc off", "--osc on " + port})
            QCOMPARE(run(command.split(QLatin1Char(' '))), 0);
        const QString told = QStringLiteral("Not announced on the network: avahi-daemon cannot be reached");
        QVERIFY2(program.waitForLog(told), qPrintable(program.log()));
        QCOMPARE(run({QStringLiteral("--osc")}), 0);
        QCOMPARE(program.log().count(told), 1);
    }

private:
    std::unique_ptr<LoopbackAvahi> ownAvahi;
    QString noAvahi;
    QString startFailed;
};

QTEST_GUILESS_MAIN(TestDnsSd)
#include "tst_dnssd.moc"
