#include <mainwindow.h>

#include <iocontrolcodes.h>
#include <isolation.h>
#include <logcapture.h>
#include <settings.h>
#include <simdevice.h>
#include <simpipe.h>

#include <QLabel>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QLayout>
#include <QtTest>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFindTimeoutMs = 5000;

// What the window's layout holds, top to bottom: the class of each widget,
// or the text of a label.
QStringList layoutContents(MainWindow &window)
{
    QStringList contents;
    QLayout *layout = window.centralWidget()->layout();
    for (int i = 0; i < layout->count(); ++i) {
        QWidget *widget = layout->itemAt(i)->widget();
        if (auto *label = qobject_cast<QLabel *>(widget))
            contents.append(label->text());
        else if (widget)
            contents.append(QString::fromLatin1(widget->metaObject()->className()));
    }
    return contents;
}

} // namespace

// Detection, watch and loss of the interface, against korvist-sim.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("KorvistDriver")); }

    void withoutDeviceKeepsSearching()
    {
        Isolation isolation;
        LogCapture log;
        MainWindow window;
        QCOMPARE(window.windowTitle(), QString("Korvist Driver"));
        QCOMPARE(layoutContents(window), QStringList {"声卡未连接！"});
        QTRY_VERIFY_WITH_TIMEOUT(log.count("Failed to connect to driver.") >= 2, kFindTimeoutMs);
        QCOMPARE(window.windowTitle(), QString("Korvist Driver"));
        QCOMPARE(layoutContents(window), QStringList {"声卡未连接！"});
    }

    void windowProperties()
    {
        Isolation isolation;
        MainWindow window;
        QVERIFY(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(window.styleSheet(), QString("QMainWindow { background-color: #2c313c; }"));
        QCOMPARE(window.centralWidget()->layout()->alignment(), Qt::AlignCenter);
        QVERIFY(!window.windowIcon().isNull());
    }

    void findsEachModel_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("title");
        QTest::newRow("rk1 with 1.0.3") << QStringList {"--model", "rk1", "--firmware", "1.0.3"} << "rk1"
                                        << QString("Korvist RK1 - FW: 1.0.3") + QString(5, QChar(0));
        QTest::newRow("rk2") << QStringList {"--model", "rk2", "--firmware", "2.4.1-beta"} << "rk2"
                             << QString("Korvist RK2 - FW: 2.4.1-beta");
        QTest::newRow("rs by product id 15") << QStringList {"--model", "rs", "--firmware", "R1"} << "rs"
                                             << QString("Korvist RS - FW: R1") + QString(8, QChar(0));
    }
    void findsEachModel()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, panel);
        QFETCH(QString, title);
        Isolation isolation;
        SimDevice device(simArgs[1]);
        QVERIFY(device.start(simArgs.mid(2)));
        LogCapture log;
        MainWindow window;
        QTRY_COMPARE_WITH_TIMEOUT(window.windowTitle(), title, kFindTimeoutMs);
        QCOMPARE(layoutContents(window), QStringList {panel});
        QVERIFY(log.contains("Adding " + panel + " widget to layout."));
        QVERIFY(log.contains(QStringLiteral("Device found with PID: %1").arg(panel == "rk1" ? 1 : panel == "rk2" ? 2 : 15)));
        // Detection has stopped: no further probe after the find.
        const int probes = log.lines().filter("Device PID:").size();
        QTRY_VERIFY_WITH_TIMEOUT(device.journal(iocode::GetProductId).size() >= 4, kFindTimeoutMs);
        QCOMPARE(log.lines().filter("Device PID:").size(), probes);
    }

    void unknownProductIdKeepsDetecting()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rk1"));
        QVERIFY(device.start({"--pid", "3"}));
        LogCapture log;
        MainWindow window;
        QTRY_VERIFY_WITH_TIMEOUT(log.count("Unknown device PID: 3") >= 2, kFindTimeoutMs);
        QCOMPARE(layoutContents(window), QStringList {"未知设备，请检查连接！"});
        QCOMPARE(window.windowTitle(), QString("Korvist Driver"));
    }

    void unreadableFirmwareShowsPanelAndRetries()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start({"--no-firmware"}));
        LogCapture log;
        MainWindow window;
        QTRY_VERIFY_WITH_TIMEOUT(log.count("Failed to get firmware version.") >= 2, kFindTimeoutMs);
        QTRY_COMPARE(layoutContents(window), (QStringList {"rk2", "获取固件版本失败，请检查连接！"}));
        QCOMPARE(window.windowTitle(), QString("Korvist Driver"));
    }

    void lossAndReplug()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rk1"));
        QVERIFY(device.start());
        LogCapture log;
        MainWindow window;
        const QString title = QString("Korvist RK1 - FW: 1.0.3") + QString(5, QChar(0));
        QTRY_COMPARE_WITH_TIMEOUT(window.windowTitle(), title, kFindTimeoutMs);

        QVERIFY(device.stop());
        QTRY_VERIFY_WITH_TIMEOUT(log.contains("Cleared all widgets from base layout."), kFindTimeoutMs);
        QStringList lines = log.lines();
        lines.removeAll("Failed to read meter data from driver.");
        const int lost = int(lines.indexOf("Error reading device PID from driver, error count: 1"));
        QVERIFY(lost >= 0);
        QCOMPARE(lines.mid(lost, 5), (QStringList {"Error reading device PID from driver, error count: 1",
                                                   "Error reading device PID from driver, error count: 2",
                                                   "Error reading device PID from driver, error count: 3",
                                                   "Meter driver handle deleted.",
                                                   "Cleared all widgets from base layout."}));
        QTRY_COMPARE(layoutContents(window), QStringList {"声卡未连接！"});
        QCOMPARE(window.windowTitle(), title);
        QTRY_VERIFY_WITH_TIMEOUT(log.count("Failed to connect to driver.") >= 1, kFindTimeoutMs);

        log.clear();
        QVERIFY(device.start({"--firmware", "1.0.4"}));
        QTRY_COMPARE_WITH_TIMEOUT(window.windowTitle(), QString("Korvist RK1 - FW: 1.0.4") + QString(5, QChar(0)),
                                  kFindTimeoutMs);
        QTRY_COMPARE(layoutContents(window), QStringList {"rk1"});
    }

    // A session that leaves the console leaves the interface alone; one that
    // comes back takes it over with its own state, 48 V left off. So does a
    // program whose first arrival finds that another sign-in drove it last.
    void anotherSessionAtTheConsole_data()
    {
        QTest::addColumn<bool>("drivenElsewhereBeforeStart");
        QTest::newRow("back at the console") << false;
        QTest::newRow("another sign-in drove it last") << true;
    }
    void anotherSessionAtTheConsole()
    {
        QFETCH(bool, drivenElsewhereBeforeStart);
        Isolation isolation;
        QDir().mkpath(isolation.appDataDir());
        QSettings ini(isolation.appDataDir() + "/rk2.ini", QSettings::IniFormat);
        ini.setValue("Button/Mic148VIsChecked", true);
        ini.setValue("Dial/SpeakerValue", -30);
        ini.sync();
        SimDevice device(QStringLiteral("rk2"));
        QVERIFY(device.start());
        const auto setSession = [&isolation](const QByteArray &word) {
            QFile file(isolation.runtimeDir() + "/korvist/session");
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(word) == word.size());
        };
        if (drivenElsewhereBeforeStart) {
            QVERIFY(QDir().mkpath(isolation.runtimeDir() + "/korvist/owners"));
            QVERIFY(QFile::setPermissions(isolation.runtimeDir() + "/korvist/owners",
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            QFile stamp(isolation.runtimeDir() + "/korvist/owners/another-sign-in");
            QVERIFY(stamp.open(QIODevice::WriteOnly));
        }
        const QByteArray phantomOn = QByteArray::fromHex("015b000101");
        LogCapture log;
        Settings dialog;
        MainWindow window;
        window.settingsDialog = &dialog;
        QTRY_COMPARE_WITH_TIMEOUT(layoutContents(window), QStringList {"rk2"}, kFindTimeoutMs);

        qsizetype left = 0;
        if (!drivenElsewhereBeforeStart) {
            setSession("background");
            QTRY_COMPARE_WITH_TIMEOUT(layoutContents(window), QStringList {"声卡正在另一个会话中使用。"}, kFindTimeoutMs);
            left = device.journal().size();
            setSession("active");
            QTRY_COMPARE_WITH_TIMEOUT(layoutContents(window), QStringList {"rk2"}, kFindTimeoutMs);
        }
        const QList<SimJournalEntry> requests = device.journal();
        QVERIFY(left < requests.size());
        // Nothing reached the interface in the background, not even the
        // dialog's status reads; the first request after it is the detection's
        // probe of the session come back.
        QCOMPARE(requests[left].code, iocode::GetProductId);
        bool speakerSet = false;
        for (const SimJournalEntry &request : requests.mid(left)) {
            QVERIFY(!request.in.startsWith(phantomOn));
            speakerSet = speakerSet || request.code == iocode::WriteMixer;
        }
        QVERIFY(speakerSet);
        QVERIFY(log.contains("48V left off on MIC1: switch it on by hand"));
        QCOMPARE(QSettings(isolation.appDataDir() + "/rk2.ini", QSettings::IniFormat).value("Button/Mic148VIsChecked").toString(),
                 QString("false"));
    }

    // One failed product-id read is a glitch, not a loss; and the watch of a
    // device found again starts from no failures, so the three that ended the
    // previous one do not count against it.
    void singleFailedReadKeepsThePanel_data()
    {
        QTest::addColumn<bool>("replugFirst");
        QTest::newRow("first find") << false;
        QTest::newRow("after a loss and a replug") << true;
    }
    void singleFailedReadKeepsThePanel()
    {
        QFETCH(bool, replugFirst);
        Isolation isolation;
        SimDevice device(QStringLiteral("rk1"));
        QVERIFY(device.start());
        LogCapture log;
        MainWindow window;
        QTRY_COMPARE_WITH_TIMEOUT(layoutContents(window), QStringList {"rk1"}, kFindTimeoutMs);
        if (replugFirst) {
            QVERIFY(device.stop());
            QTRY_VERIFY_WITH_TIMEOUT(log.contains("Meter driver handle deleted."), kFindTimeoutMs);
            QVERIFY(device.start());
            QTRY_COMPARE_WITH_TIMEOUT(layoutContents(window), QStringList {"rk1"}, kFindTimeoutMs);
        }

        log.clear();
        device.glitch();
        QTRY_VERIFY_WITH_TIMEOUT(log.contains("Error reading device PID from driver, error count: 1"), kFindTimeoutMs);
        const int reads = int(device.journal(iocode::GetProductId).size());
        QTRY_VERIFY_WITH_TIMEOUT(device.journal(iocode::GetProductId).size() >= reads + 3, kFindTimeoutMs);
        QVERIFY(!log.contains("Error reading device PID from driver, error count: 2"));
        QVERIFY(!log.contains("Meter driver handle deleted."));
        QCOMPARE(layoutContents(window), QStringList {"rk1"});
    }

    // At the hand-off the dialog connects and re-applies the saved settings
    // before the panel replays its own state.
    void settingsBeforeThePanel()
    {
        Isolation isolation;
        SimPipePeer service({"audio-service"});
        QVERIFY(service.start());
        SimDevice device(QStringLiteral("rk1"));
        QVERIFY(device.start({"--buffer-size", "256", "--latency", "24"}));
        Settings dialog;
        MainWindow window;
        window.settingsDialog = &dialog;
        QTRY_COMPARE_WITH_TIMEOUT(layoutContents(window), QStringList {"rk1"}, kFindTimeoutMs);

        const QList<SimJournalEntry> journal = device.journal();
        qint64 setBuffer = -1, firstCommand = -1;
        for (const SimJournalEntry &entry : journal) {
            if (entry.code == iocode::SetBufferSize && setBuffer < 0)
                setBuffer = entry.seq;
            if (entry.code == iocode::Command && firstCommand < 0)
                firstCommand = entry.seq;
        }
        QVERIFY(setBuffer > 0);
        QVERIFY(firstCommand > setBuffer);
        QCOMPARE(device.journal(iocode::SetBufferSize).first().in.toHex(), QByteArray("c0000000"));
        QTRY_COMPARE(service.messages(), QStringList {R"(26 bytes: "STOP_MONITOR\u0000")"});
    }

    // A FIFO in place of an ini file would block its first read for ever.
    // Something other than a regular file counts as no file: the panel
    // appears as usual, nobody opens the FIFO, and it stays what it was.
    void fifoInPlaceOfAnIniFile_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("file");
        QTest::newRow("rk1.ini") << "rk1" << "rk1.ini";
        QTest::newRow("rk2.ini") << "rk2" << "rk2.ini";
        QTest::newRow("rs.ini") << "rs" << "rs.ini";
        QTest::newRow("setting.ini") << "rk2" << "setting.ini";
    }
    void fifoInPlaceOfAnIniFile()
    {
        QFETCH(QString, model);
        QFETCH(QString, file);
        Isolation isolation;
        QVERIFY(QDir().mkpath(isolation.appDataDir()));
        const QString path = isolation.appDataDir() + '/' + file;
        const QByteArray fifo = QFile::encodeName(path);
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        // A reader blocks in open() until a writer comes: play that writer now
        // and then, so that a reader is counted instead of hanging the test.
        std::atomic<int> readers {0};
        const std::jthread writer([&](std::stop_token stop) {
            while (!stop.stop_requested()) {
                const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    ++readers;
                    ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        });
        SimDevice device(model);
        QVERIFY(device.start());
        LogCapture log;
        Settings dialog;
        MainWindow window;
        window.settingsDialog = &dialog;
        QTRY_COMPARE_WITH_TIMEOUT(layoutContents(window), QStringList {model}, kFindTimeoutMs);
        QCOMPARE(readers.load(), 0);
        QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
        QCOMPARE(log.lines().filter("Not a regular file, defaults used and nothing saved:").size(), 1);
    }

    void failedOpenAsksTheServiceToStopMonitoring()
    {
        Isolation isolation;
        SimPipePeer service({"audio-service"});
        QVERIFY(service.start());
        Settings dialog;
        MainWindow window;
        window.settingsDialog = &dialog;
        QTRY_VERIFY_WITH_TIMEOUT(service.messages().size() >= 2, kFindTimeoutMs);
        for (const QString &message : service.messages())
            QCOMPARE(message, QString(R"(26 bytes: "STOP_MONITOR\u0000")"));
    }

    // Last of all: ending the program ends every event loop of this test too.
    void closingWithoutTrayEndsTheProgram()
    {
        Isolation isolation;
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        MainWindow window;
        window.show();
        QEventLoop loop;
        QTimer::singleShot(0, &window, [&window] { window.close(); });
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        QCOMPARE(loop.exec(), 0);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
