#include <commandline.h>
#include <remotecontrol.h>
#include <remoteserver.h>

#include <button.h>
#include <controltable.h>
#include <isolation.h>
#include <knob.h>
#include <korvistiocontrol.h>
#include <logcapture.h>
#include <rk2.h>
#include <simdevice.h>

#include "../panels/panelprobe.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QtTest>

#include <future>
#include <memory>
#include <vector>

namespace {

// What the server needs of a panel: a table with one control in it.
class StandInPanel : public QWidget
{
public:
    StandInPanel()
    {
        auto *table = new controls::ControlTable(QStringLiteral("rk2"), nullptr, &device, nullptr, this);
        table->add(knob, QStringLiteral("Dial/SpeakerValue"), controls::Kind::OutputLevel, -80);
    }

    KorvistIoControl device;
    Knob *knob = new Knob(this);
};

// The requests a device received since `from`, without the meter reads that poll on their own.
QList<QByteArray> requestsSince(const SimDevice &device, qsizetype from)
{
    QList<QByteArray> requests;
    for (const SimJournalEntry &entry : device.journal().mid(from))
        if (entry.code != iocode::ReadMeters)
            requests << QByteArray::number(entry.code, 16) + ':' + entry.in.toHex();
    return requests;
}

// A deadline far ahead, then a space, as a request line starts.
QByteArray waiting()
{
    return QByteArray::number(QDateTime::currentMSecsSinceEpoch() + 600000) + ' ';
}

bool writePreset(const Isolation &isolation, const QByteArray &text)
{
    const QString folder = isolation.appDataDir() + "/presets/rk2";
    QFile file(folder + "/p.ini");
    return QDir().mkpath(folder) && file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// How a hostile client sends its payload once connected.
enum Sending { AtOnce, AtOnceThenHangUp, ByteByByte };

// A byte every tenth of a second, until the payload is out, an answer arrives or the connection ends.
void drip(QLocalSocket *socket, const QByteArray &payload)
{
    auto *pace = new QTimer(socket);
    QObject::connect(pace, &QTimer::timeout, socket, [socket, payload, pace, sent = qsizetype(0)]() mutable {
        if (sent == payload.size() || socket->state() != QLocalSocket::ConnectedState || socket->bytesAvailable())
            pace->stop();
        else
            socket->write(payload.mid(sent++, 1));
    });
    pace->start(100);
}

// What the server at name answers to one request line, once it has closed the connection.
QByteArray answerTo(const QString &name, const QByteArray &line)
{
    QLocalSocket client;
    client.connectToServer(name);
    if (!client.waitForConnected(10000))
        return "(not connected)";
    client.write(line);
    if (!QTest::qWaitFor([&client] { return client.state() == QLocalSocket::UnconnectedState; }, 10000))
        return "(not closed)";
    return client.readAll();
}

} // namespace

class TestRemote : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("KorvistDriver")); }

    void hostileClientsChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("clients");
        QTest::addColumn<Sending>("sending");
        QTest::addColumn<QByteArray>("answer"); // to the first client, its start; empty: none at all
        QTest::newRow("silent") << QByteArray() << 1 << AtOnce << QByteArray();
        QTest::newRow("half a line") << QByteArray("set SpeakerValue=6") << 1 << AtOnce << QByteArray();
        QTest::newRow("10 MB of garbage") << QByteArray(10 << 20, '\x01') << 1 << AtOnce << QByteArray();
        QTest::newRow("100 at once") << QByteArray("set SpeakerValue=") << 100 << AtOnce << QByteArray();
        QTest::newRow("its client gave up") << QByteArray("1 set SpeakerValue=6\n") << 1 << AtOnce << QByteArray();
        QTest::newRow("its client hung up") << waiting() + "set SpeakerValue=6\n" << 1 << AtOnceThenHangUp
                                            << QByteArray();
        QTest::newRow("no deadline") << QByteArray("set SpeakerValue=6\n") << 1 << AtOnce
                                     << QByteArray("1 a request line must start with its deadline");
        QTest::newRow("deadline without request") << QByteArray("99999999999999\n") << 1 << AtOnce
                                                  << QByteArray("1 a deadline must");
        QTest::newRow("unknown verb") << waiting() + "turn SpeakerValue 6\n" << 1 << AtOnce
                                      << QByteArray("1 unknown request");
        QTest::newRow("not UTF-8") << QByteArray("set SpeakerValue=\xff\n") << 1 << AtOnce << QByteArray("1 a request is");
        QTest::newRow("more than the channel holds, dripping") << QByteArray(remote::kMaxLineBytes - 1, 'x')
                                                               << remote::RemoteServer::kMaxWaiting + 20 << ByteByByte
                                                               << QByteArray("2 Korvist Mixer has too many connections");
    }
    void hostileClientsChangeNothing()
    {
        QFETCH(QByteArray, payload);
        QFETCH(int, clients);
        QFETCH(Sending, sending);
        QFETCH(QByteArray, answer);
        LogCapture log;
        Isolation isolation;
        QWidget window;
        auto *panel = new StandInPanel;
        panel->setParent(&window);
        QSignalSpy changes(panel->knob, &Knob::valueChangedSig);
        remote::RemoteServer server(&window);
        QVERIFY(server.listen());

        int connected = 0;
        QByteArray received; // by the first client
        std::vector<std::unique_ptr<QLocalSocket>> sockets;
        for (int i = 0; i < clients; ++i) {
            QLocalSocket *socket = sockets.emplace_back(std::make_unique<QLocalSocket>()).get();
            connect(socket, &QLocalSocket::connected, socket, [socket, payload, sending, &connected] {
                ++connected;
                if (sending == ByteByByte)
                    drip(socket, payload);
                else
                    socket->write(payload);
                if (sending == AtOnceThenHangUp)
                    socket->disconnectFromServer();
            });
            // A dripper's next byte may race the server's close, which clears what the socket had read.
            if (i == 0 && sending == ByteByByte)
                connect(socket, &QLocalSocket::readyRead, socket, [socket, &received] { received += socket->readAll(); });
            socket->connectToServer(server.serverName());
        }
        // Another client is served while they are connected, and after they are gone.
        QTRY_COMPARE_WITH_TIMEOUT(connected, clients, 30000);
        QCOMPARE(answerTo(server.serverName(), waiting() + "get SpeakerValue\n"), QByteArray("+\n0 -80\n"));
        for (const auto &socket : sockets)
            QTRY_COMPARE_WITH_TIMEOUT(socket->state(), QLocalSocket::UnconnectedState, 30000);
        if (sending != ByteByByte)
            received = sockets.front()->readAll();
        QVERIFY2(answer.isEmpty() ? received.isEmpty() : received.startsWith(answer), received.constData());
        if (sending == AtOnceThenHangUp)
            QTRY_COMPARE_WITH_TIMEOUT(log.lines().filter("Remote request dropped, its client has gone").size(), 1, 30000);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(answerTo(server.serverName(), waiting() + "get SpeakerValue\n"), QByteArray("+\n0 -80\n"));
    }

    // A script retries a 2, so a request the program began and never answered,
    // which may have run, must not end with it: a retried toggle would toggle twice.
    void unanswered_data()
    {
        QTest::addColumn<QByteArray>("sent"); // by a stand-in for the program, which then closes
        QTest::addColumn<int>("code");
        QTest::newRow("began") << QByteArray("+\n") << int(remote::MayHaveRun);
        QTest::newRow("did not begin") << QByteArray() << int(remote::NotRunning);
    }
    void unanswered()
    {
        QFETCH(QByteArray, sent);
        QFETCH(int, code);
        Isolation isolation;
        QLocalServer standIn;
        QVERIFY(standIn.listen(remote::channelName()));
        connect(&standIn, &QLocalServer::newConnection, &standIn, [&standIn, sent] {
            QLocalSocket *socket = standIn.nextPendingConnection();
            connect(socket, &QLocalSocket::readyRead, socket, [socket, sent] {
                if (socket->canReadLine()) {
                    socket->write(sent);
                    socket->disconnectFromServer();
                }
            });
        });
        // The command line waits blocking, as a second start does: beside the stand-in's event loop.
        std::future<int> client = std::async(std::launch::async, [] {
            return remote::runWithoutWindow(remote::Start::Command, {"--set", "SpeakerMuteIsChecked=toggle"}, 9000, 8080);
        });
        QTRY_VERIFY_WITH_TIMEOUT(client.wait_for(std::chrono::seconds(0)) == std::future_status::ready, 30000);
        QCOMPARE(client.get(), code);
    }

    void setSendsWhatTheGestureSends_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("knob, one wheel step") << "SpeakerValue";
        QTest::newRow("switch, one click") << "SpeakerMuteIsChecked";
    }
    void setSendsWhatTheGestureSends()
    {
        QFETCH(QString, key);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        QWidget window;
        (new rk2)->setParent(&window);
        QWidget *control = nullptr;
        for (QWidget *widget : window.findChildren<QWidget *>())
            if (widget->property("savedKey").toString().endsWith('/' + key))
                control = widget;
        QVERIFY(control);
        auto *knob = qobject_cast<Knob *>(control);
        auto *button = qobject_cast<Button *>(control);
        const auto value = [&] { return knob ? QString::number(knob->value) : QString(button->active ? "on" : "off"); };
        const QString before = value();

        qsizetype mark = device.journal().size();
        if (knob) {
            QWheelEvent wheel({5, 5}, control->mapToGlobal(QPointF(5, 5)), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(control, &wheel);
        } else {
            QTest::mouseClick(control, Qt::LeftButton);
        }
        const QList<QByteArray> gesture = requestsSince(device, mark);
        const QString after = value();
        QVERIFY(remote::execute(&window, {remote::Verb::Set, key + '=' + before}).code == remote::Done);

        mark = device.journal().size();
        const remote::Answer answer = remote::execute(&window, {remote::Verb::Set, key + '=' + after});
        QCOMPARE(answer.code, int(remote::Done));
        QVERIFY(!gesture.isEmpty());
        QCOMPARE(requestsSince(device, mark), gesture);
    }

    // A preset file is input from outside: one bad entry refuses it whole,
    // before anything reaches the interface or the panel's own file.
    void presetCheckedWhole_data()
    {
        QTest::addColumn<QByteArray>("preset");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        // A valid change comes first, which an entry-by-entry load would already have made.
        const auto preset = [](const QByteArray &entries, const QByteArray &model = "rk2") {
            return "[Preset]\nModel=" + model + "\n[Dial]\nHeadphoneValue=-20\n" + entries;
        };
        const int refused = remote::Refused;
        QTest::newRow("out of range") << preset("SpeakerValue=600\n") << refused << "Dial/SpeakerValue=600";
        QTest::newRow("not a number") << preset("OtgToHpValue=x\n") << refused << "Dial/OtgToHpValue=x";
        QTest::newRow("plus sign") << preset("SpeakerValue=+6\n") << refused << "Dial/SpeakerValue=+6";
        QTest::newRow("exponent") << preset("SpeakerValue=-3e1\n") << refused << "Dial/SpeakerValue=-3e1";
        QTest::newRow("wrong group") << preset("Mic148VIsChecked=true\n") << refused << "Dial/Mic148VIsChecked=true";
        QTest::newRow("unknown key") << preset("Loudness=3\n") << refused << "Dial/Loudness=3";
        QTest::newRow("another model") << preset("", "rk1") << refused << "for the rk1";
        QTest::newRow("not an ini file") << preset("[Button\n") << refused << "not a readable ini file";
        QTest::newRow("toggle") << preset("[Button]\nSpeakerMuteIsChecked=toggle\n") << refused
                                << "Button/SpeakerMuteIsChecked=toggle";
        QTest::newRow("phantom power") << preset("[Button]\nMic148VIsChecked=true\n") << int(remote::Done)
                                       << "48V left off on MIC1";
    }
    void presetCheckedWhole()
    {
        QFETCH(QByteArray, preset);
        QFETCH(int, code);
        QFETCH(QString, text);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        QWidget window;
        (new rk2)->setParent(&window);
        QVERIFY(writePreset(isolation, preset));
        const QString ini = isolation.appDataDir() + "/rk2.ini";
        const QByteArray iniBefore = fileBytes(ini);
        const qsizetype mark = device.journal().size();

        const remote::Answer answer = remote::execute(&window, {remote::Verb::PresetLoad, "p"});
        QCOMPARE(answer.code, code);
        QVERIFY2(answer.text.english().contains(text), qPrintable(answer.text.english()));
        for (const SimJournalEntry &entry : device.journal(iocode::Command))
            QVERIFY(entry.in != panelprobe::command(0x5B, 1, 1));
        QCOMPARE(remote::execute(&window, {remote::Verb::Get, "Mic148VIsChecked"}).text.english(), QString("false"));
        if (code == remote::Done) {
            QCOMPARE(remote::execute(&window, {remote::Verb::Get, "HeadphoneValue"}).text.english(), QString("-20"));
            return;
        }
        QCOMPARE(requestsSince(device, mark), QList<QByteArray>());
        QCOMPARE(fileBytes(ini), iniBefore);
    }

    // A change the interface refused must not read as done to the script that asked for it.
    void deviceRefusal_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("text");
        QTest::newRow("set") << "set SpeakerValue=-30" << "the interface refused the change";
        QTest::newRow("preset load") << "preset-load p" << "the interface refused part of preset";
        QTest::newRow("limit below the level") << "limit OtgToHpValue=-10" << "refused to bring the level down to it";
    }
    void deviceRefusal()
    {
        QFETCH(QString, request);
        QFETCH(QString, text);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start({"--fail", QString::number(iocode::WriteMixer)}));
        QWidget window;
        (new rk2)->setParent(&window);
        QVERIFY(writePreset(isolation, "[Preset]\nModel=rk2\n[Dial]\nSpeakerValue=-30\n"));
        QString error;
        const remote::Answer answer = remote::execute(&window, remote::parseCommand(request, error).value());
        QCOMPARE(answer.code, int(remote::DeviceRefused));
        QVERIFY2(answer.text.english().contains(text), qPrintable(answer.text.english()));
    }

    // A window asked for comes up where the user can reach it, also from the taskbar's minimised state.
    void showRestoresAMinimisedWindow()
    {
        QWidget window;
        window.showMinimized();
        QVERIFY(window.isMinimized());
        QCOMPARE(remote::execute(&window, {remote::Verb::Show, QString()}).code, int(remote::Done));
        QVERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
    }
};

QTEST_MAIN(TestRemote)
#include "tst_remote.moc"
