#include "wineprogram.h"
#include "xsession.h"

#include <QtTest>

namespace {
const QString kRunKey = QStringLiteral("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString kRunName = QStringLiteral("Korvist Mixer");
} // namespace

// The installer as a user meets it, in a wine prefix: over an older release,
// refusing a downgrade, what it puts in place, and what it takes away again.
class TestWindowsInstaller : public QObject
{
    Q_OBJECT

    WineSetup wine = WineSetup::fromEnvironment();
    XSession session;

private slots:
    void initTestCase()
    {
        if (!wine.isComplete())
            QSKIP("Runs from scripts/test-windows.sh, which builds the installer and prepares a wine prefix");
        QVERIFY2(session.start(false), "Xvfb must be installed");
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
            QVERIFY(QDir().mkpath(QFileInfo(wine.savedFilesDir() + '/' + QLatin1String(file)).path()));
            QFile saved(wine.savedFilesDir() + '/' + QLatin1String(file));
            QVERIFY(saved.open(QIODevice::WriteOnly) && saved.write(file) > 0);
        }
        QCOMPARE(wine.run({"msiexec", "/i", windowsPath(wine.msi), "/qn"}), 0);
        QCOMPARE(wine.installedVersions().size(), 1);
        QVERIFY(wine.installedVersions() != older);
        for (const char *file : {"rs.ini", "presets/rs/podcast.ini"}) {
            QFile saved(wine.savedFilesDir() + '/' + QLatin1String(file));
            QVERIFY2(saved.open(QIODevice::ReadOnly) && saved.readAll() == file, file);
        }
        for (const char *file : {"bin/KorvistDriver.exe", "bin/KorvistDriver.com", "bin/KorvistDriver_en_US.qm",
                                 "bin/KorvistDriver_zh_CN.qm", "bin/Qt6Core.dll", "bin/Qt6Gui.dll", "bin/Qt6Widgets.dll",
                                 "bin/libstdc++-6.dll", "bin/qt.conf", "plugins/platforms/qwindows.dll",
                                 "plugins/styles/qwindowsvistastyle.dll", "plugins/imageformats/qico.dll"})
            QVERIFY2(QFile::exists(wine.installDir() + '/' + QLatin1String(file)), file);
        QVERIFY(wine.hasStartMenuEntry());
        // Made here, so that no user owns it (wine keeps no owner or access list: docs/windows.md).
        QVERIFY(QFileInfo(wine.prefix + QStringLiteral("/drive_c/ProgramData/Korvist/InterfaceOwners")).isDir());
        QCOMPARE(wine.registryValue(kRunKey, kRunName), '"' + QStringLiteral("C:\\Program Files\\Korvist Mixer\\bin\\KorvistDriver.exe") + '"');
    }

    void olderReleaseIsRefusedAndChangesNothing()
    {
        const QStringList installed = wine.installedVersions();
        QFile exe(wine.installedProgram());
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

    void silentUninstallRemovesItAllButTheUsersFiles()
    {
        const QString saved = wine.roamingDir() + QStringLiteral("/KorvistDriver/rk2.ini");
        QVERIFY(QDir().mkpath(QFileInfo(saved).path()));
        QFile ini(saved);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Dial]\nSpeakerValue=-30\n");
        ini.close();

        QCOMPARE(wine.run({"msiexec", "/x", windowsPath(wine.msi), "/qn"}), 0);
        QVERIFY(!QFile::exists(wine.installedProgram()));
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
        QVERIFY(QFile::exists(wine.installedProgram()));
        QVERIFY(wine.hasStartMenuEntry());
        QVERIFY(wine.registryValue(kRunKey, kRunName).isEmpty());
        QCOMPARE(wine.run({"msiexec", "/x", windowsPath(wine.msi), "/qn"}), 0);
        QVERIFY(!QFile::exists(wine.installDir()));
    }
};

QTEST_GUILESS_MAIN(TestWindowsInstaller)
#include "tst_windowsinstaller.moc"
