#include "korvistprocess.h"
#include "wineprogram.h"
#include "xsession.h"

#include <devicefacts.h>
#include <isolation.h>
#include <simdevice.h>

#include <QtTest>

#include <functional>

namespace {
constexpr int kWaitMs = 30000;
const QString kRunKey = QStringLiteral("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString kRunName = QStringLiteral("Korvist Mixer");
// wine names the X windows of a program after its executable; the docked
// tray icons are windows of wine's explorer.
const QString kWineClass = QStringLiteral("korvistdriver.exe");
const QString kTrayClass = QStringLiteral("explorer.exe");
// Detection logs this every second while no interface is there, which is
// when the window shows "声卡未连接！".
const QString kNoDevice = QStringLiteral("Failed to connect to driver.");
// Logged as the panel goes and "声卡未连接！" takes its place.
const QString kDeviceLost = QStringLiteral("Cleared all widgets from base layout.");
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

// A replay as the device saw it: every request but the reads that timers repeat
// (product id, meters, USB status).
QList<SimJournalEntry> replayRequests(QList<SimJournalEntry> journal)
{
    journal.removeIf([](const SimJournalEntry &entry) {
        return entry.code == KORVIST_IOCTL_GET_PRODUCT_ID || entry.code == KORVIST_IOCTL_READ_METERS
               || entry.code == KORVIST_IOCTL_GET_USB_STATUS;
    });
    return journal;
}

// The replay requests of a journal once they have stopped growing for a while.
QList<SimJournalEntry> settledReplay(const std::function<QList<SimJournalEntry>()> &journal)
{
    QList<SimJournalEntry> replay;
    QElapsedTimer quiet;
    quiet.start();
    const QDeadlineTimer deadline(kWaitMs);
    while (!deadline.hasExpired() && (replay.isEmpty() || quiet.elapsed() < 2000)) {
        QTest::qWait(250);
        const QList<SimJournalEntry> now = replayRequests(journal());
        if (now.size() != replay.size()) {
            replay = now;
            quiet.restart();
        }
    }
    return replay;
}

void copySavedFiles(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QString &name : QDir(from).entryList({QStringLiteral("*.ini")}, QDir::Files)) {
        QFile::remove(to + '/' + name);
        QFile::copy(from + '/' + name, to + '/' + name);
    }
}

// The Linux program's replay against `korvist-sim device` from the same saved
// files: at the first plug, or at a replug with the files put back while unplugged.
QList<SimJournalEntry> posixReplay(const QString &savedFilesDir, bool replug)
{
    Isolation isolation;
    copySavedFiles(savedFilesDir, isolation.appDataDir());
    SimDevice device(QStringLiteral("rk2"));
    if (!device.start())
        return {};
    KorvistProcess program;
    program.start({QStringLiteral("QT_QPA_PLATFORM=offscreen")});
    const QList<SimJournalEntry> firstPlug = settledReplay([&device] { return device.journal(); });
    if (!replug)
        return firstPlug;
    if (!device.stop() || !program.waitForLog(kDeviceLost, kWaitMs))
        return {};
    copySavedFiles(savedFilesDir, isolation.appDataDir());
    const qsizetype before = device.journal().size();
    if (!device.start())
        return {};
    return settledReplay([&device, before] { return device.journal().mid(before); });
}

QStringList describe(const QList<SimJournalEntry> &requests)
{
    QStringList lines;
    for (const SimJournalEntry &entry : requests)
        lines << QStringLiteral("0x%1 %2 %3 %4")
                     .arg(QString::number(entry.code, 16).toUpper(), QString::fromLatin1(entry.in.toHex()))
                     .arg(entry.outSize)
                     .arg(entry.status);
    return lines;
}
} // namespace

// The Windows build as a user gets it: installed from the MSI into a wine
// prefix, started, used through its tray icon, ended and uninstalled.
class TestWindowsProgram : public QObject
{
    Q_OBJECT

    WineSetup wine = WineSetup::fromEnvironment();
    XSession session;
    KorvistProcess program;

    // The simulated driver journals only into the directory it was installed with.
    QString journalFile() const { return wine.prefix + QStringLiteral("/drive_c/korvist-sim/korvist-e2e.jsonl"); }
    QString savedFilesDir() const { return wine.roamingDir() + QStringLiteral("/KorvistDriver"); }
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

    QString installedProgram() const { return wine.installDir() + QStringLiteral("/bin/KorvistDriver.exe"); }
    QStringList programCommand() const { return wine.command({windowsPath(installedProgram())}); }

private slots:
    void initTestCase()
    {
        if (!wine.isComplete())
            QSKIP("Runs from scripts/test-windows.sh, which builds the installer and prepares a wine prefix");
        QVERIFY2(session.start(), "Xvfb and trayer must be installed");
        wine.display = session.display();
        QVERIFY(wine.restartSession());
    }

    // Over an older release, whose user has files of their own: one program
    // (this one) is installed afterwards, and the user's files are as they were.
    void silentInstallReplacesAnOlderReleaseAndPutsEverythingInPlace()
    {
        QCOMPARE(wine.run({"msiexec", "/i", windowsPath(wine.olderMsi), "/qn"}), 0);
        const QStringList older = wine.installedVersions();
        QCOMPARE(older.size(), 1);
        for (const char *file : {"rs.ini", "presets/rs/podcast.ini"}) {
            QVERIFY(QDir().mkpath(QFileInfo(savedFilesDir() + '/' + QLatin1String(file)).path()));
            QFile saved(savedFilesDir() + '/' + QLatin1String(file));
            QVERIFY(saved.open(QIODevice::WriteOnly) && saved.write(file) > 0);
        }
        QCOMPARE(wine.run({"msiexec", "/i", windowsPath(wine.msi), "/qn"}), 0);
        QCOMPARE(wine.installedVersions().size(), 1);
        QVERIFY(wine.installedVersions() != older);
        for (const char *file : {"rs.ini", "presets/rs/podcast.ini"}) {
            QFile saved(savedFilesDir() + '/' + QLatin1String(file));
            QVERIFY2(saved.open(QIODevice::ReadOnly) && saved.readAll() == file, file);
        }
        for (const char *file : {"bin/KorvistDriver.exe", "bin/KorvistDriver.com", "bin/KorvistDriver_en_US.qm",
                                 "bin/KorvistDriver_zh_CN.qm", "bin/Qt6Core.dll", "bin/Qt6Gui.dll", "bin/Qt6Widgets.dll",
                                 "bin/libstdc++-6.dll", "bin/qt.conf", "plugins/platforms/qwindows.dll",
                                 "plugins/styles/qwindowsvistastyle.dll", "plugins/imageformats/qico.dll"})
            QVERIFY2(QFile::exists(wine.installDir() + '/' + QLatin1String(file)), file);
        QVERIFY(wine.hasStartMenuEntry());
        QCOMPARE(wine.registryValue(kRunKey, kRunName), '"' + QStringLiteral("C:\\Program Files\\Korvist Mixer\\bin\\KorvistDriver.exe") + '"');
    }

    void olderReleaseIsRefusedAndChangesNothing()
    {
        const QStringList installed = wine.installedVersions();
        QFile exe(installedProgram());
        QVERIFY(exe.open(QIODevice::ReadOnly));
        const QByteArray program = exe.readAll();
        exe.close();
        QVERIFY(wine.run({"msiexec", "/i", windowsPath(wine.olderMsi), "/qn"}) != 0);
        QCOMPARE(wine.installedVersions(), installed);
        QVERIFY(exe.open(QIODevice::ReadOnly));
        QVERIFY(exe.readAll() == program);
        QVERIFY(!wine.registryValue(kRunKey, kRunName).isEmpty());
    }

    // What Explorer shows: the program, with no console, and its console twin
    // for prompts, each with our icon and version details.
    void programsHaveTheirSubsystemIconAndVersion_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<quint32>("subsystem");
        QTest::newRow("window") << QStringLiteral("KorvistDriver.exe") << 2u; // IMAGE_SUBSYSTEM_WINDOWS_GUI
        QTest::newRow("console twin") << QStringLiteral("KorvistDriver.com") << 3u; // IMAGE_SUBSYSTEM_WINDOWS_CUI
    }
    void programsHaveTheirSubsystemIconAndVersion()
    {
        QFETCH(QString, file);
        QFETCH(quint32, subsystem);
        QFile exe(wine.installDir() + QStringLiteral("/bin/") + file);
        QVERIFY(exe.open(QIODevice::ReadOnly));
        const QByteArray image = exe.readAll();
        const auto number = [&image](qsizetype at, int bytes) {
            quint32 value = 0;
            for (int i = bytes - 1; i >= 0; --i)
                value = value << 8 | quint8(image.at(at + i));
            return value;
        };
        const qsizetype header = number(0x3c, 4);
        QCOMPARE(image.mid(header, 4), QByteArray("PE\0\0", 4));
        QCOMPARE(number(header + 0x5c, 2), subsystem);

        // The resource section's top level lists the resource types by number.
        const qsizetype sections = header + 24 + number(header + 20, 2);
        QSet<quint32> types;
        for (quint32 i = 0; i < number(header + 6, 2); ++i) {
            const qsizetype section = sections + 40 * i;
            if (image.mid(section, 5) != ".rsrc")
                continue;
            const qsizetype root = number(section + 20, 4);
            const quint32 named = number(root + 12, 2);
            for (quint32 entry = 0; entry < number(root + 14, 2); ++entry)
                types.insert(number(root + 16 + 8 * (named + entry), 4));
        }
        QVERIFY2(types.contains(14), "no icon group"); // RT_GROUP_ICON
        QVERIFY2(types.contains(16), "no version details"); // RT_VERSION
        const auto utf16 = [](const char *text) {
            const QString string = QString::fromLatin1(text);
            return QByteArray(reinterpret_cast<const char *>(string.utf16()), string.size() * 2);
        };
        for (const char *text : {"ProductName", "Korvist Mixer", "ProductVersion", "V2.0_251210"})
            QVERIFY2(image.contains(utf16(text)), text);
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
        copySavedFiles(savedFilesDir(), savedBefore.path());
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
            QSettings saved(savedFilesDir() + QStringLiteral("/rk2.ini"), QSettings::IniFormat);
            QVERIFY(saved.contains(QStringLiteral("Dial/SpeakerValue")));
            saved.setValue(QStringLiteral("Dial/SpeakerValue"), -30);
            saved.setValue(QStringLiteral("Button/Mic148VIsChecked"), true);
        }
        QTemporaryDir savedBefore;
        copySavedFiles(savedFilesDir(), savedBefore.path());
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
                QCOMPARE(wine.run({windowsPath(installedProgram()), "--get", "SpeakerValue"}, &value), 0);
            }
        }
        const QRect menu = openTrayMenu(2 * kStalledCallMs);
        QVERIFY(!menu.isEmpty());
        session.keys({"Escape"});
        QCOMPARE(simctl({"stall", "off"}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!session.windows(kRk2Title, true).isEmpty(), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(wine.run({windowsPath(installedProgram()), "--set", "SpeakerValue=-30"}), 0, kWaitMs);
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
        QCOMPARE(wine.run(QStringList {windowsPath(installedProgram())} + command), 0);
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
        // Quit is the second of the menu's eleven entries, under the disabled
        // version entry; its three separators are thinner than an entry, so
        // an entry's share of the height is a little more than an eleventh.
        constexpr int kEntries = 11;
        session.click(menu.topLeft() + QPoint(menu.width() / 2, menu.height() * 3 / (2 * kEntries)), 1);
        QVERIFY2(program.waitForExit(kWaitMs), qPrintable(program.log()));
        QCOMPARE(program.exitCode(), 0);
    }

    void silentUninstallRemovesItAllButTheUsersFiles()
    {
        const QString saved = wine.roamingDir() + QStringLiteral("/KorvistDriver/rk2.ini");
        QVERIFY(QDir().mkpath(QFileInfo(saved).path()));
        QFile ini(saved);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Dial]\nSpeakerValue=-30\n");
        ini.close();

        QCOMPARE(wine.run({"msiexec", "/x", windowsPath(wine.msi), "/qn"}), 0);
        QVERIFY(!QFile::exists(installedProgram()));
        QVERIFY(!QFile::exists(wine.installDir()));
        QVERIFY(!wine.hasStartMenuEntry());
        QVERIFY(wine.registryValue(kRunKey, kRunName).isEmpty());
        QVERIFY(QFile::exists(saved));
    }

    // Left out once, the sign-in start stays out across an upgrade.
    void signInStartCanBeLeftOut()
    {
        QCOMPARE(wine.run({"msiexec", "/i", windowsPath(wine.olderMsi), "/qn", "AUTOSTART=0"}), 0);
        QVERIFY(wine.registryValue(kRunKey, kRunName).isEmpty());
        QCOMPARE(wine.run({"msiexec", "/i", windowsPath(wine.msi), "/qn"}), 0);
        QCOMPARE(wine.installedVersions().size(), 1);
        QVERIFY(QFile::exists(installedProgram()));
        QVERIFY(wine.hasStartMenuEntry());
        QVERIFY(wine.registryValue(kRunKey, kRunName).isEmpty());
        QCOMPARE(wine.run({"msiexec", "/x", windowsPath(wine.msi), "/qn"}), 0);
        QVERIFY(!QFile::exists(wine.installDir()));
    }
};

QTEST_GUILESS_MAIN(TestWindowsProgram)
#include "tst_windowsprogram.moc"
