#include "korvistprocess.h"

#include <isolation.h>
#include <simdevice.h>

#include <QtTest>

namespace {
const QString kPanelShown = QStringLiteral("Device found with PID:");
const QString kListening = QStringLiteral("Remote control listening");
constexpr QFile::Permissions kOwner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr QFile::Permissions kShared = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                       | QFile::WriteOther | QFile::ExeOther;

struct Outcome
{
    int code = -1;
    QString out;
    QString err;
};

Outcome run(const QStringList &arguments)
{
    QProcess client;
    client.start(QStringLiteral(KORVIST_DRIVER_PATH), arguments);
    client.waitForFinished(20000);
    return {client.exitCode(), QString::fromUtf8(client.readAllStandardOutput()),
            QString::fromUtf8(client.readAllStandardError())};
}

} // namespace

// A second start with control arguments against the running program and korvist-sim.
class TestRemoteCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void command_data()
    {
        QTest::addColumn<QString>("model");   // empty: no interface plugged
        QTest::addColumn<bool>("running");    // whether a first instance runs
        QTest::addColumn<QString>("setup");   // commands run first, each must succeed
        QTest::addColumn<QString>("file");    // written first: its path in the data directory, a line break, its text
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text"); // the first line of stdout, or a part of stderr
        const QString phantomPreset = "--set Mic148VIsChecked=on;--preset-save p;--set Mic148VIsChecked=off";
        QTest::newRow("get") << "rk2" << true << "" << "" << QStringList {"--get", "SpeakerValue"} << 0 << "-80";
        QTest::newRow("set") << "rk2" << true << "--set SpeakerValue=-30" << "" << QStringList {"--get", "SpeakerValue"}
                             << 0 << "-30";
        QTest::newRow("toggle") << "rk2" << true << "--set SpeakerMuteIsChecked=toggle" << ""
                                << QStringList {"--get=SpeakerMuteIsChecked"} << 0 << "true";
        QTest::newRow("list") << "rs" << true << "" << "" << QStringList {"--list"} << 0 << "MonitorMicIsChecked switch true/false false\nMicValue knob 0..42 0";
        QTest::newRow("bad key") << "rk2" << true << "" << "" << QStringList {"--get", "Speaker"} << 1
                                 << "valid keys: Mic120dBIsChecked, Mic148VIsChecked";
        QTest::newRow("out of range") << "rk2" << true << "" << "" << QStringList {"--set", "SpeakerValue=7"} << 1
                                      << "a whole number from -80 to 6";
        QTest::newRow("not a switch value") << "rk2" << true << "" << "" << QStringList {"--set", "SpeakerMuteIsChecked=2"}
                                            << 1 << "takes on, off, toggle, true or false";
        QTest::newRow("no instance") << "rk2" << false << "" << "" << QStringList {"--list"} << 2 << "not running";
        QTest::newRow("no interface") << "" << true << "" << "" << QStringList {"--list"} << 3 << "声卡未连接！";
        QTest::newRow("preset save and list") << "rk2" << true << "--preset-save podcast;--preset-save guitar_DI" << ""
                                              << QStringList {"--preset-list"} << 0 << "guitar_DI";
        QTest::newRow("preset load") << "rk2" << true << "--set SpeakerValue=-30;--preset-save p;--set SpeakerValue=-10;--preset-load p"
                                     << "" << QStringList {"--get", "SpeakerValue"} << 0 << "-30";
        QTest::newRow("preset delete") << "rk2" << true << "--preset-save a;--preset-save b;--preset-delete a" << ""
                                       << QStringList {"--preset-list"} << 0 << "b";
        QTest::newRow("bad preset name") << "rk2" << true << "" << "" << QStringList {"--preset-save", "../x"} << 1
                                         << "not a preset name";
        QTest::newRow("a device name of Windows") << "" << false << "" << "" << QStringList {"--preset-save", "Nul"} << 1
                                                  << "\"Nul\" is not a preset name: Windows reserves";
        QTest::newRow("names like a device's") << "rk2" << true << "--preset-save COM10;--preset-save Console" << ""
                                               << QStringList {"--preset-list"} << 0 << "COM10\nConsole";
        QTest::newRow("phantom power said") << "rk2" << true << phantomPreset << "" << QStringList {"--preset-load", "p"}
                                            << 0 << "loaded preset \"p\"\n48V left off on MIC1: switch it on by hand";
        QTest::newRow("phantom power left off") << "rk2" << true << phantomPreset + ";--preset-load p" << ""
                                                << QStringList {"--get", "Mic148VIsChecked"} << 0 << "false";
        QTest::newRow("help") << "" << false << "" << "" << QStringList {"--help"} << 0 << "Usage: KorvistDriver [OPTION]";
        QTest::newRow("unknown option starts nothing") << "" << false << "" << "" << QStringList {"--sohw"} << 1
                                                       << "unknown option \"--sohw\": nothing was started";
        QTest::newRow("osc state") << "" << true << "" << "" << QStringList {"--osc"} << 0
                                   << "off (port 9000 when on; this computer only)";
        QTest::newRow("osc network too wide") << "" << true << "" << "" << QStringList {"--osc-allow", "10.0.0.0/15"} << 1
                                              << "at most a /16";
        QTest::newRow("set above the limit") << "rk2" << true << "--limit HeadphoneValue=-10" << ""
                                             << QStringList {"--set", "HeadphoneValue=6"} << 1
                                             << "6 is above the limit of -10 set for HeadphoneValue";
        QTest::newRow("a limit brings the level down") << "rk2" << true << "--set HeadphoneValue=0;--limit HeadphoneValue=-10"
                                                       << "" << QStringList {"--get", "HeadphoneValue"} << 0 << "-10";
        QTest::newRow("step") << "rk2" << true << "--set SpeakerValue=-30" << "" << QStringList {"--step", "SpeakerValue=+2"}
                              << 0 << "SpeakerValue=-28";
        QTest::newRow("step down") << "rk2" << true << "--set SpeakerValue=-30" << ""
                                   << QStringList {"--step=SpeakerValue=-3"} << 0 << "SpeakerValue=-33";
        QTest::newRow("step held at the limit") << "rk2" << true << "--set HeadphoneValue=-12;--limit HeadphoneValue=-10"
                                                << "" << QStringList {"--step", "HeadphoneValue=6"} << 0
                                                << "HeadphoneValue=-10\nlimited to -10 dB";
        QTest::newRow("step held at the top") << "rk2" << true << "--set SpeakerValue=0" << ""
                                              << QStringList {"--step", "SpeakerValue=100"} << 0
                                              << "SpeakerValue=6\nat the top of its range";
        QTest::newRow("step a switch") << "rk2" << true << "" << "" << QStringList {"--step", "SpeakerMuteIsChecked=1"}
                                       << 1 << "SpeakerMuteIsChecked is a switch, which a step cannot move";
        QTest::newRow("step by no number") << "rk2" << true << "" << "" << QStringList {"--step", "SpeakerValue=+-2"}
                                           << 1 << "step needs KEY=N";
        QTest::newRow("another model's preset") << "rk2" << true << ""
                                                << "presets/rk2/other.ini\n[Preset]\nModel=rk1\n[Dial]\nMicValue=3\n"
                                                << QStringList {"--preset-load", "other"} << 1 << "is for the rk1";
        QTest::newRow("a damaged limit holds, and says so") << "rk2" << true << "" << "limits.ini\n[rk2]\nSpeakerValue=-1O\n"
                                                           << QStringList {"--limit"} << 0
                                                           << "SpeakerValue -80 (the saved limit is damaged, so the level "
                                                              "is held at -80 dB: set the limit again)\nHeadphoneValue none";
    }
    void command()
    {
        QFETCH(QString, model);
        QFETCH(bool, running);
        QFETCH(QString, setup);
        QFETCH(QString, file);
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, text);
        Isolation isolation;
        SimDevice device(model.isEmpty() ? QStringLiteral("rk2") : model);
        QVERIFY(model.isEmpty() || device.start());
        if (!file.isEmpty()) {
            QFile written(isolation.appDataDir() + '/' + file.section('\n', 0, 0));
            const QByteArray contents = file.section('\n', 1).toUtf8();
            QVERIFY(QDir().mkpath(QFileInfo(written).path()));
            QVERIFY(written.open(QIODevice::WriteOnly) && written.write(contents) == contents.size());
        }
        KorvistProcess program;
        if (running) {
            program.start();
            QVERIFY2(program.waitForLog(model.isEmpty() ? kListening : kPanelShown), qPrintable(program.log()));
        }
        const QString presets = isolation.appDataDir() + "/presets/rk2";
        for (const QString &command : setup.split(';', Qt::SkipEmptyParts)) {
            const Outcome done = run(command.split(' '));
            QVERIFY2(done.code == 0, qPrintable(command + ": " + done.err));
        }
        const qsizetype sentBefore = device.requestsSent();
        const QStringList presetsBefore = QDir(presets).entryList(QDir::Files);

        const Outcome outcome = run(arguments);
        QVERIFY2(outcome.code == code, qPrintable(outcome.out + outcome.err));
        // Presets are the user's alone, folders and files alike.
        if (setup.contains("--preset-save")) {
            for (const QString &folder : {isolation.appDataDir() + "/presets", presets})
                QCOMPARE(int(QFile::permissions(folder) & (kOwner | kShared)), int(kOwner));
            for (const QFileInfo &file : QDir(presets).entryInfoList(QDir::Files))
                QCOMPARE(int(file.permissions() & (kOwner | kShared)), int(QFile::ReadOwner | QFile::WriteOwner));
        }
        if (code == 0) {
            QVERIFY2(outcome.out.startsWith(text + '\n'), qPrintable(outcome.out));
            return;
        }
        QVERIFY2(outcome.err.contains(text), qPrintable(outcome.err));
        QVERIFY(outcome.out.isEmpty());
        // A refused command sends and writes nothing.
        QCOMPARE(device.requestsSent(), sentBefore);
        QCOMPARE(QDir(presets).entryList(QDir::Files), presetsBefore);
    }
};

QTEST_GUILESS_MAIN(TestRemoteCommandLine)
#include "tst_remotecommandline.moc"
