#include <trayicon.h>

#include <iocontrolcodes.h>
#include <isolation.h>
#include <knob.h>
#include <logcapture.h>
#include <mainwindow.h>
#include <modalwatcher.h>
#include <presetnamedialog.h>
#include <presets.h>
#include <remotecontrol.h>
#include <rk2.h>
#include <simdevice.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

namespace {

struct Entry
{
    QString text;
    bool separator;
    bool enabled;
};

QAction *entry(TrayIcon &tray, const QString &text)
{
    for (QAction *action : tray.contextMenu()->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

// A directory of stand-in programs placed first on PATH for one test.
class FakePrograms
{
public:
    FakePrograms() : savedPath(qgetenv("PATH")) { qputenv("PATH", (dir.path() + ':').toLocal8Bit() + savedPath); }
    ~FakePrograms() { qputenv("PATH", savedPath); }

    void add(const QString &name, const QString &script)
    {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(("#!/bin/sh\n" + script + '\n').toUtf8());
        file.close();
        QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
    }
    // PATH holds nothing but this directory.
    void only() { qputenv("PATH", dir.path().toLocal8Bit()); }
    QString path(const QString &name) const { return dir.filePath(name); }

private:
    QTemporaryDir dir;
    QByteArray savedPath;
};

} // namespace

Q_DECLARE_METATYPE(QSystemTrayIcon::ActivationReason)

class TestTrayIcon : public QObject
{
    Q_OBJECT

private slots:
    void menuEntries()
    {
        TrayIcon tray;
        const QList<Entry> expected {
            {"V2.0_251210", false, false}, {"Quit", false, true},
            {"", true, true},              {"Setup", false, true},
            {"Main Window", false, true},  {"Upgrade Firmware", false, true},
            {"Refresh Audio Device", false, true}, {"Win Sound Pannel", false, true},
            {"", true, true},              {"", true, true},
            {"Remote Access...", false, false}, {"Volume Limits...", false, true},
            {"Keyboard Shortcuts...", false, false},
            {"Presets", false, true},      {"Control Surfaces (OSC)", false, false},
        };
        QVERIFY(tray.contextMenu());
        const QList<QAction *> actions = tray.contextMenu()->actions();
        QCOMPARE(actions.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(actions[i]->text(), expected[i].text);
            QCOMPARE(actions[i]->isSeparator(), expected[i].separator);
            QCOMPARE(actions[i]->isEnabled(), expected[i].enabled);
        }
        QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
        QVERIFY(!tray.icon().isNull());
    }

    void activation_data()
    {
        QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
        QTest::addColumn<bool>("shows");
        QTest::newRow("single click") << QSystemTrayIcon::Trigger << true;
        QTest::newRow("double click") << QSystemTrayIcon::DoubleClick << true;
        QTest::newRow("context click") << QSystemTrayIcon::Context << false;
        QTest::newRow("middle click") << QSystemTrayIcon::MiddleClick << false;
        QTest::newRow("unknown") << QSystemTrayIcon::Unknown << false;
    }
    void activation()
    {
        QFETCH(QSystemTrayIcon::ActivationReason, reason);
        QFETCH(bool, shows);
        TrayIcon tray;
        QWidget window;
        tray.setMainWindow(&window);
        emit tray.activated(reason);
        QCOMPARE(window.isVisible(), shows);
    }

    void mainWindowEntryShowsTheWindow()
    {
        TrayIcon tray;
        QWidget window;
        tray.setMainWindow(&window);
        tray.setMainWindow(nullptr); // keeps the window it has
        entry(tray, "Main Window")->trigger();
        QVERIFY(window.isVisible());
    }

    void setupShowsTheSettingsWindow()
    {
        TrayIcon tray;
        QWidget settings;
        tray.settingsWindow = &settings;
        entry(tray, "Setup")->trigger();
        QVERIFY(settings.isVisible());
    }

    void missingWindowsAreReported_data()
    {
        QTest::addColumn<QString>("entryText");
        QTest::addColumn<QString>("text");
        QTest::newRow("main window") << "Main Window" << "主窗口未设置，请先设置主窗口。";
        QTest::newRow("settings") << "Setup" << "设置窗口未设置，请先设置设置窗口。";
    }
    void missingWindowsAreReported()
    {
        QFETCH(QString, entryText);
        QFETCH(QString, text);
        TrayIcon tray;
        ModalWatcher watcher;
        entry(tray, entryText)->trigger();
        QCOMPARE(watcher.boxes.size(), 1);
        QCOMPARE(watcher.boxes[0].title, QString("警告"));
        QCOMPARE(watcher.boxes[0].text, text);
    }

    void clickWithoutMainWindowWarns()
    {
        TrayIcon tray;
        ModalWatcher watcher;
        emit tray.activated(QSystemTrayIcon::Trigger);
        QCOMPARE(watcher.boxes.size(), 1);
        QCOMPARE(watcher.boxes[0].text, QString("主窗口未设置，请先设置主窗口。"));
    }

    void upgradeWithoutDeviceSendsNothing()
    {
        Isolation isolation;
        TrayIcon tray;
        LogCapture log;
        entry(tray, "Upgrade Firmware")->trigger();
        QCOMPARE(log.lines(), QStringList {"Failed to create device in rk1."});
    }

    void upgradeSendsOneCommand()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        TrayIcon tray;
        entry(tray, "Upgrade Firmware")->trigger();
        const QList<SimJournalEntry> requests = device.journal();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].code, iocode::Command);
        QByteArray expected(37, '\0');
        expected[0] = 0x01;
        expected[1] = 0x60;
        QCOMPARE(requests[0].in.toHex(), expected.toHex());
    }

    void soundPanelOpens()
    {
        FakePrograms programs;
        const QString marker = programs.path("started");
        programs.add("pavucontrol", "touch '" + marker + "'");
        TrayIcon tray;
        LogCapture log;
        entry(tray, "Win Sound Pannel")->trigger();
        QVERIFY(log.contains("声音设置面板已打开。"));
        QTRY_VERIFY(QFile::exists(marker));
    }

    void soundPanelMissingIsReportedEachTime()
    {
        FakePrograms programs;
        programs.only();
        TrayIcon tray;
        ModalWatcher watcher;
        entry(tray, "Win Sound Pannel")->trigger();
        entry(tray, "Win Sound Pannel")->trigger();
        QCOMPARE(watcher.boxes.size(), 2);
        QCOMPARE(watcher.boxes[1].title, QString("错误"));
        QCOMPARE(watcher.boxes[1].text, QString("无法打开声音设置面板，请检查系统设置。"));
    }

    void refreshFailureIsLogged()
    {
        FakePrograms programs;
        programs.add("pgrep", "exit 1");
        TrayIcon tray;
        LogCapture log;
        entry(tray, "Refresh Audio Device")->trigger();
        QCOMPARE(log.lines(), (QStringList {"命令执行失败，退出代码: 1", "输出: \"\"",
                                            "错误输出: \"no sound server is running\\n\""}));
    }

    void refreshSuccessIsLogged()
    {
        FakePrograms programs;
        const QString marker = programs.path("restarted");
        programs.add("pgrep", "[ \"$4\" = pipewire ]");
        programs.add("systemctl", "echo \"$@\" > '" + marker + "'");
        TrayIcon tray;
        LogCapture log;
        entry(tray, "Refresh Audio Device")->trigger();
        QCOMPARE(log.lines(), QStringList {"资源管理器已成功重启"});
        QFile restarted(marker);
        QVERIFY(restarted.open(QIODevice::ReadOnly));
        QCOMPARE(restarted.readAll().trimmed(), QByteArray("--user restart wireplumber pipewire pipewire-pulse"));
    }

    void windowMenuIsTheTrayMenu_data()
    {
        QTest::addColumn<Qt::Key>("key"); // none: a right click on the window's background
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("Shift+F10") << Qt::Key_F10 << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("Menu key") << Qt::Key_Menu << Qt::KeyboardModifiers();
        QTest::newRow("right click") << Qt::Key_unknown << Qt::KeyboardModifiers();
    }
    void windowMenuIsTheTrayMenu()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        Isolation isolation;
        MainWindow window;
        TrayIcon tray;
        tray.setMainWindow(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (key == Qt::Key_unknown)
            QTest::mouseClick(window.windowHandle(), Qt::RightButton);
        else
            QTest::keyClick(&window, key, modifiers);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu->actions(), tray.contextMenu()->actions());
        menu->close();
    }

    void presetNameDialog_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("a slash") << "a/b" << false;
        QTest::newRow("nothing") << "" << false;
        QTest::newRow("spaces around a name") << " quiet " << true;
    }
    void presetNameDialog()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        PresetNameDialog dialog;
        dialog.show();
        QTest::keyClicks(dialog.findChild<QLineEdit *>(), typed);
        QTest::keyClick(dialog.findChild<QLineEdit *>(), Qt::Key_Return);
        QCOMPARE(dialog.isVisible(), !accepted);
        QStringList shown;
        for (const QLabel *label : dialog.findChildren<QLabel *>())
            if (label->isVisibleTo(&dialog))
                shown << label->text();
        QCOMPARE(shown.contains(remote::presets::nameRefusal(typed.trimmed()).value_or(QString()).translated()), !accepted);
        QCOMPARE(dialog.name(), typed.trimmed());
    }

    // What the presets menu says is in the user's language; scripts get English.
    void presetsMenuLoadsWhatItLists_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("speakerAfter");
        QTest::newRow("as saved") << "Dial/SpeakerValue" << "-30" << "已载入预设“quiet”。" << -30;
        QTest::newRow("48V on") << "Button/Mic148VIsChecked" << "true"
                                << "已载入预设“quiet”。\n麦克风1 的 48V 幻象电源保持关闭：请手动打开。" << -30;
        QTest::newRow("out of range") << "Dial/SpeakerValue" << "99"
                                      << "预设“quiet”被拒绝，未做任何更改：Dial/SpeakerValue=99：99 超出了 SpeakerValue "
                                         "的范围：请给出 -80 到 6 之间的整数。" << -10;
        QTest::newRow("another model") << "Preset/Model" << "rk1"
                                       << "预设“quiet”被拒绝，未做任何更改：它属于 rk1，而不是当前连接的 rk2。" << -10;
    }
    void presetsMenuLoadsWhatItLists()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, said);
        QFETCH(int, speakerAfter);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        QWidget window;
        (new rk2)->setParent(&window);
        Knob *speaker = nullptr;
        for (Knob *knob : window.findChildren<Knob *>())
            speaker = knob->property("savedKey") == "Dial/SpeakerValue" ? knob : speaker;
        QVERIFY(speaker);
        TrayIcon tray;
        tray.setMainWindow(&window);
        speaker->setValue(-30);
        QCOMPARE(remote::execute(&window, {remote::Verb::PresetSave, "quiet"}).text.english(), QString("saved preset \"quiet\""));
        speaker->setValue(-10);
        const QString presetsDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/presets";
        QSettings(presetsDir + "/rk2/quiet.ini", QSettings::IniFormat).setValue(key, value);

        QMenu *presets = entry(tray, "Presets")->menu();
        emit presets->aboutToShow();
        QStringList texts;
        for (QAction *action : presets->actions())
            texts << action->text();
        QCOMPARE(texts, (QStringList {"quiet", "", "Save current as..."}));
        QTranslator chinese;
        QVERIFY(chinese.load(QStringLiteral(KORVIST_QM_DIR "/KorvistDriver_zh_CN.qm")));
        QCoreApplication::installTranslator(&chinese);
        ModalWatcher watcher;
        presets->actions().first()->trigger();
        QCOMPARE(watcher.boxes.size(), 1);
        QCOMPARE(watcher.boxes[0].text, said);
        QCOMPARE(speaker->value, speakerAfter);
    }
};

QTEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
