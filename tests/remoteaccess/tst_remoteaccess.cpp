#include <remoteaccessdialog.h>

#include <isolation.h>
#include <localnetworks.h>
#include <modalwatcher.h>
#include <phoneservice.h>
#include <surfaceserver.h>

#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QPushButton>
#include <QTcpServer>
#include <QTreeWidget>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

using surface::InterfaceAddress;

namespace {

quint16 freePort()
{
    QTcpServer tcp;
    QUdpSocket udp;
    for (;;) {
        tcp.listen(QHostAddress::Any, 0);
        const quint16 port = tcp.serverPort();
        tcp.close();
        if (udp.bind(QHostAddress::Any, port)) {
            udp.close();
            return port;
        }
    }
}

// Whether the phone remote serves its page to a host at from: an allowed
// host gets it, another is refused or cut off. The servers run on this
// thread, so the waits run its event loop.
bool pageServedTo(const QHostAddress &from, const QHostAddress &to, quint16 port)
{
    QTcpSocket socket;
    socket.bind(from);
    socket.connectToHost(to, port);
    socket.write(QStringLiteral("GET / HTTP/1.1\r\nHost: %1:%2\r\n\r\n").arg(surface::urlHost(to)).arg(port).toLatin1());
    return QTest::qWaitFor([&socket] { return socket.bytesAvailable() > 0 || socket.state() == QAbstractSocket::UnconnectedState; })
        && socket.readAll().startsWith("HTTP/1.1 200");
}

// Whether the control surfaces answer a ping from a host at from; one that
// is not allowed hears nothing, so the wait for an answer ends somewhere.
bool surfacesAnswer(const QHostAddress &from, const QHostAddress &to, quint16 port)
{
    QUdpSocket socket;
    if (!socket.bind(from, 0))
        return false;
    socket.writeDatagram(QByteArray("/korvist/ping\0\0\0,\0\0\0", 20), to, port);
    return QTest::qWaitFor([&socket] { return socket.hasPendingDatagrams(); }, 2000)
        && socket.receiveDatagram().data().startsWith("/korvist/pong");
}

QString shownTexts(const QWidget &window)
{
    QStringList texts;
    for (const QLabel *label : window.findChildren<QLabel *>())
        if (label->isVisibleTo(&window))
            texts << label->text();
    return texts.join('\n');
}

} // namespace

class TestRemoteAccess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("KorvistDriver")); }

    void networksOfAddresses_data()
    {
        QTest::addColumn<QList<InterfaceAddress>>("addresses");
        QTest::addColumn<QStringList>("networks");
        const auto at = [](const char *name, const char *ip, int bits) {
            return InterfaceAddress {name, QHostAddress(QString::fromLatin1(ip)), bits};
        };
        QTest::newRow("home network") << QList {at("Wi-Fi", "192.168.1.20", 24)} << QStringList {"Wi-Fi — 192.168.1.0/24"};
        QTest::newRow("wider than a /16: the /16 around it")
            << QList {at("eth0", "10.20.30.40", 8)} << QStringList {"eth0 — 10.20.0.0/16"};
        QTest::newRow("IPv6 as /64") << QList {at("eth0", "fd00:1:2:3::5", 48), at("eth0", "2001:db8::7", 128)}
                                     << QStringList {"eth0 — fd00:1:2:3::/64", "eth0 — 2001:db8::/64"};
        QTest::newRow("none to offer")
            << QList {at("lo", "127.0.0.1", 8), at("lo", "::1", 128), at("eth0", "fe80::1", 64), at("tun0", "10.8.0.2", 32)}
            << QStringList {};
        QTest::newRow("each network once")
            << QList {at("eth0", "192.168.1.20", 24), at("eth0", "192.168.1.21", 24), at("wlan0", "192.168.1.30", 24)}
            << QStringList {"eth0 — 192.168.1.0/24"};
    }
    void networksOfAddresses()
    {
        QFETCH(QList<InterfaceAddress>, addresses);
        QFETCH(QStringList, networks);
        QStringList named;
        for (const surface::LocalNetwork &local : surface::networksOf(addresses)) {
            QVERIFY(local.own.isInSubnet(local.network));
            named << local.interfaceName + " — " + surface::networkText(local.network);
        }
        QCOMPARE(named, networks);
    }

    // The window's choice of network is the surfaces' and the phone remote's
    // allowed network at once: hosts of it reach both, the addresses and the
    // QR code shown are this computer's in it, and the choice is saved.
    void networkChoiceApplies_data()
    {
        QTest::addColumn<bool>("startAllowed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("one of this computer's networks") << false << int(Qt::Key_Down) << QString() << true;
        QTest::newRow("this computer only") << true << int(Qt::Key_Home) << QString() << false;
        QTest::newRow("typed by hand") << false << int(Qt::Key_End) << QString("own/24") << true;
        QTest::newRow("typed too wide: refused, nothing changes") << false << int(Qt::Key_End) << QString("10.0.0.0/8")
                                                                  << false;
    }
    void networkChoiceApplies()
    {
        QFETCH(bool, startAllowed);
        QFETCH(int, key);
        QFETCH(QString, typed);
        QFETCH(bool, allowed);
        const QList<surface::LocalNetwork> locals = surface::localNetworks();
        const auto ipv4 = std::find_if(locals.cbegin(), locals.cend(), [](const surface::LocalNetwork &local) {
            return local.own.protocol() == QAbstractSocket::IPv4Protocol;
        });
        if (ipv4 == locals.cend())
            QSKIP("this machine has no IPv4 network of its own to allow");
        const surface::LocalNetwork own = *ipv4;
        Isolation isolation;
        ModalWatcher boxes;
        QWidget root;
        surface::SurfaceServer surfaces(&root);
        phone::PhoneService phones(surfaces.seam());
        connect(&surfaces, &surface::SurfaceServer::allowedChanged, &phones, &phone::PhoneService::followAllowedNetwork);
        QCOMPARE(surfaces.allow(startAllowed ? std::optional(own.network) : std::nullopt).code, remote::Done);
        const quint16 oscPort = freePort();
        const quint16 phonePort = freePort();
        QCOMPARE(surfaces.serve(true, oscPort).code, remote::Done);
        QCOMPARE(phones.serve(true, phonePort).code, remote::Done);

        remoteaccess::RemoteAccessDialog dialog(surfaces, phones);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *choice = dialog.findChild<QComboBox *>();
        // Down from "This computer only" is the first network of the list, which this row's own network must be.
        if (key == Qt::Key_Down && choice->itemData(1).toString() != surface::networkText(own.network))
            QSKIP("this machine's first network is not an IPv4 one");
        choice->setFocus();
        if (!typed.isEmpty()) {
            const QString text = typed == "own/24" ? surface::networkText(own.network) : typed;
            QTimer::singleShot(0, this, [text] {
                QTRY_VERIFY(qobject_cast<QInputDialog *>(QApplication::activeModalWidget()));
                auto *input = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
                input->setTextValue(text);
                input->accept();
            });
        }
        QTest::keyClick(choice, Qt::Key(key));

        const std::optional<surface::Network> expected = allowed ? std::optional(own.network) : std::nullopt;
        QCOMPARE(surfaces.allowedNetwork(), expected);
        QCOMPARE(surface::loadSettings().allowed, expected);
        QCOMPARE(boxes.boxes.size(), typed.startsWith("10.0") ? 1 : 0);
        const QString ownText = own.own.toString();
        QCOMPARE(pageServedTo(own.own, own.own, phonePort), allowed);
        QCOMPARE(surfacesAnswer(own.own, own.own, oscPort), allowed);
        const QString shown = shownTexts(dialog);
        QCOMPARE(shown.contains(QStringLiteral("Type into the surface app: %1, port %2").arg(ownText).arg(oscPort)), allowed);
        QCOMPARE(shown.contains(QStringLiteral("Open http://%1:%2/ on the phone").arg(ownText).arg(phonePort)), allowed);
        // Never a loopback address for a phone: the choice is offered instead.
        QVERIFY(!shown.contains(QStringLiteral("http://127.0.0.1")));
        QCOMPARE(shown.contains(QStringLiteral("A phone needs the network it is on")), !allowed);
    }

    // A subscribed surface is listed until Disconnect drops it; two phones
    // of one browser read apart.
    void connectedNow()
    {
        Isolation isolation;
        QVERIFY(QDir().mkpath(isolation.appDataDir()));
        {
            QSettings file(isolation.appDataDir() + "/phones.ini", QSettings::IniFormat);
            for (const QString id : {"aaaa1111", "bbbb2222"}) {
                file.setValue("Phones/" + id + "/Name", "Chrome on Android");
                file.setValue("Phones/" + id + "/LastUsed", QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
            }
        }
        QWidget root;
        surface::SurfaceServer surfaces(&root);
        phone::PhoneService phones(surfaces.seam());
        const quint16 oscPort = freePort();
        QCOMPARE(surfaces.serve(true, oscPort).code, remote::Done);
        QUdpSocket surface;
        QVERIFY(surface.bind(QHostAddress::LocalHost, 0));
        QByteArray subscribe("/korvist/subscribe\0\0,i\0\0", 24);
        const quint16 listening = surface.localPort();
        subscribe.append(char(0)).append(char(0)).append(char(listening >> 8)).append(char(listening & 0xff));
        surface.writeDatagram(subscribe, QHostAddress::LocalHost, oscPort);
        QTRY_COMPARE(surfaces.subscriptions().size(), 1);

        remoteaccess::RemoteAccessDialog dialog(surfaces, phones);
        const QList<QTreeWidget *> lists = dialog.findChildren<QTreeWidget *>();
        QCOMPARE(lists.size(), 2);
        QTreeWidget *surfaceList = lists[0];
        QTreeWidget *phoneList = lists[1];
        QCOMPARE(surfaceList->topLevelItemCount(), 1);
        QCOMPARE(surfaceList->topLevelItem(0)->text(1), QString::number(listening));
        QCOMPARE(phoneList->topLevelItemCount(), 2);
        QVERIFY(phoneList->topLevelItem(0)->text(0) != phoneList->topLevelItem(1)->text(0));
        surfaceList->setCurrentItem(surfaceList->topLevelItem(0));
        for (QPushButton *button : dialog.findChildren<QPushButton *>())
            if (button->text() == "&Disconnect")
                button->click();
        QVERIFY(surfaces.subscriptions().isEmpty());
        QCOMPARE(surfaceList->topLevelItemCount(), 0);
    }
};

QTEST_MAIN(TestRemoteAccess)
#include "tst_remoteaccess.moc"
