#include "korvistprocess.h"
#include "replaycomparison.h"
#include "wineprogram.h"
#include "xsession.h"

#include <devicefacts.h>

#include <QtTest>

namespace {
constexpr int kWaitMs = 30000;
// wine names the X windows of a program after its executable; the docked
// tray icons are windows of wine's explorer.
const QString kWineClass = QStringLiteral("korvistdriver.exe");
const QString kTrayClass = QStringLiteral("explorer.exe");
// Detection logs this every second while no interface is there, which is
// when the window shows "声卡未连接！".
const QString kNoDevice = QStringLiteral("Failed to connect to driver.");
const QString kRk2Title = QStringLiteral("^Korvist RK2 - FW: 1\\.0\\.3$");
// How long the program waits for a driver request before it cancels it.
constexpr int kStalledCallMs = 5000;
// Where a mixer block's output gains start: after its 256 x 32 crosspoints.
constexpr int kOutputGainsAt = 256 * 32 * int(sizeof(double));
constexpr quint32 kSetBufferSize = KORVIST_IOCTL_SET_BUFFER_SIZE;
constexpr quint32 kStopAudio = KORVIST_IOCTL_STOP_AUDIO;
constexpr quint32 kStartAudio = KORVIST_IOCTL_START_AUDIO;
// Below the ephemeral ports, which the system hands out to senders.
constexpr int kOscPort = 19720;
constexpr int kPhonePort = 19721;
// The phone remote's browser tests, with their npm packages.
const QString kPhoneTests = QStringLiteral(KORVIST_PHONE_TESTS_DIR);

} // namespace

// The Windows program as a user gets it: installed from the MSI into a wine
// prefix, started, used through its tray icon and every way in, and ended.
class TestWindowsProgram : public QObject
{
    Q_OBJECT

    WineSetup wine = WineSetup::fromEnvironment();
    XSession session;
    KorvistProcess program;

    // The simulated driver journals only into the directory it was installed with.
    QString journalFile() const { return wine.prefix + QStringLiteral("/drive_c/korvist-sim/korvist-e2e.jsonl"); }
    int simctl(const QStringList &arguments) const
    {
        QString output;
        const int exitCode = wine.run(QStringList {windowsPath(wine.simctl)} + arguments, &output);
        if (exitCode != 0)
            qWarning("korvist-simctl %s: %d %s", qPrintable(arguments.join(' ')), exitCode, qPrintable(output));
        return exitCode;
    }
    // Waits for the device's journal to show a complete replay and for the
    // Linux program's replay from the same saved files, and compares them.
    void compareReplayWithPosix(const QString &savedFiles, int fromEntry, bool replug)
    {
        const QList<SimJournalEntry> windows =
            settledReplay([this, fromEntry] { return readSimJournal(journalFile()).mid(fromEntry); });
        const QList<SimJournalEntry> posix = posixReplay(savedFiles, replug);
        QVERIFY(!posix.isEmpty());
        const QStringList ours = describe(windows);
        const QStringList theirs = describe(posix);
        qsizetype first = 0;
        while (first < ours.size() && first < theirs.size() && ours[first] == theirs[first])
            ++first;
        QVERIFY2(ours == theirs, qPrintable(QStringLiteral("request %1 of %2/%3 differs:\nWindows %4\nLinux   %5")
                                                .arg(first + 1)
                                                .arg(ours.size())
                                                .arg(theirs.size())
                                                .arg(ours.value(first), theirs.value(first))));
    }

    // Right after a window of the program took the focus, wine may drop a
    // click on the icon: click again until the menu is there, waiting longer
    // than the program may be busy between two clicks.
    QRect openTrayMenu(int busyMs)
    {
        QRect menu;
        const auto menuIsOpen = [&] { return !(menu = session.popup(kWineClass, QStringLiteral("KorvistDriver"))).isEmpty(); };
        for (int attempt = 0; attempt < 5; ++attempt) {
            session.click(session.trayIcon(kTrayClass).center(), 3);
            if (QTest::qWaitFor(menuIsOpen, busyMs))
                break;
        }
        return menu;
    }

    // The console twin, whose answers reach a pipe.
    int consoleCommand(const QStringList &arguments, QString *output = nullptr) const
    {
        return wine.run(QStringList {windowsPath(wine.installDir() + QStringLiteral("/bin/KorvistDriver.com"))} + arguments,
                        output);
    }
    QStringList programCommand() const { return wine.command({windowsPath(wine.installedProgram())}); }

private slots:
    void initTestCase()
    {
        if (!wine.isComplete())
            QSKIP("Runs from scripts/test-windows.sh, which builds the installer and prepares a wine prefix");
        QVERIFY2(session.start(), "Xvfb and trayer must be installed");
        wine.display = session.display();
        QVERIFY(wine.restartSession());
        QCOMPARE(wine.run({"msiexec", "/i", windowsPath(wine.msi), "/qn"}), 0);
    }

    void cleanupTestCase()
    {
        if (wine.isComplete())
            wine.run({"msiexec", "/x", windowsPath(wine.msi), "/qn"});
    }

    // It starts hidden in the notification area. A second start, a user's
    // double-click, ends at once and is not lost: the first one shows its window.
    void secondStartShowsTheWindowOfTheFirst()
    {
        program.start(programCommand(), wine.environment());
        QTRY_VERIFY_WITH_TIMEOUT(!session.trayIcon(kTrayClass).isEmpty(), kWaitMs);
        const auto windowShown = [this] { return !session.windows(QStringLiteral("^Korvist Driver$"), true).isEmpty(); };
        QVERIFY(!windowShown());
        KorvistProcess second;
        second.start(programCommand(), wine.environment());
        QVERIFY2(second.waitForExit(kWaitMs), qPrintable(second.log()));
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(windowShown(), kWaitMs);
        QVERIFY(program.isRunning());
        QTRY_VERIFY2_WITH_TIMEOUT(consoleText(program.log()).contains(kNoDevice), qPrintable(consoleText(program.log())),
                                  kWaitMs);
    }

    void pluggedRk2ShowsItsPanelAndReplaysLikeThePosixProgram()
    {
        if (!wine.hasSimulatedDriver())
            QSKIP("Needs the simulated kernel driver in the prefix (KORVIST_WINE_SIMCTL)");
        QFile::remove(journalFile());
        // What the program saved so far (its settings file), before the device
        // makes it write the panel's: the Linux program starts from the same.
        QTemporaryDir savedBefore;
        copySavedFiles(wine.savedFilesDir(), savedBefore.path());
        QCOMPARE(simctl({"journal", "korvist-e2e.jsonl"}), 0);

        QCOMPARE(simctl({"plug", "rk2"}), 0);
        QElapsedTimer plugged;
        plugged.start();
        QTRY_VERIFY_WITH_TIMEOUT(!session.windows(kRk2Title, true).isEmpty(), kWaitMs);
        qInfo("The RK2 panel showed %lld ms after the plug.", plugged.elapsed());
        compareReplayWithPosix(savedBefore.path(), 0, false);
    }

    void unplugShowsNoDeviceAndReplugReplaysTheSavedState()
    {
        if (!wine.hasSimulatedDriver())
            QSKIP("Needs the simulated kernel driver in the prefix (KORVIST_WINE_SIMCTL)");
        const qsizetype logBefore = program.log().size();
        QCOMPARE(simctl({"unplug"}), 0);
        QElapsedTimer unplugged;
        unplugged.start();
        QTRY_VERIFY_WITH_TIMEOUT(consoleText(program.log().mid(logBefore)).contains(kDeviceLost), kWaitMs);
        qInfo("\"声卡未连接！\" showed %lld ms after the unplug.", unplugged.elapsed());

        // A state the user left: speakers at -30 dB, 48 V on MIC1.
        {
            QSettings saved(wine.savedFilesDir() + QStringLiteral("/rk2.ini"), QSettings::IniFormat);
            QVERIFY(saved.contains(QStringLiteral("Dial/SpeakerValue")));
            saved.setValue(QStringLiteral("Dial/SpeakerValue"), -30);
            saved.setValue(QStringLiteral("Button/Mic148VIsChecked"), true);
        }
        QTemporaryDir savedBefore;
        copySavedFiles(wine.savedFilesDir(), savedBefore.path());
        const qsizetype journalBefore = readSimJournal(journalFile()).size();
        QCOMPARE(simctl({"plug"}), 0);
        compareReplayWithPosix(savedBefore.path(), int(journalBefore), true);
    }

    // A held request gives up at its deadline instead of freezing the window.
    // Product id: the device counts as gone, the tray menu still opens, and the
    // panel is back once the driver answers again. Meters, which are read off
    // the window's thread, and a control code nobody sends: scripts get their
    // answers all along, and the panel takes changes again afterwards.
    void stalledRequestsLeaveTheWindowAnswering_data()
    {
        QTest::addColumn<quint32>("code");
        QTest::newRow("product id") << quint32(KORVIST_IOCTL_GET_PRODUCT_ID);
        QTest::newRow("meters") << quint32(KORVIST_IOCTL_READ_METERS);
        QTest::newRow("commands") << quint32(KORVIST_IOCTL_COMMAND);
    }
    void stalledRequestsLeaveTheWindowAnswering()
    {
        QFETCH(quint32, code);
        if (!wine.hasSimulatedDriver())
            QSKIP("Needs the simulated kernel driver in the prefix (KORVIST_WINE_SIMCTL)");
        const qsizetype logBefore = program.log().size();
        QCOMPARE(simctl({"stall", QString::number(code)}), 0);
        if (code == KORVIST_IOCTL_GET_PRODUCT_ID) {
            QTRY_VERIFY_WITH_TIMEOUT(consoleText(program.log().mid(logBefore)).contains(kDeviceLost), 4 * kWaitMs);
        } else {
            for (QDeadlineTimer stall(4 * kStalledCallMs); !stall.hasExpired();) {
                QString value;
                QCOMPARE(wine.run({windowsPath(wine.installedProgram()), "--get", "SpeakerValue"}, &value), 0);
            }
        }
        const QRect menu = openTrayMenu(2 * kStalledCallMs);
        QVERIFY(!menu.isEmpty());
        session.keys({"Escape"});
        QCOMPARE(simctl({"stall", "off"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!session.windows(kRk2Title, true).isEmpty(), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(wine.run({windowsPath(wine.installedProgram()), "--set", "SpeakerValue=-30"}), 0, kWaitMs);
    }

    // A script's change, and a control surface's on this computer, reach the
    // driver through the running program.
    void remoteChangeReachesTheDriver_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QStringList>("oscMessage");
        // The level first: muted, the speakers' gains would not show it.
        QTest::newRow("OSC") << QStringList {"--osc", "on", QString::number(kOscPort)}
                             << QStringList {"/korvist/SpeakerValue", "i", "-20"};
        QTest::newRow("command line") << QStringList {"--set", "SpeakerMuteIsChecked=toggle"} << QStringList {};
    }
    void remoteChangeReachesTheDriver()
    {
        QFETCH(QStringList, command);
        QFETCH(QStringList, oscMessage);
        if (!wine.hasSimulatedDriver())
            QSKIP("Needs the simulated kernel driver in the prefix (KORVIST_WINE_SIMCTL)");
        // Once the replay that follows the plug has ended, only the change's mixer write comes.
        const QList<SimJournalEntry> before = settledReplay([this] { return readSimJournal(journalFile()); });
        const qsizetype journalBefore = readSimJournal(journalFile()).size();
        QCOMPARE(wine.run(QStringList {windowsPath(wine.installedProgram())} + command), 0);
        if (!oscMessage.isEmpty())
            QCOMPARE(QProcess::execute(QStringLiteral("oscsend"),
                                       QStringList {"127.0.0.1", QString::number(kOscPort)} + oscMessage), 0);
        QList<SimJournalEntry> sent;
        QTRY_VERIFY_WITH_TIMEOUT(!(sent = replayRequests(readSimJournal(journalFile()).mid(journalBefore))).isEmpty(),
                                 kWaitMs);
        QCOMPARE(sent.first().code, KORVIST_IOCTL_WRITE_MIXER);
        // The speakers' two output gains, and nothing else, are what the mute changed.
        const auto speakers = [](const QByteArray &block) { return block.mid(kOutputGainsAt, 2 * sizeof(double)); };
        QByteArray last;
        for (const SimJournalEntry &request : before)
            last = request.code == KORVIST_IOCTL_WRITE_MIXER ? request.in : last;
        QCOMPARE(sent.first().in.size(), last.size());
        QVERIFY(speakers(sent.first().in) != speakers(last));
        QCOMPARE(sent.first().in.left(kOutputGainsAt), last.left(kOutputGainsAt));
        // At a prompt "KorvistDriver" is the console twin (.COM comes first in
        // PATHEXT), whose answer shows before the next prompt, with its exit code.
        QCOMPARE(wine.typeAtPrompt(wine.installDir() + QStringLiteral("/bin"),
                                   {"KorvistDriver --get SpeakerValue", "echo %ERRORLEVEL%"}),
                 QStringList({"-20", "0"}));
    }

    // From Linux's chromium over loopback, as a phone on the network would:
    // the page pairs once the desktop allows it, and its slider reaches the
    // driver and the window.
    void phoneRemotePairsAndMovesASlider()
    {
        if (!wine.hasSimulatedDriver())
            QSKIP("Needs the simulated kernel driver in the prefix (KORVIST_WINE_SIMCTL)");
        const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (node.isEmpty() || chromium.isEmpty() || !QFile::exists(kPhoneTests + QStringLiteral("/node_modules/puppeteer-core")))
            QSKIP("Needs node, chromium and the phone test's npm packages (scripts/install-deps.sh phone)");
        QString answer;
        QCOMPARE(consoleCommand({"--web", "on", QString::number(kPhonePort)}, &answer), 0);
        const QString code = QRegularExpression(QStringLiteral("pairing code (\\d{6})")).match(answer).captured(1);
        QVERIFY2(!code.isEmpty(), qPrintable(answer));
        const qsizetype journalBefore = readSimJournal(journalFile()).size();

        QProcess phone;
        phone.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        phone.start(node, {kPhoneTests + QStringLiteral("/wine-phone.mjs"), chromium,
                           QStringLiteral("http://127.0.0.1:%1").arg(kPhonePort), code});
        // The user allows it by the prompt's access key. Like a click on the
        // tray icon, the first key after the prompt came up can be lost under
        // wine, and so can the prompt for a moment in xdotool's search: the
        // user presses again while the page has not paired.
        QByteArray said;
        const auto paired = [&] {
            said += phone.readAllStandardOutput();
            return said.startsWith("paired\n");
        };
        const QString prompt = QStringLiteral("^Allow a Phone\\?$");
        QTRY_VERIFY_WITH_TIMEOUT(!session.windows(prompt, true).isEmpty(), kWaitMs);
        for (int attempt = 0; attempt < 5 && !paired(); ++attempt) {
            if (const QStringList shown = session.windows(prompt, true); !shown.isEmpty()) {
                const QRect area = session.geometry(shown.first());
                session.click({area.center().x(), area.top() + 20}, 1);
                QTest::qWait(500);
                session.keys({"alt+a"});
            }
            if (QTest::qWaitFor(paired, 5000))
                break;
        }
        QVERIFY2(paired(), qPrintable(consoleText(program.log()).right(2000)));
        QVERIFY2(phone.waitForFinished(kWaitMs), "the page's slider did not move");
        QCOMPARE(phone.exitCode(), 0);
        // After "paired", the page printed the control it moved and the value it shows now.
        const QStringList moved = QString::fromUtf8(said + phone.readAllStandardOutput()).section('\n', 1).trimmed().split(' ');
        QCOMPARE(moved.size(), 2);
        qInfo("The phone moved %s to %s.", qPrintable(moved[0]), qPrintable(moved[1]));
        const auto shownInTheWindow = [&] {
            QString value;
            return consoleCommand({"--get", moved[0]}, &value) == 0 && value.trimmed() == moved[1];
        };
        QTRY_VERIFY_WITH_TIMEOUT(shownInTheWindow(), kWaitMs);
        const auto mixerWritten = [&] {
            const QList<SimJournalEntry> sent = readSimJournal(journalFile()).mid(journalBefore);
            return std::any_of(sent.cbegin(), sent.cend(),
                               [](const SimJournalEntry &entry) { return entry.code == KORVIST_IOCTL_WRITE_MIXER; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(mixerWritten(), kWaitMs);
        QCOMPARE(consoleCommand({"--web", "off"}), 0);
    }

    void asioNoticeThroughTheNamedPipeRaisesSettings()
    {
        QVERIFY(session.windows(QStringLiteral("^Settings$"), true).isEmpty());
        QString output;
        QCOMPARE(wine.run({windowsPath(wine.simulator), "asio-notify", "--buffer-size", "256", "--open-window"}, &output),
                 0);
        QTRY_VERIFY_WITH_TIMEOUT(!session.windows(QStringLiteral("^Settings$"), true).isEmpty(), kWaitMs);
        if (wine.hasSimulatedDriver()) {
            const QList<SimJournalEntry> sets = readSimJournal(journalFile());
            const auto last = std::find_if(sets.rbegin(), sets.rend(),
                                           [](const SimJournalEntry &entry) { return entry.code == kSetBufferSize; });
            QVERIFY(last != sets.rend());
            QCOMPARE(last->in.toHex(), QByteArray("00010000"));
        }
    }

    // The dialog's focus is on its first box, the buffer size; a click on the
    // dialog's heading gives the dialog the keyboard.
    void bufferSizeChangeInSettingsStopsSetsAndStarts()
    {
        if (!wine.hasSimulatedDriver())
            QSKIP("Needs the simulated kernel driver in the prefix (KORVIST_WINE_SIMCTL)");
        const QStringList dialog = session.windows(QStringLiteral("^Settings$"), true);
        QCOMPARE(dialog.size(), 1);
        const QRect area = session.geometry(dialog.first());
        const qsizetype journalBefore = readSimJournal(journalFile()).size();
        const auto stopSetStart = [&] {
            QList<SimJournalEntry> requests = readSimJournal(journalFile()).mid(journalBefore);
            requests.removeIf([](const SimJournalEntry &entry) {
                return entry.code != kStopAudio && entry.code != kSetBufferSize && entry.code != kStartAudio;
            });
            return requests;
        };
        QList<SimJournalEntry> sequence;
        const auto sequenceEnded = [&] {
            return (sequence = stopSetStart()).size() >= 3 && sequence.last().code == kStartAudio;
        };
        // Like a click on the tray icon, the first key after a focus change can
        // be lost under wine: press again only while nothing has arrived.
        for (int attempt = 0; attempt < 3 && sequence.isEmpty(); ++attempt) {
            session.click({area.center().x(), area.top() + 20}, 1);
            QTest::qWait(500);
            session.keys({"Down"});
            QTest::qWaitFor(sequenceEnded, 5000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(sequenceEnded(), kWaitMs);
        QCOMPARE(sequence.size(), 3);
        QCOMPARE(sequence[0].code, kStopAudio);
        QCOMPARE(sequence[1].code, kSetBufferSize);
        QCOMPARE(sequence[2].code, kStartAudio);
        QCOMPARE(sequence[1].status, 0u);
        QVERIFY(sequence[1].in != QByteArray::fromHex("00010000"));
    }

    void quitFromTheTrayMenuEndsWithZero()
    {
        const QRect menu = openTrayMenu(3000);
        QVERIFY(!menu.isEmpty());
        // Quit is the second of the menu's twelve entries, under the disabled
        // version entry; its three separators are thinner than an entry, so
        // an entry's share of the height is a little more than a twelfth.
        constexpr int kEntries = 12;
        session.click(menu.topLeft() + QPoint(menu.width() / 2, menu.height() * 3 / (2 * kEntries)), 1);
        QVERIFY2(program.waitForExit(kWaitMs), qPrintable(program.log()));
        QCOMPARE(program.exitCode(), 0);
    }

};

QTEST_GUILESS_MAIN(TestWindowsProgram)
#include "tst_windowsprogram.moc"
