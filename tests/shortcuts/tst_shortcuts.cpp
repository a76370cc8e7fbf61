#include <keyboardshortcutsdialog.h>
#include <shortcutservice.h>

#include <globalshortcuts.h>
#include <isolation.h>
#include <logcapture.h>
#include <onscreendisplay.h>
#include <remotecontrol.h>
#include <rk2.h>
#include <simdevice.h>

#include <QComboBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QtTest>

using shortcuts::Action;

namespace {

bool writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QString displayed()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (qobject_cast<globalkeys::OnScreenDisplay *>(window) && window->isVisible())
            return window->windowTitle();
    return QStringLiteral("(nothing shown)");
}

QString run(QWidget &window, const QString &command)
{
    QString error;
    return remote::execute(&window, remote::parseCommand(command, error).value()).text.english();
}

} // namespace

class TestShortcuts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("KorvistDriver")); }

    // As the command line and shortcuts.ini give them: read back as written, or refused saying why.
    void keysAndAction_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("read");
        QTest::newRow("step") << "Ctrl+Alt+Up" << "step SpeakerValue=+2" << "Ctrl+Alt+Up step SpeakerValue=2";
        QTest::newRow("lower case") << "ctrl+alt+down" << "toggle SpeakerMuteIsChecked"
                                    << "Ctrl+Alt+Down toggle SpeakerMuteIsChecked";
        QTest::newRow("preset with a space") << "Meta+1" << "preset My Set" << "Meta+1 preset My Set";
        QTest::newRow("show") << "Alt+F9" << "show" << "Alt+F9 show";
        QTest::newRow("step of 0") << "Ctrl+Alt+Up" << "step SpeakerValue=0" << "is no shortcut action";
        QTest::newRow("step past a key's") << "Ctrl+Alt+Up" << "step SpeakerValue=-7" << "is no shortcut action";
        QTest::newRow("step without a level") << "Ctrl+Alt+Up" << "step =2" << "is no shortcut action";
        QTest::newRow("a device's name") << "Ctrl+Alt+Up" << "preset CON" << "not a preset name";
        QTest::newRow("a plain key") << "Up" << "show" << "is no key combination";
        QTest::newRow("Shift alone") << "Shift+A" << "show" << "is no key combination";
        QTest::newRow("modifiers alone") << "Ctrl+Alt" << "show" << "is no key combination";
        QTest::newRow("two in a row") << "Ctrl+A, Ctrl+B" << "show" << "is no key combination";
    }
    void keysAndAction()
    {
        QFETCH(QString, keys);
        QFETCH(QString, action);
        QFETCH(QString, read);
        answers::Sentence why;
        const std::optional<QKeyCombination> combination = shortcuts::parseKeys(keys, why);
        const std::optional<Action> parsed = combination ? shortcuts::parseAction(action, why) : std::nullopt;
        const QString result = parsed ? shortcuts::keysText(*combination) + ' ' + parsed->text() : why.english();
        QVERIFY2(parsed ? result == read : result.contains(read), qPrintable(result));
    }

    // shortcuts.ini comes from outside: what is damaged is left out, one log line each, and the rest applies.
    void fileRead_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("bindings");
        QTest::addColumn<QString>("mediaKeys"); // output and step
        QTest::addColumn<int>("damaged");
        QTest::newRow("written by hand") << QByteArray("[Shortcuts]\nCtrl+Alt+Up=step SpeakerValue=2\n") << "Ctrl+Alt+Up step SpeakerValue=2"
                                         << " 2" << 0;
        QTest::newRow("damaged entries") << QByteArray("[Shortcuts]\nCtrl+Alt=show\nAlt+F9=show\nAlt+F8=jump 3\n")
                                         << "Alt+F9 show" << " 2" << 2;
        QTest::newRow("media keys") << QByteArray("[MediaKeys]\nOutput=HeadphoneValue\nStep=3\n") << "" << "HeadphoneValue 3" << 0;
        QTest::newRow("media step too large") << QByteArray("[MediaKeys]\nOutput=HeadphoneValue\nStep=9\n") << ""
                                              << "HeadphoneValue 2" << 1;
        QTest::newRow("media output not a name") << QByteArray("[MediaKeys]\nOutput=a b\n") << "" << " 2" << 1;
        QTest::newRow("display choice not a switch") << QByteArray("[OnScreenDisplay]\nOtherChanges=maybe\n") << ""
                                                     << " 2" << 1;
    }
    void fileRead()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, bindings);
        QFETCH(QString, mediaKeys);
        QFETCH(int, damaged);
        Isolation isolation;
        QVERIFY(writeFile(isolation.appDataDir() + "/shortcuts.ini", file));
        LogCapture log;
        const shortcuts::SavedShortcuts saved = shortcuts::loadShortcuts();
        QStringList read;
        for (const auto &[keys, action] : saved.bindings)
            read << shortcuts::keysText(keys) + ' ' + action.text();
        QCOMPARE(read.join('\n'), bindings);
        QCOMPARE(saved.mediaKeys.output + ' ' + QString::number(saved.mediaKeys.step), mediaKeys);
        QCOMPARE(saved.showOtherChanges, false);
        QCOMPARE(log.lines().size(), damaged);
    }

    // A combination written anew replaces any spelling of it the user wrote by hand.
    void savedOverAHandWrittenEntry()
    {
        Isolation isolation;
        QVERIFY(writeFile(isolation.appDataDir() + "/shortcuts.ini", "[Shortcuts]\nctrl+alt+up=show\n"));
        const QKeyCombination keys(Qt::ControlModifier | Qt::AltModifier, Qt::Key_Up);
        QVERIFY(shortcuts::saveBinding(keys, Action {Action::Kind::Toggle, "SpeakerMuteIsChecked", 0}));
        QCOMPARE(shortcuts::loadShortcuts().bindings.size(), std::size_t(1));
        QCOMPARE(shortcuts::loadShortcuts().bindings.at(keys).text(), QString("toggle SpeakerMuteIsChecked"));
        QVERIFY(shortcuts::saveBinding(keys, std::nullopt));
        QVERIFY(shortcuts::loadShortcuts().bindings.empty());
    }

    // --hotkey and --media-keys as the running program answers them; this desktop (offscreen) lends no keys.
    void commands_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("answer"); // its start
        QTest::addColumn<QString>("listed"); // --hotkey's answer afterwards
        const QString held = "Alt+F9 show (not held: this desktop lends no global shortcuts)";
        QTest::newRow("listed") << "hotkey" << 0 << held << held;
        QTest::newRow("no action") << "hotkey Ctrl+Alt+Up" << 1 << "hotkey takes nothing" << held;
        QTest::newRow("no such action") << "hotkey Ctrl+Alt+Up jump" << 1 << "\"jump\" is no shortcut action" << held;
        QTest::newRow("not lent, not kept") << "hotkey Ctrl+Alt+Up show" << 1
                                            << "Ctrl+Alt+Up cannot be held here: this desktop lends no keys" << held;
        QTest::newRow("removed") << "hotkey alt+f9 none" << 0 << "Alt+F9 none" << "";
        QTest::newRow("media keys off") << "media-keys" << 0 << "off: the volume keys move the system volume" << held;
        QTest::newRow("media keys on a switch") << "media-keys SpeakerMuteIsChecked" << 1
                                                << "the media keys step an output or phone level of the rk2: "
                                                   "SpeakerValue, HeadphoneValue, OtgToHpValue, OtgToSPValue" << held;
        QTest::newRow("media keys by too much") << "media-keys SpeakerValue 7" << 1 << "a media key steps 1 to 6 dB" << held;
        QTest::newRow("media keys not lent") << "media-keys SpeakerValue" << 1 << "Volume Up cannot be held here" << held;
    }
    void commands()
    {
        QFETCH(QString, request);
        QFETCH(int, code);
        QFETCH(QString, answer);
        QFETCH(QString, listed);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        QWidget window;
        (new rk2)->setParent(&window);
        QVERIFY(writeFile(isolation.appDataDir() + "/shortcuts.ini", "[Shortcuts]\nAlt+F9=show\n"));
        shortcuts::ShortcutService service(&window);
        service.start();
        QString error;
        const remote::Answer answered = service.command(remote::parseCommand(request, error).value());
        QCOMPARE(answered.code, code);
        QVERIFY2(answered.text.english().startsWith(answer), qPrintable(answered.text.english()));
        QCOMPARE(service.command({remote::Verb::Hotkey, QString()}).text.english(), listed);
        QCOMPARE(shortcuts::loadShortcuts().bindings.size(), std::size_t(listed.isEmpty() ? 0 : 1));
    }

    // What the window offers a key for: the levels both ways, the switches that lower an output, presets, the panel.
    void offered_data()
    {
        QTest::addColumn<bool>("panel");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("labels");
        const QString rk2 = "SPEAKER Volume up 2 dB,SPEAKER Volume down 2 dB,SPEAKER MUTE on or off,SPEAKER DIM on or off,"
                            "HEADPHONE Volume up 2 dB,HEADPHONE Volume down 2 dB,HEADPHONE MUTE on or off,"
                            "Phone To HP Volume up 2 dB,Phone To HP Volume down 2 dB,Phone To SP Volume up 2 dB,"
                            "Phone To SP Volume down 2 dB,Load preset p,Show the panel";
        QTest::newRow("rk2") << true << QByteArray() << rk2;
        QTest::newRow("another step and model") << true << QByteArray("[Shortcuts]\nAlt+1=step SpeakerValue=3\nAlt+2=toggle MicInstrIsChecked\nAlt+3=show\n")
                                                << rk2 + ",step SpeakerValue=3,toggle MicInstrIsChecked";
        QTest::newRow("no interface") << false << QByteArray("[Shortcuts]\nAlt+1=step SpeakerValue=3\n")
                                       << "Show the panel,step SpeakerValue=3";
    }
    void offered()
    {
        QFETCH(bool, panel);
        QFETCH(QByteArray, file);
        QFETCH(QString, labels);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(!panel || device.start());
        QWidget window;
        if (panel)
            (new rk2)->setParent(&window);
        QVERIFY(writeFile(isolation.appDataDir() + "/presets/rk2/p.ini", "[Preset]\nModel=rk2\n"));
        QVERIFY(writeFile(isolation.appDataDir() + "/shortcuts.ini", file));
        QStringList offered;
        for (const shortcuts::OfferedAction &each :
             shortcuts::offeredActions(controls::shownTable(&window), shortcuts::loadShortcuts().bindings))
            offered << each.label;
        QCOMPARE(offered.join(','), labels);
    }

    // A press goes through the gate as a surface's change does, and shows on the display.
    void pressCarriedOut_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("setup"); // script commands, ';' between them
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("after"); // --get's answer for the action's control
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("said"); // log lines of the shortcut
        QTest::newRow("step") << "step SpeakerValue=2" << "set SpeakerValue=-30" << 1 << "-28" << "SPEAKER Volume -28 dB" << 0;
        QTest::newRow("a limit held over ten presses") << "step SpeakerValue=2" << "set SpeakerValue=-34;limit SpeakerValue=-30"
                                                       << 10 << "-30" << "SPEAKER Volume -30 dB limited to -30 dB" << 0;
        QTest::newRow("48 V not switched on") << "toggle Mic148VIsChecked" << "" << 2 << "false"
                                              << "MIC1 48V Off 48V on MIC1 is switched on by hand or by a script only: it stays off"
                                              << 1;
        QTest::newRow("48 V switched off") << "toggle Mic148VIsChecked" << "set Mic148VIsChecked=on" << 1 << "false"
                                           << "MIC1 48V Off" << 0;
        QTest::newRow("a switch is no level") << "step Mic120dBIsChecked=2" << "" << 1 << "false"
                                              << "MIC1 20dB Off Mic120dBIsChecked is a switch, which a step cannot "
                                                 "move: turn it with --set Mic120dBIsChecked=toggle" << 1;
        QTest::newRow("DIM shown with its output") << "toggle SpeakerDimIsChecked" << "set SpeakerValue=-20" << 1
                                                   << "true" << "SPEAKER Volume -20 dB SPEAKER DIM On" << 0;
        QTest::newRow("another model's control") << "toggle MicInstrIsChecked" << "" << 3 << "" << "(nothing shown)" << 1;
    }
    void pressCarriedOut()
    {
        QFETCH(QString, action);
        QFETCH(QString, setup);
        QFETCH(int, presses);
        QFETCH(QString, after);
        QFETCH(QString, shown);
        QFETCH(int, said);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        QWidget window;
        (new rk2)->setParent(&window);
        for (const QString &command : setup.split(';', Qt::SkipEmptyParts))
            run(window, command);
        QVERIFY(writeFile(isolation.appDataDir() + "/shortcuts.ini", "[Shortcuts]\nCtrl+Alt+Up=" + action.toUtf8() + '\n'));
        shortcuts::ShortcutService service(&window);
        service.start();
        LogCapture log;
        for (int press = 0; press < presses; ++press)
            emit service.findChild<globalkeys::GlobalShortcuts *>()->activated(
                QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_Up).toCombined());
        if (!after.isEmpty())
            QCOMPARE(run(window, "get " + action.section(' ', 1).section('=', 0, 0)), after);
        QCOMPARE(displayed(), shown);
        QCOMPARE(log.lines().filter(QRegularExpression("^Shortcut Ctrl\\+Alt\\+Up ")).size(), said);
    }

    // The tray's wheel and middle click work the model's main output while the media keys are off.
    void trayWorksTheMainOutput()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        QWidget window;
        (new rk2)->setParent(&window);
        run(window, "set SpeakerValue=-30");
        shortcuts::ShortcutService service(&window);
        service.start();
        service.stepByWheel(-2);
        QCOMPARE(run(window, "get SpeakerValue"), QString("-34"));
        service.toggleMuteByTray();
        QCOMPARE(run(window, "get SpeakerMuteIsChecked"), QString("true"));
        QCOMPARE(displayed(), QString("SPEAKER Volume -34 dB MUTE"));
    }

    // Off by default: a script's change shows only once the user chose so.
    void otherChangesShownWhenChosen_data()
    {
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<QString>("shown");
        QTest::newRow("not chosen") << false << "(nothing shown)";
        QTest::newRow("chosen") << true << "HEADPHONE Volume -20 dB";
    }
    void otherChangesShownWhenChosen()
    {
        QFETCH(bool, chosen);
        QFETCH(QString, shown);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        QWidget window;
        (new rk2)->setParent(&window);
        shortcuts::ShortcutService service(&window);
        service.start();
        service.setShowsOtherChanges(chosen);
        run(window, "set HeadphoneValue=-20");
        QCOMPARE(displayed(), shown);
    }

    // Tab goes through the window as it reads, every editor is named by its
    // label, and a combination the desktop does not lend is said beside it and not kept.
    void windowByKeyboard()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        QWidget window;
        (new rk2)->setParent(&window);
        shortcuts::ShortcutService service(&window);
        shortcuts::KeyboardShortcutsDialog dialog(service, &window);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        const QList<QKeySequenceEdit *> editors = dialog.findChildren<QKeySequenceEdit *>();
        // Top to bottom as the window shows them; one stop per control, not its inner line edit.
        QList<QWidget *> reading;
        for (QWidget *widget : dialog.findChildren<QWidget *>())
            if (widget->isVisible() && (widget->focusPolicy() & Qt::TabFocus)
                && !(widget->parentWidget()->focusPolicy() & Qt::TabFocus))
                reading << widget;
        std::stable_sort(reading.begin(), reading.end(), [&dialog](const QWidget *a, const QWidget *b) {
            return a->mapTo(&dialog, QPoint()).y() < b->mapTo(&dialog, QPoint()).y();
        });
        QCOMPARE(reading.size(), editors.size() + 4); // the media keys' two, the display's choice, Close
        for (QKeySequenceEdit *editor : editors) {
            const auto named = [editor](const QLabel *label) { return label->buddy() == editor; };
            const QList<QLabel *> labels = dialog.findChildren<QLabel *>();
            const auto label = std::find_if(labels.begin(), labels.end(), named);
            QVERIFY(label != labels.end());
            QCOMPARE(editor->accessibleName(), (*label)->text());
        }
        QCOMPARE(editors.front()->accessibleName(), QString("SPEAKER Volume up 2 dB"));
        editors.front()->setFocus();
        for (QWidget *expected : reading) {
            QCOMPARE(QApplication::focusWidget(), expected);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }

        QTest::keyClick(editors.front(), Qt::Key_Up, Qt::ControlModifier | Qt::AltModifier);
        QSignalSpy finished(editors.front(), &QKeySequenceEdit::editingFinished);
        QVERIFY(finished.wait());
        QVERIFY2(editors.front()->accessibleDescription().contains("Ctrl+Alt+Up cannot be held here"),
                 qPrintable(editors.front()->accessibleDescription()));
        QVERIFY(editors.front()->keySequence().isEmpty());
        QVERIFY(service.bindings().empty());

        auto *mediaOutput = dialog.findChild<QComboBox *>();
        QTest::keyClick(mediaOutput, Qt::Key_Down);
        QCOMPARE(mediaOutput->currentIndex(), 0);
        QVERIFY2(mediaOutput->accessibleDescription().startsWith("Volume Up cannot be held here"),
                 qPrintable(mediaOutput->accessibleDescription()));
    }
};

QTEST_MAIN(TestShortcuts)
#include "tst_shortcuts.moc"
