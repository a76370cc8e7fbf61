#include "korvistprocess.h"
#include "xsession.h"

#include <devicefacts.h>
#include <isolation.h>
#include <simdevice.h>
#include <simpipe.h>

#include <QtTest>

namespace {
constexpr int kWaitMs = 15000;
const QString kRk2Title = QStringLiteral("^Korvist RK2 - FW: 1\\.0\\.3");
} // namespace

// The real program in a desktop session with a notification area, driven the
// way a user drives it: through its tray icon.
class TestTraySession : public QObject
{
    Q_OBJECT

private slots:
    void trayIconShowsThePanelAsioBringsSettingsQuitEnds()
    {
        Isolation isolation;
        XSession session;
        QVERIFY2(session.start(), "Xvfb and trayer must be installed");
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        KorvistProcess program;
        program.start(session.environment());

        QRect icon;
        QTRY_VERIFY_WITH_TIMEOUT(!(icon = session.trayIcon(QStringLiteral("KorvistDriver"))).isEmpty(), kWaitMs);
        // Detection finds the device and replays the panel while the window stays hidden.
        QTRY_VERIFY_WITH_TIMEOUT(device.journal(KORVIST_IOCTL_QUERY_COMMAND).size() == 1, kWaitMs);
        QVERIFY(session.windows(QStringLiteral("^Korvist"), true).isEmpty());

        session.click(icon.center(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!session.windows(kRk2Title, true).isEmpty(), kWaitMs);

        // The ASIO driver's notice reaches the device and brings the dialog up.
        QVERIFY(session.windows(QStringLiteral("^Settings$"), true).isEmpty());
        const SimPipePeer::Result notice = SimPipePeer::run({"asio-notify", "--buffer-size", "256", "--open-window"});
        QCOMPARE(notice.exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!device.journal(KORVIST_IOCTL_SET_BUFFER_SIZE).isEmpty(), kWaitMs);
        QCOMPARE(device.journal(KORVIST_IOCTL_SET_BUFFER_SIZE).last().in.toHex(), QByteArray("00010000"));
        QTRY_VERIFY_WITH_TIMEOUT(!session.windows(QStringLiteral("^Settings$"), true).isEmpty(), kWaitMs);

        // The context menu: the version entry is disabled, so the first step down is Quit.
        session.click(icon.center(), 3);
        QRect menu;
        QTRY_VERIFY_WITH_TIMEOUT(!(menu = session.popup(QStringLiteral("KorvistDriver"))).isEmpty(), kWaitMs);
        // The menu opens under the pointer; off it, no entry is highlighted, so
        // the first step down lands on Quit (the version entry is disabled).
        session.moveMouse(menu.bottomLeft() + QPoint(-50, 100));
        QTest::qWait(200);
        session.keys({"Down", "Return"});
        QVERIFY2(program.waitForExit(kWaitMs), qPrintable(program.log()));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

    // Without a notification area nothing could bring a hidden window back.
    void withoutTrayTheWindowShowsAtStart()
    {
        Isolation isolation;
        XSession session;
        QVERIFY(session.start(false));
        KorvistProcess program;
        program.start(session.environment());
        QTRY_VERIFY2_WITH_TIMEOUT(!session.windows(QStringLiteral("^Korvist Driver$"), true).isEmpty(),
                                  qPrintable(program.log()), kWaitMs);
    }
};

QTEST_GUILESS_MAIN(TestTraySession)
#include "tst_traysession.moc"
