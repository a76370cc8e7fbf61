#include "korvistprocess.h"

#include <isolation.h>
#include <simdevice.h>

#include <QNetworkDatagram>
#include <QtEndian>
#include <QNetworkInterface>
#include <QStandardPaths>
#include <QUdpSocket>
#include <QtTest>

#include <csignal>

namespace {
constexpr int kWaitMs = 20000;
const QString kDriver = QStringLiteral(KORVIST_DRIVER_PATH);

struct Ran
{
    int code = -1;
    QByteArray out;
};

Ran run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    const bool ended = process.waitForFinished(kWaitMs) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, process.readAllStandardOutput()};
}

// liblo's bytes for a message, so that what the program reads is another implementation's OSC.
QByteArray encoded(const QStringList &words)
{
    return run(QStringLiteral("oscsend"), QStringList {QStringLiteral("-")} + words).out;
}

// One datagram holding these messages as a bundle's elements.
QByteArray bundle(const QByteArray &message, int times)
{
    QByteArray datagram("#bundle\0\0\0\0\0\0\0\0\1", 16);
    const quint32 size = qToBigEndian(quint32(message.size()));
    for (int i = 0; i < times; ++i)
        datagram += QByteArray(reinterpret_cast<const char *>(&size), sizeof size) + message;
    return datagram;
}

quint16 freePort()
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
}

QHostAddress notLoopback()
{
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces())
        for (const QNetworkAddressEntry &entry : interface.addressEntries())
            if (interface.flags().testFlag(QNetworkInterface::IsUp) && !entry.ip().isLoopback()
                && entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return entry.ip();
    return {};
}

} // namespace

// The running program as an OSC endpoint, driven by liblo's tools and by raw datagrams, against korvist-sim.
class TestOsc : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *tool : {"oscsend", "oscsendfile", "oscdump"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP("Needs liblo-tools (oscsend, oscsendfile, oscdump)");
    }
    void surface_data()
    {
        QTest::addColumn<QString>("setup");        // run before anything is counted, ';' between commands
        QTest::addColumn<QString>("via");          // oscsend, oscsendfile, udp (the test's socket), udp held (the
                                                   // program stopped, as if busy, while raw comes), udp ::1 (on IPv6's
                                                   // loopback), foreign, or foreign burst (raw from another host, steps
                                                   // by oscsend)
        QTest::addColumn<QByteArrayList>("raw");   // datagrams the test's socket sends first
        QTest::addColumn<QStringList>("steps");    // messages in oscsend's words (PORT: the program's), or a command
                                                   // line "--..."
        QTest::addColumn<QString>("device");       // in what the device says afterwards
        QTest::addColumn<int>("most");             // device requests at most, -1 any
        QTest::addColumn<QString>("get");          // KEY=VALUE that --get shows afterwards
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("heard");        // by the subscribed oscdump, '|' between lines; "!" never heard
        QTest::addColumn<QString>("reply");        // back to the sender: a /korvist/refused text, or "/address s text";
                                                   // PORT as in steps
        const QString p48 = "48V on MIC1 is switched on by hand or by a script only: it stays off";
        QStringList storm;
        for (int i = 1; i <= 100; ++i)
            storm << QString("/korvist/Mic1Value/fader f %1").arg(i / 100.0);
        // The device counts a gain in half decibels; a raise goes 6 dB a request at most.
        QTest::newRow("value") << "" << "oscsend" << QByteArrayList() << QStringList {"/korvist/Mic1Value i 20"}
                               << "mic gain 1 set to 40" << 4 << "Mic1Value=20" << "" << "" << "";
        QTest::newRow("a raise in steps") << "" << "udp" << QByteArrayList() << QStringList {"/korvist/Mic1Value i 56"}
                                          << "mic gain 1 set to 12" << 10 << "" << "" << "/korvist/Mic1Value i 56" << "";
        // Where "localhost" names ::1 first (Windows), a client on this computer sends there.
        QTest::newRow("from IPv6's loopback") << "" << "udp ::1" << QByteArrayList()
                                              << QStringList {"/korvist/Mic1Value i 20", "/korvist/ping"}
                                              << "mic gain 1 set to 40" << 4 << "Mic1Value=20" << "" << ""
                                              << "/korvist/pong s rk2";
        QTest::newRow("fader") << "" << "oscsend" << QByteArrayList() << QStringList {"/korvist/Mic2Value/fader f 0.5"}
                               << "mic gain 2 set to 56" << 5 << "Mic2Value=28" << "" << "" << "";
        QTest::newRow("toggle") << "--set Mic120dBIsChecked=on" << "oscsend" << QByteArrayList()
                                << QStringList {"/korvist/Mic120dBIsChecked"} << "mic 1 20 dB pad off" << 1
                                << "Mic120dBIsChecked=false" << "" << "" << "";
        QTest::newRow("preset") << "--set Mic1Value=30;--preset-save p;--set Mic1Value=10" << "oscsend"
                                << QByteArrayList() << QStringList {"/korvist/preset/load s p"}
                                << "mic gain 1 set to 60" << -1 << "Mic1Value=30" << "" << "" << "";
        QTest::newRow("subscriber hears --set") << "" << "oscsend" << QByteArrayList()
                                                << QStringList {"--set Mic1Value=25"} << "" << 1 << ""
                                                << "" << "/korvist/Mic1Value i 25" << "";
        QTest::newRow("subscriber hears an unplug") << "" << "oscsend" << QByteArrayList() << QStringList {"unplug"}
                                                    << "" << 0 << "" << "" << "/korvist/model s \"\"" << "";
        QTest::newRow("phantom power refused") << "" << "udp" << QByteArrayList()
                                               << QStringList {"/korvist/Mic148VIsChecked i 1"} << "" << 0
                                               << "Mic148VIsChecked=false" << "1 changes refused, the last: " + p48
                                               << "" << p48;
        // An IPv6 network, so that no IPv4 address of this machine is in it.
        QTest::newRow("host not allowed") << "--osc-allow fd00::/64" << "foreign" << QByteArrayList()
                                          << QStringList {"/korvist/Mic120dBIsChecked"} << "" << 0 << ""
                                          << "0 unknown and 1 not allowed" << "" << "";
        // Only the last of the rising values reaches the top, 56, in 6 dB steps from the first.
        QTest::newRow("storm") << "" << "oscsendfile" << QByteArrayList() << storm << "mic gain 1 set to 112" << 11
                               << "Mic1Value=56" << "" << "" << "";
        const QByteArrayList malformed {"\xff\xfe not OSC", encoded({"/korvist/Mic1Value", "i", "20"}).chopped(4),
                                        encoded({"/korvist/preset/load", "s", QString(1100, 'x')}),
                                        // Once a hang and a read 2 GB away in oscpack.
                                        QByteArray("#bundle\0\0\0\0\0\0\0\0\1\xff\xff\xff\xfc", 20),
                                        QByteArray("/a\0\0,bb\0\x7f\xff\xff\xf0", 12)};
        // Bursts once left the port deaf for good; the kernel may drop a part of one, never the program.
        const QByteArrayList junk(300, QByteArray("\xff\xfe not OSC"));
        QTest::newRow("burst") << "" << "udp" << junk << QStringList {"/korvist/Mic1Value i 20"} << "mic gain 1 set to 40"
                               << -1 << "Mic1Value=20" << "" << "" << "";
        // A program busy while a burst comes finds the message behind it in its socket's buffer.
        const QByteArrayList burstThenChange = QByteArrayList(400, junk.front()) << encoded({"/korvist/Mic1Value", "i", "20"});
        QTest::newRow("a message right behind a burst of 400") << "" << "udp held" << burstThenChange << QStringList()
                                                               << "mic gain 1 set to 40" << -1 << "" << "" << "" << "";
        const QByteArrayList foreign(300, encoded({"/korvist/Mic1Value", "i", "50"}));
        QTest::newRow("burst from a host not allowed") << "--osc-allow fd00::/64" << "foreign burst" << foreign
                                                       << QStringList {"/korvist/Mic1Value i 20"}
                                                       << "mic gain 1 set to 40" << -1 << "Mic1Value=20" << "" << "" << "";
        // 560 loads: the first at once, the latest at the next preset slot, a third at worst; 16 requests each.
        const QByteArrayList loads(20, bundle(encoded({"/korvist/preset/load", "s", "p"}), 28));
        QTest::newRow("preset flood") << "--set Mic1Value=30;--preset-save p;--set Mic1Value=10" << "udp" << loads
                                      << QStringList {"--get Mic1Value"} << "mic gain 1 set to 60" << 48
                                      << "Mic1Value=30" << "messages past the first 16 of a datagram dropped" << ""
                                      << "";
        const QByteArrayList refused(100, bundle(encoded({"/korvist/Mic148VIsChecked", "i", "1"}), 16));
        QTest::newRow("refusals over the budget") << "" << "udp" << refused << QStringList() << "" << 0
                                                  << "Mic148VIsChecked=false" << "replies over a host's budget not sent"
                                                  << "" << p48;
        // 320 refreshes bring back two full states at most (checked for every row).
        const QByteArrayList refreshes(20, bundle(encoded({"/korvist/refresh"}), 30));
        QTest::newRow("refresh flood") << "" << "udp" << refreshes << QStringList {"/korvist/Mic148VIsChecked i 1"}
                                       << "" << 0 << "" << "" << "" << p48;
        // Its own feedback read as commands: a loop of writes and answers for the whole lease.
        QTest::newRow("self-subscription") << "" << "udp" << QByteArrayList() << QStringList {"/korvist/subscribe i PORT"}
                                           << "" << 0 << "" << "" << ""
                                           << "port PORT is Korvist Mixer's own: subscribe the port your surface listens on";
        // Answered, they would start a loop with any program that answers them in turn.
        const QByteArrayList ownAnswers {encoded({"/korvist/refused", "s", "x"}), encoded({"/korvist/level/MIC1", "f", "0"})};
        QTest::newRow("own answers are no commands") << "" << "udp" << ownAnswers << QStringList() << "" << 0 << ""
                                                     << "2 of the program's own messages come back ignored"
                                                     << "!/korvist/refused" << "";
        // The subscribed oscdump holds one of this host's four leases.
        QTest::newRow("leases of a host") << "" << "udp" << QByteArrayList()
                                          << QStringList {"/korvist/subscribe i 1", "/korvist/subscribe i 2",
                                                          "/korvist/subscribe i 3", "/korvist/subscribe i 4"}
                                          << "" << 0 << "" << "" << "" << "4 surfaces of this host are subscribed already";
        // Each answer also reaches the subscribed port of the sender's host, where its client listens.
        QTest::newRow("answer heard where the client listens")
            << "" << "oscsend" << QByteArrayList() << QStringList {"/korvist/Mic148VIsChecked i 1"} << "" << 0 << ""
            << "" << "/korvist/refused s \"" + p48 + "\"" << "";
        QTest::newRow("preset acknowledged with its note")
            << "--set Mic148VIsChecked=on;--preset-save p48;--set Mic148VIsChecked=off" << "udp" << QByteArrayList()
            << QStringList {"/korvist/preset/load s p48"} << "" << -1 << "Mic148VIsChecked=false" << ""
            << "/korvist/note s \"48V left off on MIC1: switch it on by hand\"" << "/korvist/done s loaded preset \"p48\"";
        // Each flips what the one before it is taking the switch to; the junk's log line comes after the last.
        const QByteArray toggle = encoded({"/korvist/SpeakerMuteIsChecked", "s", "toggle"});
        QTest::newRow("three string toggles") << "" << "udp" << QByteArrayList {"\xff not OSC", toggle, toggle, toggle}
                                              << QStringList() << "mixer block received" << -1
                                              << "SpeakerMuteIsChecked=true" << "" << "" << "";
        QTest::newRow("string value") << "" << "oscsend" << QByteArrayList() << QStringList {"/korvist/Mic120dBIsChecked s on"}
                                      << "mic 1 20 dB pad on" << 1 << "Mic120dBIsChecked=true" << "" << "" << "";
        QTest::newRow("typo") << "" << "udp" << QByteArrayList() << QStringList {"/korvist/mic1value i 20"} << "" << 0
                              << "" << "the last unknown: /korvist/mic1value" << ""
                              << "no control named \"mic1value\" on the rk2: did you mean Mic1Value?";
        // Away from the defaults' positions (0, 0 and 0.75), so that the start's state cannot pass for them.
        QTest::newRow("taper both ways")
            << "" << "udp" << QByteArrayList()
            << QStringList {"/korvist/SpeakerValue/fader f 1", "/korvist/HeadphoneValue/fader f 0.75",
                            "/korvist/OtgToHpValue/fader f 0"}
            << "" << -1 << "HeadphoneValue=0" << ""
            << "/korvist/SpeakerValue i 6|/korvist/SpeakerValue/fader f 1.000000|/korvist/HeadphoneValue/fader f "
               "0.750000|/korvist/OtgToHpValue i -80|/korvist/OtgToHpValue/fader f 0.000000"
            << "";
        // The first move begins at once, the rest follows in steps: the mover's host hears only where it settled.
        QTest::newRow("no echo during a drag")
            << "" << "udp" << QByteArrayList()
            << QStringList {"/korvist/Mic1Value/fader f 0.25", "/korvist/Mic1Value/fader f 0.5",
                            "/korvist/Mic1Value/fader f 0.75"}
            << "mic gain 1 set to 84" << -1 << "Mic1Value=42" << "" << "/korvist/Mic1Value i 42|!/korvist/Mic1Value i 6"
            << "";
        // Above the user's limit, whether as a value or at the fader's top: nothing reaches the device.
        QTest::newRow("above a limit") << "--limit HeadphoneValue=-10" << "udp" << QByteArrayList()
                                       << QStringList {"/korvist/HeadphoneValue i 6", "/korvist/HeadphoneValue/fader f 1"}
                                       << "" << 0 << "HeadphoneValue=-80" << "" << ""
                                       << "6 is above the limit of -10 set for HeadphoneValue: give at most -10, or lift "
                                          "the limit (--limit HeadphoneValue=none)";
        QTest::newRow("list") << "" << "udp" << QByteArrayList() << QStringList {"/korvist/list"} << "" << 0 << "" << ""
                              << "/korvist/list i 16|/korvist/control sssiisi \"OtgToHpValue\" \"Phone To HP Volume\" "
                                 "\"phone level\" -80 6 \"dB\" 0"
                              << "";
        QTest::newRow("malformed") << "" << "udp" << malformed << QStringList {"/korvist/Mic220dBIsChecked"}
                                   << "mic 2 20 dB pad on" << 1 << "" << "4 malformed, 1 oversized, 0 unknown" << ""
                                   << "";
    }
    void surface()
    {
        QFETCH(QString, setup);
        QFETCH(QString, via);
        QFETCH(QByteArrayList, raw);
        QFETCH(QStringList, steps);
        const QString port = QString::number(freePort());
        steps.replaceInStrings("PORT", port);
        QFETCH(QString, device);
        QFETCH(int, most);
        QFETCH(QString, get);
        QFETCH(QString, log);
        QFETCH(QString, heard);
        QFETCH(QString, reply);
        reply.replace("PORT", port);
        const QHostAddress loopback(via.endsWith("::1") ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost);
        const QHostAddress from = via.startsWith("foreign") ? notLoopback() : loopback;
        if (from.isNull())
            QSKIP("No local address but loopback to send from");
        if (from == QHostAddress(QHostAddress::LocalHostIPv6) && !QUdpSocket().bind(from, 0))
            QSKIP("This system has no IPv6 loopback to send from");
        Isolation isolation;
        SimDevice sim(QStringLiteral("rk2"));
        QVERIFY(sim.start());
        KorvistProcess program;
        program.start();
        QVERIFY2(program.waitForLog("Device found with PID:"), qPrintable(program.log()));
        QCOMPARE(run(kDriver, {"--osc", "on", port}).code, 0);

        QUdpSocket sender;
        QVERIFY(sender.bind(from, 0));
        const QByteArray refusal = reply.startsWith('/')
                                     ? encoded({reply.section(' ', 0, 0), reply.section(' ', 1, 1), reply.section(' ', 2)})
                                     : encoded({"/korvist/refused", "s", reply});
        QByteArray replies;
        const auto replied = [&] {
            while (sender.hasPendingDatagrams())
                replies += sender.receiveDatagram().data();
            return replies.contains(refusal);
        };
        const auto perform = [&](const QString &step) {
            if (step == "unplug")
                return sim.stop();
            if (step.startsWith("--"))
                return run(kDriver, step.split(' ')).code == 0;
            if (via == "oscsend" || via == "foreign burst")
                return run("oscsend", QStringList {"localhost", port} + step.split(' ')).code == 0;
            return sender.writeDatagram(encoded(step.split(' ')), loopback, port.toUShort()) > 0;
        };

        QProcess dump;
        const QString dumpPort = QString::number(freePort());
        dump.start("oscdump", {"-L", dumpPort});
        const auto stopDump = qScopeGuard([&] {
            dump.kill();
            dump.waitForFinished();
        });
        QByteArray dumped;
        const auto hears = [&](const QString &text) {
            dumped += dump.readAllStandardOutput();
            return dumped.contains(text.toUtf8());
        };
        // oscdump prints nothing once it listens: ping until the answer reaches it (a renewal sends no state).
        QTRY_VERIFY_WITH_TIMEOUT(run("oscsend", {"localhost", port, "/korvist/subscribe", "i", dumpPort}).code == 0
                                     && run("oscsend", {"localhost", port, "/korvist/ping"}).code == 0
                                     && hears("/korvist/pong s \"rk2\""),
                                 kWaitMs);

        for (const QString &command : setup.split(';', Qt::SkipEmptyParts))
            QVERIFY2(perform(command), qPrintable(command));
        const qsizetype said = sim.output().size();
        const qsizetype sent = sim.requestsSent();
        const bool held = via == "udp held";
        QVERIFY(!held || ::kill(pid_t(program.processId()), SIGSTOP) == 0);
        for (const QByteArray &datagram : raw)
            QVERIFY(sender.writeDatagram(datagram, loopback, port.toUShort()) == datagram.size());
        QVERIFY(!held || ::kill(pid_t(program.processId()), SIGCONT) == 0);
        // Told once they are read: what comes next is not lost behind them in a full queue.
        if (!raw.isEmpty())
            QVERIFY2(program.waitForLog("messages dropped"), qPrintable(program.log()));
        if (via == "oscsendfile") {
            // Each line its own time tag, a microsecond apart, so that each goes as a datagram of its own.
            QFile file(isolation.root() + "/storm.txt");
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (int i = 0; i < steps.size(); ++i)
                file.write(QString("00000001.%1 %2\n").arg(i * 4295, 8, 16, QChar('0')).arg(steps[i]).toUtf8());
            file.close();
            QCOMPARE(run("oscsendfile", {"localhost", port, file.fileName()}).code, 0);
        } else {
            for (const QString &step : steps)
                QVERIFY2(perform(step), qPrintable(step));
        }

        if (!log.isEmpty())
            QVERIFY2(program.waitForLog(log), qPrintable(program.log()));
        QTRY_VERIFY2_WITH_TIMEOUT(sim.output().mid(said).contains(device), qPrintable(sim.output().mid(said)), kWaitMs);
        for (const QString &line : heard.split('|'))
            if (!line.startsWith('!'))
                QTRY_VERIFY2_WITH_TIMEOUT(hears(line), dumped.constData(), kWaitMs);
        for (const QString &line : heard.split('|'))
            QVERIFY2(!line.startsWith('!') || !hears(line.mid(1)), dumped.constData());
        QTRY_VERIFY2_WITH_TIMEOUT(reply.isEmpty() || replied(), replies.constData(), kWaitMs);
        if (!get.isEmpty())
            QCOMPARE(run(kDriver, {"--get", get.section('=', 0, 0)}).out, get.section('=', 1).toUtf8() + '\n');
        QVERIFY2(most < 0 || sim.requestsSent() - sent <= most, qPrintable(sim.output().mid(said)));
        // A full state at once and one for all that came in the interval, however many refreshes came.
        QVERIFY(replies.count(encoded({"/korvist/model", "s", "rk2"})) <= 2);
    }
    // A port another program holds at start: said on standard error and by --osc, and taken once it is free.
    void busyPortAtStart()
    {
        Isolation isolation;
        SimDevice sim(QStringLiteral("rk2"));
        QVERIFY(sim.start());
        const QString port = QString::number(freePort());
        {
            KorvistProcess first;
            first.start();
            QVERIFY2(first.waitForLog("Device found with PID:"), qPrintable(first.log()));
            QCOMPARE(run(kDriver, {"--osc", "on", port}).code, 0);
            first.terminate();
        }
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::LocalHost, port.toUShort(), QAbstractSocket::DontShareAddress));
        KorvistProcess program;
        program.start();
        QVERIFY2(program.waitForLog("trying again every 5 seconds"), qPrintable(program.log()));
        QVERIFY(run(kDriver, {"--osc"}).out.contains("on, but UDP port " + port.toUtf8()));
        holder.close();
        QVERIFY2(program.waitForLog("OSC listening on 127.0.0.1:" + port), qPrintable(program.log()));
    }
};

QTEST_GUILESS_MAIN(TestOsc)
#include "tst_osc.moc"
