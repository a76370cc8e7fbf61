#include <iocontrolcodes.h>
#include <isolation.h>
#include <logcapture.h>
#include <settings.h>
#include <simdevice.h>
#include <simpipe.h>

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QtEndian>
#include <QtTest>

namespace {

using IniEntries = QMap<QString, QString>;

QString describe(const SimJournalEntry &entry)
{
    static const QMap<quint32, QString> names {
        {iocode::GetBufferSize, "get buffer"}, {iocode::GetUsbLatency, "get latency"}, {iocode::StopAudio, "stop"},
        {iocode::SetBufferSize, "set buffer"}, {iocode::SetUsbLatency, "set latency"}, {iocode::StartAudio, "start"},
        {iocode::EnableSlowMode, "slow mode on"}, {iocode::DisableSlowMode, "slow mode off"}};
    QString text = names.value(entry.code, QString::number(entry.code, 16));
    if (entry.in.size() == 4)
        text += ' ' + QString::number(qFromLittleEndian<quint32>(entry.in.constData()));
    return entry.status ? text + " refused" : text;
}

// What the dialog asked of the device, the USB status poll aside.
QStringList requests(const SimDevice &device)
{
    QStringList described;
    for (const SimJournalEntry &entry : device.journal())
        if (entry.code != iocode::GetUsbStatus)
            described.append(describe(entry));
    return described;
}

QString iniPath(const Isolation &isolation)
{
    return isolation.appDataDir() + QStringLiteral("/setting.ini");
}

// What the file on disk holds: QSettings would answer from the dialog's own copy in memory.
IniEntries readIni(const Isolation &isolation)
{
    IniEntries entries;
    if (!QFileInfo(iniPath(isolation)).isFile())
        return entries;
    QSettings ini(iniPath(isolation), QSettings::IniFormat);
    for (const QString &key : ini.allKeys())
        entries.insert(key, ini.value(key).toString());
    return entries;
}

void writeIni(const Isolation &isolation, const IniEntries &entries)
{
    QDir().mkpath(isolation.appDataDir());
    QSettings ini(iniPath(isolation), QSettings::IniFormat);
    for (auto it = entries.begin(); it != entries.end(); ++it)
        ini.setValue(it.key(), it.value());
}

// What the dialog logged; the listener's pass lines come at their own pace.
QStringList dialogLines(const LogCapture &log)
{
    QStringList lines = log.lines();
    lines.removeAll(QStringLiteral("ThreadSettingsPip is running waiting Asio Info..."));
    return lines;
}

QComboBox *box(Settings &dialog, const QString &name)
{
    return dialog.findChild<QComboBox *>(name);
}

// The poll's own lines would mix with the ones a test looks for.
void stopPolling(Settings &dialog)
{
    dialog.findChild<QTimer *>(QStringLiteral("pollTimer"))->stop();
}

void firePoll(Settings &dialog)
{
    QMetaObject::invokeMethod(dialog.findChild<QTimer *>(QStringLiteral("pollTimer")), "timeout");
}

// "apply", "unwritable", or a user's choice: "buffer 64", "latency 16", "safe Enabled".
void perform(Settings &dialog, const QString &step)
{
    if (step == QLatin1String("apply")) {
        dialog.applySavedSettings();
        return;
    }
    if (step == QLatin1String("unwritable")) {
        // A file where the data directory was: no write can land there, not even as root.
        const QString directory = QFileInfo(dialog.findChild<QSettings *>()->fileName()).path();
        QVERIFY(QDir(directory).removeRecursively());
        QVERIFY(QFile(directory).open(QIODevice::WriteOnly));
        return;
    }
    static const QMap<QString, QString> boxes {
        {"buffer", "bufferSizeBox"}, {"latency", "latencyBox"}, {"safe", "safeModeBox"}};
    const QStringList words = step.split(' ');
    box(dialog, boxes.value(words[0]))->setCurrentText(words[1]);
}

QString describe(QLayoutItem *item)
{
    if (QSpacerItem *spacer = item->spacerItem())
        return spacer->expandingDirections() ? QStringLiteral("stretch")
                                             : QStringLiteral("spacing %1").arg(spacer->sizeHint().height());
    QWidget *widget = item->widget();
    QString text;
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        for (int i = 0; i < combo->count(); ++i)
            text += (i ? "," : "") + combo->itemText(i);
        text += " @" + combo->currentText();
    } else if (auto *label = qobject_cast<QLabel *>(widget)) {
        text = label->text() + (label->alignment() == Qt::AlignCenter ? " centred" : "");
    } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
        text = "button " + button->text() + (item->alignment() == Qt::AlignCenter ? " centred" : "");
    }
    return text + (widget->isHidden() ? " hidden" : "");
}

} // namespace

Q_DECLARE_METATYPE(IniEntries)

// The settings dialog against korvist-sim: what reaches the device, in which
// order, and what lands in "setting.ini".
class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("KorvistDriver")); }

    void contents()
    {
        Isolation isolation;
        Settings dialog;
        QCOMPARE(dialog.windowTitle(), QString("Settings"));
        QCOMPARE(dialog.styleSheet(), QString("QDialog { background-color: #2c313c; color: white; }"));
        QVERIFY(!dialog.windowIcon().isNull());
        QVERIFY(!dialog.isModal());
        QLayout *layout = static_cast<QDialog &>(dialog).layout();
        QCOMPARE(layout->alignment(), Qt::AlignCenter);
        QCOMPARE(layout->contentsMargins(), QMargins(40, 10, 40, 40));
        QCOMPARE(layout->spacing(), 15);
        QStringList items;
        QStringList styles;
        for (int i = 0; i < layout->count(); ++i) {
            items.append(describe(layout->itemAt(i)));
            if (QWidget *widget = layout->itemAt(i)->widget())
                styles.append(widget->styleSheet());
        }
        QCOMPARE(items, (QStringList {"Settings centred", "Buffer Size centred",
                                      "48,64,96,128,192,256,512,1024 @48", "USB Latency Size centred",
                                      "8,16,24,32 @8", "Safe Mode centred", "Disabled,Enabled @Disabled",
                                      "spacing 20", "button OK centred", "stretch", "USB Error centred hidden"}));
        const QString caption = "font-size: 14px; color: #008888;";
        QCOMPARE(styles, (QStringList {"font-size: 18px; font-weight: bold; color: #00FFFF;", caption, "", caption,
                                       "", caption, "", "background-color: #008888; color: white; font-size: 14px;",
                                       "font-size: 10px; color: #888888;"}));
        QCOMPARE(QFile::permissions(iniPath(isolation)) & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(dialog.findChild<QTimer *>(QStringLiteral("pollTimer"))->interval(), 1000);
        QVERIFY(dialog.findChild<QTimer *>(QStringLiteral("pollTimer"))->isActive());
    }

    void sequences_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<IniEntries>("savedBefore");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<IniEntries>("savedAfter");
        QTest::addColumn<bool>("restartedAfterRefusal");

        const QStringList setBuffer192 {"get buffer", "get latency", "stop", "set buffer 192", "start"};
        const IniEntries at24 {{"USB/LatencySize", "24"}, {"Audio/BufferSize", "192"}};
        QTest::newRow("no file, device at 192") << QStringList {} << IniEntries {} << QStringList {"apply"}
                                                << QStringList {"get buffer"} << IniEntries {} << false;
        QTest::newRow("no file, device at 256")
            << QStringList {"--buffer-size", "256"} << IniEntries {} << QStringList {"apply"} << setBuffer192
            << IniEntries {{"Audio/BufferSize", "192"}} << false;
        QTest::newRow("stored size that is no item")
            << QStringList {"--buffer-size", "256"} << IniEntries {{"Audio/BufferSize", "100"}}
            << QStringList {"apply"} << QStringList {} << IniEntries {{"Audio/BufferSize", "100"}} << false;
        QTest::newRow("stored size beyond 32 bits")
            << QStringList {"--buffer-size", "256"} << IniEntries {{"Audio/BufferSize", "-2147483649"}}
            << QStringList {"apply"} << QStringList {} << IniEntries {{"Audio/BufferSize", "-2147483649"}} << false;
        QTest::newRow("stored safe mode that is no item")
            << QStringList {} << IniEntries {{"USB/SlowMode", "yes"}} << QStringList {"apply"}
            << QStringList {"get buffer"} << IniEntries {{"USB/SlowMode", "yes"}} << false;
        QTest::newRow("buffer 64 at latency 24: latency first")
            << QStringList {"--latency", "24"} << at24 << QStringList {"apply", "buffer 64"}
            << QStringList {"get latency", "get buffer", "get buffer", "get latency", "get latency", "stop",
                            "set latency 8", "start", "stop", "set buffer 64", "start"}
            << IniEntries {{"USB/LatencySize", "8"}, {"Audio/BufferSize", "64"}} << false;
        QTest::newRow("buffer 64, box already at the required latency")
            << QStringList {"--latency", "24"} << IniEntries {} << QStringList {"buffer 64"}
            << QStringList {"get buffer", "get latency", "stop", "set buffer 64", "start"}
            << IniEntries {{"Audio/BufferSize", "64"}} << false;
        QTest::newRow("buffer 512 at latency 16 leaves the latency")
            << QStringList {"--latency", "16"} << IniEntries {} << QStringList {"buffer 512"}
            << QStringList {"get buffer", "get latency", "stop", "set buffer 512", "start"}
            << IniEntries {{"Audio/BufferSize", "512"}} << false;
        QTest::newRow("latency the device has") << QStringList {"--latency", "16"} << IniEntries {}
                                                << QStringList {"latency 16"} << QStringList {"get latency"}
                                                << IniEntries {} << false;
        QTest::newRow("failed latency read counts as 0")
            << QStringList {"--latency", "16", "--fail", QString::number(iocode::GetUsbLatency)} << IniEntries {}
            << QStringList {"latency 16"} << QStringList {"get latency refused", "stop", "set latency 16", "start"}
            << IniEntries {{"USB/LatencySize", "16"}} << false;
        QTest::newRow("safe mode on") << QStringList {} << IniEntries {} << QStringList {"safe Enabled"}
                                      << QStringList {"stop", "slow mode on", "start"}
                                      << IniEntries {{"USB/SlowMode", "Enabled"}} << false;
        QTest::newRow("safe mode on, device already slow")
            << QStringList {"--slow-mode"} << IniEntries {} << QStringList {"safe Enabled"}
            << QStringList {"stop", "slow mode on", "start"} << IniEntries {{"USB/SlowMode", "Enabled"}} << false;
        QTest::newRow("safe mode on and off")
            << QStringList {} << IniEntries {} << QStringList {"safe Enabled", "safe Disabled"}
            << QStringList {"stop", "slow mode on", "start", "stop", "slow mode off", "start"}
            << IniEntries {{"USB/SlowMode", "Disabled"}} << false;
        QTest::newRow("file no longer writable")
            << QStringList {} << IniEntries {} << QStringList {"unwritable", "safe Enabled", "safe Disabled"}
            << QStringList {"stop", "slow mode on", "start", "stop", "slow mode off", "start"} << IniEntries {} << false;
        QTest::newRow("buffer size refused") << QStringList {"--fail", QString::number(iocode::SetBufferSize)}
                                             << IniEntries {} << QStringList {"buffer 512"}
                                             << QStringList {"get buffer", "get latency", "stop",
                                                             "set buffer 512 refused", "start"}
                                             << IniEntries {} << true;
        QTest::newRow("latency refused") << QStringList {"--fail", QString::number(iocode::SetUsbLatency)}
                                         << IniEntries {} << QStringList {"latency 16"}
                                         << QStringList {"get latency", "stop", "set latency 16 refused", "start"}
                                         << IniEntries {} << true;
        QTest::newRow("slow mode refused") << QStringList {"--fail", QString::number(iocode::EnableSlowMode)}
                                           << IniEntries {} << QStringList {"safe Enabled"}
                                           << QStringList {"stop", "slow mode on refused", "start"} << IniEntries {}
                                           << true;
        QTest::newRow("stop refused") << QStringList {"--fail", QString::number(iocode::StopAudio)}
                                      << IniEntries {} << QStringList {"safe Enabled"}
                                      << QStringList {"stop refused"} << IniEntries {} << false;
        QTest::newRow("restart refused") << QStringList {"--fail", QString::number(iocode::StartAudio)}
                                         << IniEntries {} << QStringList {"buffer 512"}
                                         << QStringList {"get buffer", "get latency", "stop", "set buffer 512",
                                                         "start refused"}
                                         << IniEntries {} << false;
        QTest::newRow("latency taken, buffer refused")
            << QStringList {"--latency", "24", "--fail", QString::number(iocode::SetBufferSize)} << at24
            << QStringList {"apply", "buffer 64"}
            << QStringList {"get latency", "get buffer", "get buffer", "get latency", "get latency", "stop",
                            "set latency 8", "start", "stop", "set buffer 64 refused", "start"}
            << IniEntries {{"USB/LatencySize", "8"}, {"Audio/BufferSize", "192"}} << true;
    }
    void sequences()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(IniEntries, savedBefore);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, sent);
        QFETCH(IniEntries, savedAfter);
        QFETCH(bool, restartedAfterRefusal);
        Isolation isolation;
        if (!savedBefore.isEmpty())
            writeIni(isolation, savedBefore);
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start(simArgs));
        LogCapture log;
        Settings dialog;
        stopPolling(dialog);
        QVERIFY(dialog.connectDevice());
        for (const QString &step : steps)
            perform(dialog, step);
        QCOMPARE(requests(device), sent);
        QCOMPARE(readIni(isolation), savedAfter);
        QCOMPARE(log.count("Audio restarted after a refused setting."), restartedAfterRefusal ? 1 : 0);
        const bool unwritable = steps.contains("unwritable");
        QCOMPARE(log.lines().filter("Could not write").size(), unwritable ? 1 : 0);
        QVERIFY(!unwritable || log.lines().filter("设置已保存").isEmpty());
    }

    void choiceBeforeAnyDeviceSendsNothing()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        LogCapture log;
        Settings dialog;
        perform(dialog, "safe Enabled");
        perform(dialog, "buffer 512");
        QVERIFY(log.contains("停止音频失败，可能是驱动未正确加载或设备未连接。"));
        QVERIFY(log.contains("获取音频缓冲区大小失败，可能是驱动未正确加载或设备未连接。"));
        QCOMPARE(requests(device), QStringList());
        QCOMPARE(readIni(isolation), IniEntries());
    }

    void asioBufferSize_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<uint>("size");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("before any device") << false << 256u << false << "Device is not on line." << QStringList {};
        QTest::newRow("no such size") << true << 100u << false << "Invalid ASIO buffer size." << QStringList {};
        QTest::newRow("256") << true << 256u << true << "Pannel ASIO Buffer Size changed to: 256"
                             << QStringList {"get buffer", "get latency", "stop", "set buffer 256", "start"};
    }
    void asioBufferSize()
    {
        QFETCH(bool, connected);
        QFETCH(uint, size);
        QFETCH(bool, taken);
        QFETCH(QString, line);
        QFETCH(QStringList, sent);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        Settings dialog;
        stopPolling(dialog);
        if (connected)
            QVERIFY(dialog.connectDevice());
        LogCapture log;
        QCOMPARE(dialog.setAsioBufferSize(size), taken);
        QCOMPARE(log.count(line), 1);
        QCOMPARE(box(dialog, "bufferSizeBox")->currentText(), taken ? QString::number(size) : QString("48"));
        QCOMPARE(requests(device), sent);
    }

    void usbErrorLabel_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("text");
        QTest::newRow("never connected") << QStringList {} << "Device is not on line." << false << "USB Error";
        QTest::newRow("no errors") << QStringList {"--usb-errors", "0"} << "" << false << "USB Error";
        QTest::newRow("five errors") << QStringList {"--usb-errors", "5"} << "" << true << "USB Error Count: 5";
    }
    void usbErrorLabel()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, line);
        QFETCH(bool, shown);
        QFETCH(QString, text);
        Isolation isolation;
        SimDevice device(QStringLiteral("rs"));
        QVERIFY(device.start(simArgs));
        Settings dialog;
        stopPolling(dialog);
        if (!simArgs.isEmpty())
            QVERIFY(dialog.connectDevice());
        LogCapture log;
        firePoll(dialog);
        auto *label = dialog.findChild<QLabel *>(QStringLiteral("usbErrorLabel"));
        QCOMPARE(!label->isHidden(), shown);
        QCOMPARE(label->text(), text);
        QCOMPARE(dialogLines(log), line.isEmpty() ? QStringList() : QStringList {line});
        QCOMPARE(device.journal(iocode::GetUsbStatus).size(), simArgs.isEmpty() ? 0 : 1);
    }

    void failedStatusReadKeepsTheLabel()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rs"));
        QVERIFY(device.start({"--usb-errors", "5"}));
        Settings dialog;
        stopPolling(dialog);
        QVERIFY(dialog.connectDevice());
        firePoll(dialog);
        QVERIFY(device.stop());
        LogCapture log;
        firePoll(dialog);
        QCOMPARE(dialogLines(log), QStringList {"Failed to read meter data from driver."});
        auto *label = dialog.findChild<QLabel *>(QStringLiteral("usbErrorLabel"));
        QVERIFY(!label->isHidden());
        QCOMPARE(label->text(), QString("USB Error Count: 5"));
    }

    void monitorAroundEveryApplication()
    {
        Isolation isolation;
        SimPipePeer service({"audio-service"});
        QVERIFY(service.start());
        LogCapture log;
        Settings dialog;
        dialog.applySavedSettings();
        dialog.applySavedSettings();
        const QString stop = R"(26 bytes: "STOP_MONITOR\u0000")";
        const QString start = R"(28 bytes: "START_MONITOR\u0000")";
        QTRY_COMPARE(service.messages(), (QStringList {stop, stop}));
        const QList<QTimer *> timers = dialog.findChildren<QTimer *>(QStringLiteral("monitorRestartTimer"));
        QCOMPARE(timers.size(), 2);
        for (QTimer *timer : timers) {
            QVERIFY(timer->isSingleShot() && timer->isActive());
            QCOMPARE(timer->interval(), 30000);
            QMetaObject::invokeMethod(timer, "timeout");
        }
        QTRY_COMPARE(service.messages(), (QStringList {stop, stop, start, start}));
        QCOMPARE(log.count("初始化设置完成"), 2);
    }

    void stopMonitor_data()
    {
        QTest::addColumn<bool>("serviceRuns");
        QTest::newRow("service running") << true;
        QTest::newRow("no service") << false;
    }
    void stopMonitor()
    {
        QFETCH(bool, serviceRuns);
        Isolation isolation;
        SimPipePeer service({"audio-service"});
        if (serviceRuns)
            QVERIFY(service.start());
        Settings dialog;
        QCOMPARE(dialog.stopMonitor(), serviceRuns);
        if (serviceRuns)
            QTRY_COMPARE(service.messages(), QStringList {R"(26 bytes: "STOP_MONITOR\u0000")"});
    }

    void okOrEscape_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("driverRuns");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("received");
        QTest::newRow("OK, driver listening")
            << true << true
            << QStringList {"Pipe opened successfully.", "ASIO reset signal sent successfully.", "设置通知ASIO逻辑"}
            << QStringList {"1 bytes: 31"};
        QTest::newRow("OK, no driver") << true << false << QStringList {"Error: Could not open pipe. Error code: 2"}
                                       << QStringList {};
        QTest::newRow("Escape") << false << true << QStringList {} << QStringList {};
    }
    void okOrEscape()
    {
        QFETCH(bool, ok);
        QFETCH(bool, driverRuns);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, received);
        Isolation isolation;
        SimPipePeer driver({"asio-driver"});
        if (driverRuns)
            QVERIFY(driver.start());
        Settings dialog;
        dialog.show();
        LogCapture log;
        if (ok)
            QTest::mouseClick(dialog.findChild<QPushButton *>(), Qt::LeftButton);
        else
            QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isHidden());
        // The reset is sent before the call returns, so its lines are all there by now.
        QCOMPARE(dialogLines(log), lines);
        if (!received.isEmpty())
            QTRY_COMPARE(driver.messages(), received);
    }

    // Each box is named by the caption above it (Windows says it as the name, AT-SPI
    // readers follow the relation), and OK is pressed through accessibility alone.
    void accessibleControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("buffer size") << "bufferSizeBox" << "Buffer Size";
        QTest::newRow("latency") << "latencyBox" << "USB Latency Size";
        QTest::newRow("safe mode") << "safeModeBox" << "Safe Mode";
    }
    void accessibleControls()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Isolation isolation;
        Settings dialog;
        dialog.show();
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(box(dialog, name));
        const auto labels = iface->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.first().first->text(QAccessible::Name), caption);
        QCOMPARE(iface->text(QAccessible::Value), box(dialog, name)->currentText());
        // A new choice reaches a screen reader as the box's new description.
        box(dialog, name)->setCurrentIndex(1);
        QCOMPARE(iface->text(QAccessible::Description), box(dialog, name)->itemText(1));
        QAccessibleInterface *ok = QAccessible::queryAccessibleInterface(dialog.findChild<QPushButton *>());
        QCOMPARE(ok->text(QAccessible::Name), QString("OK"));
        ok->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(dialog.isHidden());
    }

    void destructionOrder()
    {
        Isolation isolation;
        LogCapture log;
        auto *dialog = new Settings;
        QTRY_VERIFY(log.contains("ThreadSettingsPip is running waiting Asio Info..."));
        const QString socket = isolation.runtimeDir() + QStringLiteral("/korvist/pipes/KorvistASIOToPannel");
        QVERIFY(QFile::exists(socket));
        delete dialog;
        const QStringList lines = log.lines();
        const int closed = int(lines.indexOf("Settings dialog closed and resources cleaned up."));
        QVERIFY(closed >= 0);
        QVERIFY(lines.indexOf("Pipe closed.") > closed);
        QVERIFY(!QFile::exists(socket));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
