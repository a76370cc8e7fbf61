#include "panelfactory.h"
#include "panelprobe.h"
#include "savedini.h"

#include <controltable.h>
#include <conversions.h>
#include <iocontrolcodes.h>
#include <isolation.h>
#include <logcapture.h>
#include <safetygate.h>

#include <QLineEdit>
#include <QtTest>

using namespace panelprobe;

namespace {

constexpr QFile::Permissions kShared = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                       | QFile::WriteOther | QFile::ExeOther;

// One expected request: a command with its exact bytes, or a mixer send.
struct Request
{
    quint32 code;
    QByteArray in;
};
using Requests = QList<Request>;

Request mixerSend()
{
    return {iocode::WriteMixer, {}};
}
Request outVolume(quint8 channel)
{
    return {iocode::Command, command(0x03, 0x02, channel, 100)};
}
Request micVolume(quint8 channel, quint16 value)
{
    return {iocode::Command, command(0x07, 0x02, channel, value)};
}
Request pad(quint8 channel, quint8 on)
{
    return {iocode::Command, command(0x5A, on, channel)};
}
Request phantom(quint8 channel, quint8 on)
{
    return {iocode::Command, command(0x5B, on, channel)};
}
Request instrument(quint8 channel, quint8 on)
{
    return {iocode::Command, command(0x64, on, channel)};
}

MixerBlock rk1Defaults()
{
    MixerBlock mixer;
    applyBaseRouting(mixer);
    mixer.outputGain[0] = mixer.outputGain[1] = 0.0;
    mixer.crosspoint[64][2] = mixer.crosspoint[65][3] = 1.0;
    return mixer;
}

MixerBlock rk2Defaults()
{
    MixerBlock mixer;
    applyBaseRouting(mixer);
    mixer.crosspoint[100][0] = mixer.crosspoint[101][1] = 1.0;
    mixer.outputGain[0] = mixer.outputGain[1] = 0.0;
    mixer.outputGain[4] = mixer.outputGain[5] = 0.0;
    mixer.crosspoint[132][0] = mixer.crosspoint[133][1] = 1.0;
    mixer.crosspoint[68][2] = mixer.crosspoint[69][3] = 1.0;
    mixer.crosspoint[64][2] = mixer.crosspoint[65][3] = 1.0;
    return mixer;
}

MixerBlock rsDefaults()
{
    MixerBlock mixer;
    applyBaseRouting(mixer);
    mixer.outputGain[0] = mixer.outputGain[1] = 0.0;
    mixer.crosspoint[64][2] = mixer.crosspoint[65][3] = 1.0;
    return mixer;
}

// The requests a panel made while it was built (the meter poll aside).
QList<SimJournalEntry> restoreRequests(const SimDevice &device)
{
    QList<SimJournalEntry> requests;
    for (const SimJournalEntry &entry : device.journal())
        if (entry.code != iocode::ReadMeters)
            requests.append(entry);
    return requests;
}

void compareRequests(const QList<SimJournalEntry> &sent, const Requests &expected)
{
    QCOMPARE(sent.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(sent[i].code, expected[i].code);
        if (expected[i].code == iocode::Command)
            QCOMPARE(sent[i].in.toHex(), expected[i].in.toHex());
        QCOMPARE(sent[i].status, 0u);
    }
}

// What a panel does on its first start, with no ini file.
struct FirstStart
{
    Requests requests;
    MixerBlock mixer;
    IniEntries ini;
};

FirstStart firstStartOf(const QString &model)
{
    if (model == QLatin1String("rk1"))
        return {Requests {outVolume(1), outVolume(2), mixerSend(), micVolume(1, 0), instrument(1, 0), pad(1, 0), phantom(1, 0),
                          mixerSend(), micVolume(1, 0), mixerSend(), mixerSend(), mixerSend(),
                          mixerSend()},
                rk1Defaults(),
                IniEntries {{"Button/MicInstrIsChecked", "false"},
                            {"Button/Mic20dBIsChecked", "false"},
                            {"Button/Mic48VIsChecked", "false"},
                            {"Button/MonitorMicIsChecked", "false"},
                            {"Dial/MicValue", "0"},
                            {"Dial/HeadphoneValue", "-80"},
                            {"Button/HeadphoneMuteIsChecked", "false"},
                            {"Button/HeadphoneDimIsChecked", "false"},
                            {"Dial/OtgToHpValue", "0"}}};
    if (model == QLatin1String("rk2"))
        return {Requests {outVolume(1), outVolume(2), outVolume(5), outVolume(6), mixerSend(), micVolume(1, 0),
                          micVolume(2, 0), pad(1, 0),
                          phantom(1, 0), mixerSend(), micVolume(1, 0), micVolume(2, 0), pad(2, 0),
                          phantom(2, 0), mixerSend(), mixerSend(), mixerSend(), mixerSend(),
                          mixerSend(), mixerSend(), mixerSend(), mixerSend(), mixerSend()},
                rk2Defaults(),
                IniEntries {{"Button/Mic120dBIsChecked", "false"},
                            {"Button/Mic148VIsChecked", "false"},
                            {"Button/MonitorMic1IsChecked", "false"},
                            {"Dial/Mic1Value", "0"},
                            {"Dial/Mic2Value", "0"},
                            {"Button/Mic220dBIsChecked", "false"},
                            {"Button/Mic248VIsChecked", "false"},
                            {"Button/MonitorMic2IsChecked", "false"},
                            {"Dial/SpeakerValue", "-80"},
                            {"Button/SpeakerMuteIsChecked", "false"},
                            {"Button/SpeakerDimIsChecked", "false"},
                            {"Dial/HeadphoneValue", "-80"},
                            {"Button/HeadphoneMuteIsChecked", "false"},
                            {"Button/HeadphoneSourceIsChecked", "false"},
                            {"Dial/OtgToHpValue", "0"},
                            {"Dial/OtgToSPValue", "0"}}};
    return {Requests {outVolume(1), outVolume(2), mixerSend(), micVolume(1, 0), mixerSend(), micVolume(1, 0), mixerSend(), mixerSend(), mixerSend()},
            rsDefaults(),
            IniEntries {{"Button/MonitorMicIsChecked", "false"},
                        {"Dial/MicValue", "0"},
                        {"Dial/HeadphoneValue", "-80"},
                        {"Button/HeadphoneMuteIsChecked", "false"},
                        {"Button/HeadphoneDimIsChecked", "false"}}};
}

} // namespace

Q_DECLARE_METATYPE(Requests)
Q_DECLARE_METATYPE(MixerBlock)
Q_DECLARE_METATYPE(IniEntries)

// What a panel sends and stores when it is created: the replay of its ini file.
class TestPanelRestore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("KorvistDriver")); }

    void firstStart_data()
    {
        QTest::addColumn<QString>("model");
        QTest::newRow("rk1") << "rk1";
        QTest::newRow("rk2") << "rk2";
        QTest::newRow("rs") << "rs";
    }
    void firstStart()
    {
        QFETCH(QString, model);
        Isolation isolation;
        SimDevice device(model);
        QVERIFY(device.start());
        QVERIFY(!QFile::exists(iniPath(isolation, model)));

        const auto panel = createPanel(model);
        const FirstStart expected = firstStartOf(model);
        compareRequests(restoreRequests(device), expected.requests);
        QCOMPARE(bytesOf(lastMixer(device)).toHex(), bytesOf(expected.mixer).toHex());
        QCOMPARE(readIni(iniPath(isolation, model)), expected.ini);
        QStringList savedKeys;
        for (QWidget *control : panel->findChildren<QWidget *>())
            savedKeys += control->property("savedKey").toStringList();
        savedKeys.sort();
        QCOMPARE(savedKeys, expected.ini.keys());
        // The user's alone: no group or other bits on what the panel created.
        QCOMPARE(int(QFile::permissions(isolation.appDataDir()) & kShared), 0);
        QCOMPARE(int(QFile::permissions(iniPath(isolation, model)) & kShared), 0);
    }

    // A stored value that does not parse counts as missing: the panel does
    // what it does on a first start, and names the value it ignored.
    void damagedValueCountsAsMissing_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QList<QPair<QString, QStringList>> keys {
            {"rk1", {"Button/Mic48VIsChecked", "Dial/HeadphoneValue"}},
            {"rk2", {"Button/Mic248VIsChecked", "Dial/SpeakerValue"}},
            {"rs", {"Button/MonitorMicIsChecked", "Dial/HeadphoneValue"}}};
        const QStringList damaged[] = {{"", "maybe", "yes"}, {"loud", "", "-2147483649", "2147483648"}};
        for (const auto &[model, modelKeys] : keys)
            for (int kind = 0; kind < 2; ++kind)
                for (const QString &value : damaged[kind])
                    QTest::newRow(qPrintable(QString("%1 %2=%3").arg(model, modelKeys[kind], value)))
                        << model << modelKeys[kind] << value;
    }
    void damagedValueCountsAsMissing()
    {
        QFETCH(QString, model);
        QFETCH(QString, key);
        QFETCH(QString, value);
        Isolation isolation;
        QDir().mkpath(isolation.appDataDir());
        writeIni(iniPath(isolation, model), {{key, value}});
        SimDevice device(model);
        QVERIFY(device.start());
        LogCapture log;

        const auto panel = createPanel(model);
        const FirstStart expected = firstStartOf(model);
        compareRequests(restoreRequests(device), expected.requests);
        QCOMPARE(bytesOf(lastMixer(device)).toHex(), bytesOf(expected.mixer).toHex());
        QCOMPARE(readIni(iniPath(isolation, model)), expected.ini);
        const QStringList named = log.lines().filter(key);
        QCOMPARE(named.size(), 1);
        QVERIFY2(named[0].contains('"' + value + '"'), qPrintable(named[0]));
    }

    void savedValueOutOfRangeIsClamped_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("saved");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("stored");
        QTest::newRow("rk1 mic 100") << "rk1" << "Dial/MicValue" << 100 << command(0x07, 0x02, 1, 84) << "42";
        QTest::newRow("rk1 mic -5") << "rk1" << "Dial/MicValue" << -5 << command(0x07, 0x02, 1, 0) << "0";
        QTest::newRow("rk2 mic1 60") << "rk2" << "Dial/Mic1Value" << 60 << command(0x07, 0x02, 1, 112) << "56";
        QTest::newRow("rk2 mic2 99") << "rk2" << "Dial/Mic2Value" << 99 << command(0x07, 0x02, 2, 112) << "56";
        QTest::newRow("rs mic 50") << "rs" << "Dial/MicValue" << 50 << command(0x07, 0x02, 1, 84) << "42";
    }
    void savedValueOutOfRangeIsClamped()
    {
        QFETCH(QString, model);
        QFETCH(QString, key);
        QFETCH(int, saved);
        QFETCH(QByteArray, sent);
        QFETCH(QString, stored);
        Isolation isolation;
        QDir().mkpath(isolation.appDataDir());
        writeIni(iniPath(isolation, model), {{key, QString::number(saved)}});
        const QFile::Permissions mode = QFile::permissions(iniPath(isolation, model));
        SimDevice device(model);
        QVERIFY(device.start());

        const auto panel = createPanel(model);
        QCOMPARE(QFile::permissions(iniPath(isolation, model)), mode);
        QList<QByteArray> commands;
        for (const SimJournalEntry &entry : device.journal(iocode::Command))
            commands.append(entry.in);
        QVERIFY2(commands.contains(sent), qPrintable(sent.toHex()));
        QCOMPARE(readIni(iniPath(isolation, model)).value(key), stored);
    }

    void rejectedMixerChangesNoControl_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("failures");
        QTest::newRow("rk1") << "rk1"
                             << QStringList {"Failed to set Monitor Mic.", "Failed to set headphone volume.",
                                             "Failed to set OTG to HP volume."};
        QTest::newRow("rk2") << "rk2"
                             << QStringList {"Failed to set Monitor Mic.", "Failed to set speaker volume.",
                                             "Failed to set headphone volume.", "Failed to set Headphone Source.",
                                             "Failed to set OTG to HP volume.", "Failed to set OTG to SP volume."};
        QTest::newRow("rs") << "rs" << QStringList {"Failed to set Monitor Mic.", "Failed to set headphone volume."};
    }
    void rejectedMixerChangesNoControl()
    {
        QFETCH(QString, model);
        QFETCH(QStringList, failures);
        Isolation isolation;
        QDir().mkpath(isolation.appDataDir());
        writeIni(iniPath(isolation, model), {{"Dial/HeadphoneValue", "-12"}, {"Button/HeadphoneMuteIsChecked", "true"}});
        SimDevice device(model);
        QVERIFY(device.start({"--fail", QString::number(iocode::WriteMixer)}));

        LogCapture log;
        const auto panel = createPanel(model);
        for (const QString &failure : failures)
            QVERIFY2(log.contains(failure), qPrintable(failure + " missing from:\n" + log.lines().join('\n')));
        QVERIFY(log.contains(QStringLiteral("已从配置文件加载控件状态")));

        // The controls show what was restored, not what the device accepted.
        Knob *headphone = knobs(panel.get())[model == QLatin1String("rk2") ? 4 : 1];
        QCOMPARE(headphone->value, -12);
        Button *mute = button(panel.get(), QStringLiteral("MUTE"), model == QLatin1String("rk2") ? 1 : 0);
        QVERIFY(mute->active);

        Button *direct = button(panel.get(), QStringLiteral("DIRECT"));
        log.clear();
        direct->setActive(true);
        QCOMPARE(log.lines().filter(QStringLiteral("Failed to set Monitor Mic.")).size(), 1);
        QVERIFY(direct->active);

        const IniEntries ini = readIni(iniPath(isolation, model));
        QCOMPARE(ini.value("Dial/HeadphoneValue"), QString("-12"));
        QCOMPARE(ini.value("Button/HeadphoneMuteIsChecked"), QString("true"));
        const QString directKey = model == QLatin1String("rk2") ? "Button/MonitorMic1IsChecked" : "Button/MonitorMicIsChecked";
        QCOMPARE(ini.value(directKey), QString("true"));
        QCOMPARE(ini.size(), model == QLatin1String("rk1") ? 9 : model == QLatin1String("rk2") ? 16 : 5);
    }

    // Closing a panel's window takes the focus from a knob's open edit box,
    // which commits what was typed. The panel has freed its connection and
    // its file by then: nothing may reach the device or the file (and the
    // sanitizer build sees any use of what was freed).
    void destroyedWithAnOpenEditBox_data()
    {
        QTest::addColumn<QString>("model");
        QTest::newRow("rk1") << "rk1";
        QTest::newRow("rk2") << "rk2";
        QTest::newRow("rs") << "rs";
    }
    void destroyedWithAnOpenEditBox()
    {
        QFETCH(QString, model);
        Isolation isolation;
        SimDevice device(model);
        QVERIFY(device.start());
        auto panel = createPanel(model);
        panel->show();
        QVERIFY(QTest::qWaitForWindowActive(panel.get()));
        Knob *knob = knobs(panel.get()).last();
        QTest::mouseDClick(knob, Qt::LeftButton, {}, knob->valueTextRect().center());
        QVERIFY(knob->editBox()->hasFocus());
        QTest::keyClicks(knob->editBox(), "-3");
        const qsizetype requests = restoreRequests(device).size();
        const IniEntries saved = readIni(iniPath(isolation, model));

        panel.reset();
        QCOMPARE(restoreRequests(device).size(), requests);
        QCOMPARE(readIni(iniPath(isolation, model)), saved);
    }

    void panelWithoutDeviceStaysEmpty_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("line");
        QTest::newRow("rk1") << "rk1" << "Failed to create device in rk1.";
        QTest::newRow("rk2") << "rk2" << "Failed to create device in rk2.";
        QTest::newRow("rs") << "rs" << "Failed to create device in rs.";
    }
    void panelWithoutDeviceStaysEmpty()
    {
        QFETCH(QString, model);
        QFETCH(QString, line);
        Isolation isolation;
        LogCapture log;
        const auto panel = createPanel(model);
        QCOMPARE(log.lines(), QStringList {line});
        QVERIFY(panel->children().isEmpty());
        QVERIFY(!QFile::exists(isolation.appDataDir()));
    }
};

QTEST_MAIN(TestPanelRestore)
#include "tst_panelrestore.moc"
