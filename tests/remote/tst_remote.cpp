#include <remotecontrol.h>
#include <remoteserver.h>

#include <button.h>
#include <controltable.h>
#include <isolation.h>
#include <knob.h>
#include <korvistiocontrol.h>
#include <rk2.h>
#include <simdevice.h>

#include <QLocalSocket>
#include <QtTest>

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
        if (!entry.in.isEmpty())
            requests << QByteArray::number(entry.code, 16) + ':' + entry.in.toHex();
    return requests;
}

} // namespace

class TestRemote : public QObject
{
    Q_OBJECT

private slots:
    void hostileClientsChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("clients");
        QTest::addColumn<QByteArray>("answer"); // its start; empty: none at all
        QTest::newRow("silent") << QByteArray() << 1 << QByteArray();
        QTest::newRow("half a line") << QByteArray("set SpeakerValue=6") << 1 << QByteArray();
        QTest::newRow("10 MB of garbage") << QByteArray(10 << 20, '\x01') << 1 << QByteArray();
        QTest::newRow("100 at once") << QByteArray("set SpeakerValue=") << 100 << QByteArray();
        QTest::newRow("its client gave up") << QByteArray("1 set SpeakerValue=6\n") << 1 << QByteArray();
        QTest::newRow("deadline without request") << QByteArray("99999999999999\n") << 1
                                                  << QByteArray("1 a deadline must");
        QTest::newRow("unknown verb") << QByteArray("turn SpeakerValue 6\n") << 1 << QByteArray("1 unknown request");
        QTest::newRow("not UTF-8") << QByteArray("set SpeakerValue=\xff\n") << 1 << QByteArray("1 a request is");
    }
    void hostileClientsChangeNothing()
    {
        QFETCH(QByteArray, payload);
        QFETCH(int, clients);
        QFETCH(QByteArray, answer);
        Isolation isolation;
        QWidget window;
        auto *panel = new StandInPanel;
        panel->setParent(&window);
        QSignalSpy changes(panel->knob, &Knob::valueChangedSig);
        remote::RemoteServer server(&window);
        QVERIFY(server.listen());

        std::vector<std::unique_ptr<QLocalSocket>> sockets;
        for (int i = 0; i < clients; ++i) {
            QLocalSocket *socket = sockets.emplace_back(std::make_unique<QLocalSocket>()).get();
            connect(socket, &QLocalSocket::connected, socket, [socket, payload] { socket->write(payload); });
            socket->connectToServer(server.serverName());
        }
        QByteArray received;
        for (const auto &socket : sockets) {
            QTRY_COMPARE_WITH_TIMEOUT(socket->state(), QLocalSocket::UnconnectedState, 30000);
            received = socket->readAll();
        }
        QVERIFY2(answer.isEmpty() ? received.isEmpty() : received.startsWith(answer), received.constData());
        QCOMPARE(changes.count(), 0);

        // And the channel still serves.
        QLocalSocket probe;
        probe.connectToServer(server.serverName());
        QVERIFY(probe.waitForConnected(10000));
        probe.write("get SpeakerValue\n");
        QTRY_VERIFY_WITH_TIMEOUT(probe.canReadLine(), 10000);
        QCOMPARE(probe.readLine(), QByteArray("0 -80\n"));
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
};

QTEST_MAIN(TestRemote)
#include "tst_remote.moc"
