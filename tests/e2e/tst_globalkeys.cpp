#include "korvistprocess.h"
#include "xsession.h"

#include <conversions.h>
#include <devicefacts.h>
#include <isolation.h>
#include <mixerblock.h>
#include <repeatbound.h>
#include <simdevice.h>

#include <QtTest>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

namespace {
constexpr int kWaitMs = 20000;
const QString kPanelShown = QStringLiteral("Device found with PID:");
const char *const kPrivateVariables[] = {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "HOME", "TMPDIR"};

struct Ran
{
    int code = -1;
    QString text; // stdout and stderr
};

// A second start of the program with arguments: a client of the running one.
Ran run(const QStringList &arguments, const QStringList &environment = {})
{
    QProcess client;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString &assignment : environment)
        variables.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
    client.setProcessEnvironment(variables);
    client.start(QStringLiteral(KORVIST_DRIVER_PATH), arguments);
    client.waitForFinished(kWaitMs);
    return {client.exitCode(), client.readAllStandardOutput() + client.readAllStandardError()};
}

QStringList privateDirectories()
{
    QStringList assignments;
    for (const char *name : kPrivateVariables)
        assignments << QString::fromLatin1(name) + '=' + qEnvironmentVariable(name);
    return assignments;
}

// The speakers' gain (output 1) in each mixer block the device received from index `from` on.
QList<double> speakerGains(const SimDevice &device, qsizetype from)
{
    QList<double> gains;
    for (const SimJournalEntry &write : device.journal().mid(from)) {
        double gain = 0;
        if (write.code != KORVIST_IOCTL_WRITE_MIXER || write.in.size() != qsizetype(sizeof(MixerBlock)))
            continue;
        std::memcpy(&gain, write.in.constData() + offsetof(MixerBlock, outputGain), sizeof gain);
        gains << gain;
    }
    return gains;
}

// The program beside a simulated RK2 in a desktop session with a notification
// area, its window never shown, while another program's window has the focus.
class Desk
{
public:
    Desk()
        : device(QStringLiteral("rk2"))
    {
    }
    ~Desk()
    {
        for (QProcess *process : {&other, &windowManager}) {
            process->kill();
            process->waitForFinished();
        }
    }

    // A window manager, as on a desktop: it gives a new window the focus
    // unless the window declines it.
    bool start()
    {
        if (!session.start() || !device.start())
            return false;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), session.display());
        windowManager.setProcessEnvironment(environment);
        windowManager.start(QStringLiteral("openbox"), {});
        other.setProcessEnvironment(environment);
        other.start(QStringLiteral("xmessage"), {"-geometry", "+100+100", "another program"});
        const QDeadlineTimer deadline(kWaitMs);
        while ((focused.isEmpty() || xdotool({"get_num_desktops"}).isEmpty()) && !deadline.hasExpired()) {
            focused = xdotool({"search", "--onlyvisible", "--name", "^xmessage$"}).trimmed();
            QThread::msleep(50);
        }
        xdotool({"windowactivate", "--sync", focused});
        return !focused.isEmpty() && startProgram();
    }

    bool startProgram()
    {
        program = std::make_unique<KorvistProcess>();
        program->start(session.environment());
        // The channel answers once the program's loop runs, after it held the saved shortcuts.
        return program->waitForLog(kPanelShown) && run({"--hotkey"}).code == 0;
    }

    QString xdotool(const QStringList &arguments) const
    {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), session.display());
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral("xdotool"), arguments);
        tool.waitForFinished(kWaitMs);
        return QString::fromLocal8Bit(tool.readAllStandardOutput());
    }

    bool displayShows(const QString &titlePattern) const
    {
        return !session.windows(titlePattern, true).isEmpty();
    }

    Isolation isolation;
    XSession session;
    SimDevice device;
    std::unique_ptr<KorvistProcess> program;
    QProcess windowManager;
    QProcess other;
    QString focused;
};

} // namespace

// Global shortcuts, the media keys and the tray icon's wheel of the real
// program, pressed with xdotool under Xvfb while another program has the focus.
class TestGlobalKeys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const char *tool : {"Xvfb", "trayer", "xdotool", "xmessage", "openbox"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QSKIP("Needs Xvfb, trayer, xdotool, xmessage and openbox (scripts/install-deps.sh test)");
    }

    void stepsTheDevice_data()
    {
        QTest::addColumn<QList<QStringList>>("setup"); // client commands first
        QTest::addColumn<QStringList>("press");        // "key ..." for xdotool, or "tray N" for button N over the icon
        QTest::addColumn<QString>("shown");            // the on-screen display's title
        QTest::addColumn<int>("level");                // dB the speakers end at, and the loudest after the press
        // Not Ctrl+Alt+Up: openbox, as many window managers, holds Ctrl+Alt with the arrows.
        const QStringList upByTwo {"--hotkey", "Ctrl+Alt+PgUp", "step SpeakerValue=2"};
        const QStringList mediaKeys {"--media-keys", "SpeakerValue"};
        QTest::newRow("a shortcut") << QList<QStringList> {upByTwo} << QStringList {"key ctrl+alt+Prior"}
                                    << "SPEAKER Volume -78 dB" << -78;
        // Each lock is a modifier to X: the grab must not depend on the lights.
        QTest::newRow("a shortcut with NumLock and CapsLock on")
            << QList<QStringList> {upByTwo} << QStringList {"key Num_Lock Caps_Lock", "key ctrl+alt+Prior"}
            << "SPEAKER Volume -78 dB" << -78;
        QTest::newRow("kept over a restart") << QList<QStringList> {upByTwo} << QStringList {"restart", "key ctrl+alt+Prior"}
                                             << "SPEAKER Volume -78 dB" << -78;
        QStringList tenPresses {"key", "--delay", "150"};
        for (int i = 0; i < 10; ++i)
            tenPresses << "ctrl+alt+Prior";
        QTest::newRow("a limit held over ten presses")
            << QList<QStringList> {{"--set", "SpeakerValue=-34"}, {"--limit", "SpeakerValue=-30"}, upByTwo}
            << QStringList {tenPresses.join(' ')} << "SPEAKER Volume -30 dB limited to -30 dB" << -30;
        QTest::newRow("volume up key") << QList<QStringList> {mediaKeys} << QStringList {"key XF86AudioRaiseVolume"}
                                       << "SPEAKER Volume -78 dB" << -78;
        QTest::newRow("volume down key, its own step")
            << QList<QStringList> {{"--set", "SpeakerValue=-40"}, {"--media-keys", "SpeakerValue", "3"}}
            << QStringList {"key XF86AudioLowerVolume"} << "SPEAKER Volume -43 dB" << -43;
        QTest::newRow("mute key") << QList<QStringList> {{"--set", "SpeakerValue=-40"}, mediaKeys}
                                  << QStringList {"key XF86AudioMute"} << "SPEAKER Volume -40 dB MUTE" << -80;
        QTest::newRow("the wheel over the tray icon") << QList<QStringList> {} << QStringList {"tray 4"}
                                                      << "SPEAKER Volume -78 dB" << -78;
        QTest::newRow("a middle click on the tray icon")
            << QList<QStringList> {{"--set", "SpeakerValue=-40"}} << QStringList {"tray 2"} << "SPEAKER Volume -40 dB MUTE"
            << -80;
    }
    void stepsTheDevice()
    {
        QFETCH(QList<QStringList>, setup);
        QFETCH(QStringList, press);
        QFETCH(QString, shown);
        QFETCH(int, level);
        Desk desk;
        QVERIFY2(desk.start(), qPrintable(desk.program ? desk.program->log() : QString()));
        for (const QStringList &command : setup) {
            const Ran done = run(command);
            QVERIFY2(done.code == 0, qPrintable(command.join(' ') + ": " + done.text));
        }
        const qsizetype before = desk.device.journal().size();
        for (const QString &step : press) {
            if (step == QLatin1String("restart")) {
                desk.program->terminate();
                QVERIFY2(desk.startProgram(), qPrintable(desk.program->log()));
            } else if (step.startsWith(QLatin1String("tray "))) {
                QRect icon;
                QTRY_VERIFY_WITH_TIMEOUT(!(icon = desk.session.trayIcon(QStringLiteral("KorvistDriver"))).isEmpty(),
                                         kWaitMs);
                desk.session.click(icon.center(), step.section(' ', 1).toInt());
            } else {
                desk.xdotool(step.split(' '));
            }
        }
        const QString title = '^' + shown + '$';
        QTRY_VERIFY2_WITH_TIMEOUT(desk.displayShows(title), qPrintable(desk.program->log()), kWaitMs);
        // Beside the tray icon, which trayer docks at the screen's top right.
        const QRect placed = desk.session.geometry(desk.session.windows(title, true).value(0));
        QVERIFY2(placed.top() >= 32 && placed.bottom() < 768 / 2 && placed.center().x() > 1024 / 2,
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(placed.x()).arg(placed.y()).arg(placed.width()).arg(placed.height())));
        // It took no focus, and it goes by itself, 1.5 s after the last press it showed.
        QCOMPARE(desk.xdotool({"getwindowfocus"}).trimmed(), desk.focused);
        QTRY_VERIFY_WITH_TIMEOUT(!desk.displayShows(title), kWaitMs);
        const QList<double> gains = speakerGains(desk.device, before);
        QVERIFY(!gains.isEmpty());
        QCOMPARE(gains.last(), dbToGain(level));
        QCOMPARE(*std::max_element(gains.begin(), gains.end()), dbToGain(level));
    }

    // Another program holds a combination: refused and said so, and held
    // once that program lets it go.
    void aCombinationAnotherProgramHolds()
    {
        Isolation elsewhere;
        const QStringList otherDirectories = privateDirectories();
        Desk desk;
        QVERIFY(desk.start());
        KorvistProcess another;
        another.start(desk.session.environment() + otherDirectories);
        const QStringList holdUp {"--hotkey", "Ctrl+Alt+PgUp", "show"};
        QTRY_COMPARE_WITH_TIMEOUT(run(holdUp, otherDirectories).code, 0, kWaitMs);

        const QStringList stepUp {"--hotkey", "Ctrl+Alt+PgUp", "step SpeakerValue=2"};
        const Ran refused = run(stepUp);
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.text.contains("Ctrl+Alt+PgUp is held by another program: not registered"),
                 qPrintable(refused.text));
        QCOMPARE(run({"--hotkey"}).text, QString());

        QCOMPARE(run({"--hotkey", "Ctrl+Alt+PgUp", "none"}, otherDirectories).code, 0);
        const Ran held = run(stepUp);
        QVERIFY2(held.code == 0, qPrintable(held.text));
    }

    void repeatsAreBounded_data()
    {
        QTest::addColumn<QStringList>("presses"); // id@ms, in the order they come
        QTest::addColumn<int>("counted");
        QStringList held;
        for (int ms = 0; ms < 1000; ms += 40)
            held << QStringLiteral("1@%1").arg(ms);
        QTest::newRow("a key held for a second, 25 repeats") << held << 9;
        QTest::newRow("presses 150 ms apart") << QStringList {"1@0", "1@150", "1@300", "1@450"} << 4;
        QTest::newRow("two combinations at once") << QStringList {"1@0", "2@0", "1@50", "2@50"} << 2;
        QTest::newRow("across the clock's wrap") << QStringList {"1@4294967290", "1@50", "1@200"} << 2;
    }
    void repeatsAreBounded()
    {
        QFETCH(QStringList, presses);
        QFETCH(int, counted);
        globalkeys::RepeatBound bound;
        int admitted = 0;
        for (const QString &press : presses)
            admitted += bound.admits(press.section('@', 0, 0).toInt(), press.section('@', 1).toUInt());
        QCOMPARE(admitted, counted);
    }
};

QTEST_GUILESS_MAIN(TestGlobalKeys)
#include "tst_globalkeys.moc"
