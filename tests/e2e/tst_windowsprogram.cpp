#include "korvistprocess.h"
#include "wineprogram.h"
#include "xsession.h"

#include <QtTest>

namespace {
constexpr int kWaitMs = 30000;
const QString kRunKey = QStringLiteral("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString kRunName = QStringLiteral("Korvist Mixer");
// wine names the X windows of a program after its executable; the docked
// tray icons are windows of wine's explorer.
const QString kWineClass = QStringLiteral("korvistdriver.exe");
const QString kTrayClass = QStringLiteral("explorer.exe");
// Detection logs this every second while no interface is there, which is
// when the window shows "声卡未连接！".
const QString kNoDevice = QStringLiteral("Failed to connect to driver.");
} // namespace

// The Windows build as a user gets it: installed from the MSI into a wine
// prefix, started, used through its tray icon, ended and uninstalled.
class TestWindowsProgram : public QObject
{
    Q_OBJECT

    WineSetup wine = WineSetup::fromEnvironment();
    XSession session;
    KorvistProcess program;
    QRect icon;

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

    void silentInstallPutsEverythingInPlace()
    {
        QString output;
        QCOMPARE(wine.run({"msiexec", "/i", windowsPath(wine.msi), "/qn"}, &output), 0);
        for (const char *file : {"bin/KorvistDriver.exe", "bin/KorvistDriver_en_US.qm", "bin/KorvistDriver_zh_CN.qm",
                                 "bin/Qt6Core.dll", "bin/Qt6Gui.dll", "bin/Qt6Widgets.dll", "bin/libstdc++-6.dll",
                                 "bin/qt.conf", "plugins/platforms/qwindows.dll",
                                 "plugins/styles/qwindowsvistastyle.dll", "plugins/imageformats/qico.dll"})
            QVERIFY2(QFile::exists(wine.installDir() + '/' + QLatin1String(file)), file);
        QVERIFY(wine.hasStartMenuEntry());
        QCOMPARE(wine.registryValue(kRunKey, kRunName), '"' + QStringLiteral("C:\\Program Files\\Korvist Mixer\\bin\\KorvistDriver.exe") + '"');
    }

    // What Explorer shows: a GUI program (no console) with our icon and version details.
    void programIsAGuiProgramWithIconAndVersion()
    {
        QFile exe(installedProgram());
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
        QCOMPARE(number(header + 0x5c, 2), 2u); // IMAGE_SUBSYSTEM_WINDOWS_GUI

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

    void trayIconShowsTheWindowWithoutADevice()
    {
        program.start(programCommand(), wine.environment());
        QTRY_VERIFY_WITH_TIMEOUT(!(icon = session.trayIcon(kTrayClass)).isEmpty(), kWaitMs);
        QVERIFY(session.windows(QStringLiteral("^Korvist Driver$"), true).isEmpty());
        session.click(icon.center(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!session.windows(QStringLiteral("^Korvist Driver$"), true).isEmpty(), kWaitMs);
        QTRY_VERIFY2_WITH_TIMEOUT(consoleText(program.log()).contains(kNoDevice), qPrintable(consoleText(program.log())),
                                  kWaitMs);
    }

    void secondStartEndsAtOnceAndLeavesTheFirst()
    {
        KorvistProcess second;
        second.start(programCommand(), wine.environment());
        QVERIFY2(second.waitForExit(kWaitMs), qPrintable(second.log()));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(program.isRunning());
    }

    void asioNoticeThroughTheNamedPipeRaisesSettings()
    {
        QVERIFY(session.windows(QStringLiteral("^Settings$"), true).isEmpty());
        QString output;
        QCOMPARE(wine.run({windowsPath(wine.simulator), "asio-notify", "--buffer-size", "256", "--open-window"}, &output),
                 0);
        QTRY_VERIFY_WITH_TIMEOUT(!session.windows(QStringLiteral("^Settings$"), true).isEmpty(), kWaitMs);
    }

    void quitFromTheTrayMenuEndsWithZero()
    {
        // Right after a window of the program took the focus, wine may drop a
        // click on the icon: click again until the menu is there.
        QRect menu;
        const auto menuIsOpen = [&] { return !(menu = session.popup(kWineClass, QStringLiteral("KorvistDriver"))).isEmpty(); };
        for (int attempt = 0; attempt < 5; ++attempt) {
            session.click(icon.center(), 3);
            if (QTest::qWaitFor(menuIsOpen, 3000))
                break;
        }
        QVERIFY(!menu.isEmpty());
        // Quit is the entry under the disabled version entry at the top, a
        // fifth of the way down the menu.
        session.click(menu.topLeft() + QPoint(menu.width() / 2, menu.height() / 5), 1);
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

    void signInStartCanBeLeftOut()
    {
        QCOMPARE(wine.run({"msiexec", "/i", windowsPath(wine.msi), "/qn", "AUTOSTART=0"}), 0);
        QVERIFY(QFile::exists(installedProgram()));
        QVERIFY(wine.hasStartMenuEntry());
        QVERIFY(wine.registryValue(kRunKey, kRunName).isEmpty());
        QCOMPARE(wine.run({"msiexec", "/x", windowsPath(wine.msi), "/qn"}), 0);
        QVERIFY(!QFile::exists(wine.installDir()));
    }
};

QTEST_GUILESS_MAIN(TestWindowsProgram)
#include "tst_windowsprogram.moc"
