#include "panelfactory.h"
#include "panelprobe.h"

#include <conversions.h>
#include <iocontrolcodes.h>
#include <isolation.h>
#include <logcapture.h>

#include <QtTest>

#include <cmath>

using namespace panelprobe;

namespace {

// A panel on a freshly plugged simulated device, with no saved state.
struct LivePanel
{
    explicit LivePanel(const QString &model, const QStringList &simArgs = {})
        : device(model)
    {
        QCoreApplication::setApplicationName(QStringLiteral("KorvistDriver"));
        started = device.start(simArgs);
        if (started)
            panel = createPanel(model);
    }

    Knob *knob(int index) const { return knobs(panel.get()).value(index); }
    Button *button(const QString &text, int index = 0) const { return panelprobe::button(panel.get(), text, index); }
    MixerBlock mixer() const { return lastMixer(device); }
    QByteArray lastCommand() const
    {
        const QList<SimJournalEntry> commands = device.journal(iocode::Command);
        return commands.isEmpty() ? QByteArray() : commands.last().in;
    }
    QString iniValue(const QString &key) const
    {
        return QSettings(isolation.appDataDir() + '/' + device_model() + ".ini", QSettings::IniFormat)
            .value(key)
            .toString();
    }
    QString device_model() const { return panel->metaObject()->className(); }

    Isolation isolation;
    SimDevice device;
    std::unique_ptr<QWidget> panel;
    bool started = false;
};

// Every mixer entry (as a flat index) that differs between two blocks.
QList<int> changedEntries(const MixerBlock &before, const MixerBlock &after)
{
    const auto *a = reinterpret_cast<const double *>(&before);
    const auto *b = reinterpret_cast<const double *>(&after);
    QList<int> changed;
    for (int i = 0; i < int(sizeof(MixerBlock) / sizeof(double)); ++i)
        if (a[i] != b[i])
            changed.append(i);
    return changed;
}

int cross(int row, int column)
{
    return row * MixerBlock::kColumns + column;
}

} // namespace

// The outputs and routes each control drives, seen in what the device receives.
class TestPanelOutputs : public QObject
{
    Q_OBJECT

private slots:
    // knob: index of the volume knob; mute/dim: index among the "MUTE"/"DIM" buttons (-1: leave)
    void outputLevel_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("knob");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("mute");
        QTest::addColumn<int>("dim");
        QTest::addColumn<int>("firstGain");
        QTest::addColumn<double>("gain");
        QTest::newRow("rk1 headphone at -80 is silence") << "rk1" << 1 << -80 << -1 << -1 << 0 << 0.0;
        QTest::newRow("rk1 headphone at +6") << "rk1" << 1 << 6 << -1 << -1 << 0 << std::pow(10.0, 6.0 / 20.0);
        QTest::newRow("rk1 dim at -70 is silent") << "rk1" << 1 << -70 << -1 << 0 << 0 << 0.0;
        QTest::newRow("rk1 dim at -10") << "rk1" << 1 << -10 << -1 << 0 << 0 << dbToGain(-30);
        QTest::newRow("rk1 mute and dim") << "rk1" << 1 << -10 << 0 << 0 << 0 << 0.0;
        QTest::newRow("rs dim at -10") << "rs" << 1 << -10 << -1 << 0 << 0 << dbToGain(-30);
        QTest::newRow("rs mute") << "rs" << 1 << -10 << 0 << -1 << 0 << 0.0;
        QTest::newRow("rk2 speaker dim at -50") << "rk2" << 2 << -50 << -1 << 0 << 0 << std::pow(10.0, -70.0 / 20.0);
        QTest::newRow("rk2 speaker mute") << "rk2" << 2 << -3 << 0 << -1 << 0 << 0.0;
        QTest::newRow("rk2 headphone") << "rk2" << 4 << -6 << -1 << -1 << 4 << dbToGain(-6);
        QTest::newRow("rk2 headphone mute") << "rk2" << 4 << -6 << 1 << -1 << 4 << 0.0;
    }
    void outputLevel()
    {
        QFETCH(QString, model);
        QFETCH(int, knob);
        QFETCH(int, value);
        QFETCH(int, mute);
        QFETCH(int, dim);
        QFETCH(int, firstGain);
        QFETCH(double, gain);
        LivePanel live(model);
        QVERIFY(live.started);
        live.knob(knob)->setValue(value);
        if (dim >= 0)
            live.button("DIM", dim)->setActive(true);
        if (mute >= 0)
            live.button("MUTE", mute)->setActive(true);
        const MixerBlock mixer = live.mixer();
        QCOMPARE(mixer.outputGain[firstGain], gain);
        QCOMPARE(mixer.outputGain[firstGain + 1], gain);
    }

    void muteOffWithDimOnRestoresTheDimmedLevel_data()
    {
        QTest::addColumn<QString>("model");
        QTest::newRow("rk1") << "rk1";
        QTest::newRow("rs") << "rs";
    }
    void muteOffWithDimOnRestoresTheDimmedLevel()
    {
        QFETCH(QString, model);
        LivePanel live(model);
        QVERIFY(live.started);
        live.knob(1)->setValue(-10);
        live.button("DIM")->setActive(true);
        live.button("MUTE")->setActive(true);
        QCOMPARE(live.mixer().outputGain[0], 0.0);
        live.button("MUTE")->setActive(false);
        QCOMPARE(live.mixer().outputGain[0], dbToGain(-30));
        QCOMPARE(live.iniValue("Dial/HeadphoneValue"), QString("-10"));
        QCOMPARE(live.iniValue("Button/HeadphoneMuteIsChecked"), QString("false"));
        QCOMPARE(live.iniValue("Button/HeadphoneDimIsChecked"), QString("true"));
    }

    void rk2HeadphoneMuteLeavesTheSpeakers()
    {
        LivePanel live(QStringLiteral("rk2"));
        QVERIFY(live.started);
        live.knob(2)->setValue(-6);
        live.knob(4)->setValue(-6);
        const MixerBlock before = live.mixer();
        live.button("MUTE", 1)->setActive(true);
        const int gains = MixerBlock::kRows * MixerBlock::kColumns;
        QCOMPARE(changedEntries(before, live.mixer()), (QList<int> {gains + 4, gains + 5}));
        QCOMPARE(live.mixer().outputGain[0], dbToGain(-6));
    }

    void rk2LevelLogs()
    {
        LivePanel live(QStringLiteral("rk2"));
        QVERIFY(live.started);
        live.knob(2)->setValue(-50);
        LogCapture log;
        live.button("DIM")->setActive(true);
        QVERIFY(log.contains("Speaker Knob value changed: -50"));
        QVERIFY(log.contains("Speaker volume set to: -70"));
        log.clear();
        live.button("MUTE")->setActive(true);
        QCOMPARE(log.lines().mid(0, 2), (QStringList {"Speaker Knob value changed: -80", "Speaker volume set to: -80"}));
        QVERIFY(log.contains("Speaker Mute Button Clicked: Mute ON"));
    }

    void routes_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("index");
        QTest::addColumn<QList<int>>("entries");
        QTest::newRow("rk1 DIRECT") << "rk1" << "DIRECT" << 0 << QList<int> {cross(64, 0), cross(65, 1)};
        QTest::newRow("rs DIRECT") << "rs" << "DIRECT" << 0 << QList<int> {cross(64, 0), cross(65, 1)};
        QTest::newRow("rk2 MIC1 DIRECT") << "rk2" << "DIRECT" << 0
                                         << QList<int> {cross(64, 0), cross(65, 0), cross(68, 0), cross(69, 0)};
        QTest::newRow("rk2 MIC2 DIRECT") << "rk2" << "DIRECT" << 1
                                         << QList<int> {cross(64, 1), cross(65, 1), cross(68, 1), cross(69, 1)};
    }
    void routes()
    {
        QFETCH(QString, model);
        QFETCH(QString, button);
        QFETCH(int, index);
        QFETCH(QList<int>, entries);
        LivePanel live(model);
        QVERIFY(live.started);
        const MixerBlock off = live.mixer();
        live.button(button, index)->setActive(true);
        const MixerBlock on = live.mixer();
        QCOMPARE(changedEntries(off, on), entries);
        const auto *values = reinterpret_cast<const double *>(&on);
        for (int entry : entries)
            QCOMPARE(values[entry], 1.0);
        live.button(button, index)->setActive(false);
        QCOMPARE(bytesOf(live.mixer()).toHex(), bytesOf(off).toHex());
    }

    void phoneLevels_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("knob");
        QTest::addColumn<QList<int>>("entries");
        QTest::addColumn<QString>("logText");
        QTest::newRow("rk1 phone to HP") << "rk1" << 2 << QList<int> {cross(64, 2), cross(65, 3)} << "OTG to HP volume set to:";
        QTest::newRow("rk2 phone to SP") << "rk2" << 3 << QList<int> {cross(64, 2), cross(65, 3)} << "OTG to SP volume set to:";
        QTest::newRow("rk2 phone to HP") << "rk2" << 5 << QList<int> {cross(68, 2), cross(69, 3)} << "OTG to HP volume set to:";
    }
    void phoneLevels()
    {
        QFETCH(QString, model);
        QFETCH(int, knob);
        QFETCH(QList<int>, entries);
        QFETCH(QString, logText);
        LivePanel live(model);
        QVERIFY(live.started);
        const MixerBlock before = live.mixer();
        LogCapture log;
        live.knob(knob)->setValue(-6);
        const MixerBlock after = live.mixer();
        QCOMPARE(changedEntries(before, after), entries);
        const auto *values = reinterpret_cast<const double *>(&after);
        for (int entry : entries)
            QCOMPARE(values[entry], dbToGain(-6));
        QCOMPARE(log.lines().filter(logText).size(), 1);
        QVERIFY(log.lines().filter(logText).first().startsWith(logText + " 0.501"));
    }

    void headphoneSource()
    {
        LivePanel live(QStringLiteral("rk2"));
        QVERIFY(live.started);
        Button *source = live.button("ASIO 1-2");
        QVERIFY(source);
        const MixerBlock off = live.mixer();
        QCOMPARE(off.crosspoint[132][0], 1.0);
        QCOMPARE(off.crosspoint[133][1], 1.0);
        source->setActive(true);
        QCOMPARE(source->text(), QString("ASIO 5-6"));
        const MixerBlock on = live.mixer();
        QCOMPARE(on.crosspoint[132][0], 0.0);
        QCOMPARE(on.crosspoint[133][1], 0.0);
        QCOMPARE(on.crosspoint[132][4], 1.0);
        QCOMPARE(on.crosspoint[133][5], 1.0);
        QCOMPARE(changedEntries(off, on).size(), 4);
        source->setActive(false);
        QCOMPARE(source->text(), QString("ASIO 1-2"));
        QCOMPARE(bytesOf(live.mixer()).toHex(), bytesOf(off).toHex());
    }

    void micModeCaption()
    {
        LivePanel live(QStringLiteral("rk1"));
        QVERIFY(live.started);
        Button *mode = live.button("MIC");
        QVERIFY(mode);
        mode->setActive(true);
        QCOMPARE(mode->text(), QString("INST"));
        QCOMPARE(live.lastCommand().toHex(), command(0x64, 1, 1).toHex());
        QCOMPARE(live.iniValue("Button/MicInstrIsChecked"), QString("true"));
        mode->setActive(false);
        QCOMPARE(mode->text(), QString("MIC"));
        QCOMPARE(live.lastCommand().toHex(), command(0x64, 0, 1).toHex());
    }

    // A refused command is reported now, so a device that refuses the output
    // volume leaves the panel empty instead of pretending it is in control.
    void refusedOutputVolumeLeavesThePanelEmpty_data()
    {
        QTest::addColumn<QString>("model");
        QTest::newRow("rk1") << "rk1";
        QTest::newRow("rk2") << "rk2";
        QTest::newRow("rs") << "rs";
    }
    void refusedOutputVolumeLeavesThePanelEmpty()
    {
        QFETCH(QString, model);
        LogCapture log;
        LivePanel live(model, {"--fail", QString::number(iocode::Command)});
        QVERIFY(live.started);
        QVERIFY(log.contains("Failed to set output volume."));
        QVERIFY(live.panel->children().isEmpty());
        QVERIFY(!QFile::exists(live.isolation.appDataDir() + '/' + model + ".ini"));
    }

    // End would take a gain or a level to its top in one request: no knob a
    // panel builds answers it, whatever table the panel declares.
    void endMovesNoKnob_data() { refusedOutputVolumeLeavesThePanelEmpty_data(); }
    void endMovesNoKnob()
    {
        QFETCH(QString, model);
        LivePanel live(model);
        QVERIFY(live.started);
        const QList<Knob *> all = live.panel->findChildren<Knob *>();
        QVERIFY(!all.isEmpty());
        for (Knob *knob : all) {
            const QByteArray name = knob->accessibleName().toUtf8();
            knob->setValue(knob->minimum + 1);
            const qsizetype mark = live.device.journal().size();
            QTest::keyClick(knob, Qt::Key_End);
            QVERIFY2(knob->value == knob->minimum + 1, name);
            for (const SimJournalEntry &entry : live.device.journal().mid(mark))
                QVERIFY2(entry.code == iocode::ReadMeters, name);
            // Home, which can only lower, stays; and shows the key reached the knob.
            QTest::keyClick(knob, Qt::Key_Home);
            QVERIFY2(knob->value == knob->minimum, name);
        }
    }

    void gainAtMaximum_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("knob");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("maximum");
        QTest::newRow("rk1") << "rk1" << 0 << 1 << 42;
        QTest::newRow("rs") << "rs" << 0 << 1 << 42;
        QTest::newRow("rk2 mic1") << "rk2" << 0 << 1 << 56;
        QTest::newRow("rk2 mic2") << "rk2" << 1 << 2 << 56;
    }
    void gainAtMaximum()
    {
        QFETCH(QString, model);
        QFETCH(int, knob);
        QFETCH(int, channel);
        QFETCH(int, maximum);
        LivePanel live(model);
        QVERIFY(live.started);
        LogCapture log;
        live.knob(knob)->setValue(1000);
        QCOMPARE(live.lastCommand().toHex(), command(0x07, 0x02, quint8(channel), quint16(2 * maximum)).toHex());
        QVERIFY(log.contains(QStringLiteral("Mic volume set to: %1").arg(maximum)));
    }

    void meterReadoutsMove_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("readouts");
        QTest::addColumn<bool>("replugged"); // the reader's connection broke under it
        QTest::newRow("rk1") << "rk1" << 2 << false;
        QTest::newRow("rk2") << "rk2" << 4 << false;
        QTest::newRow("rs") << "rs" << 1 << false;
        QTest::newRow("rk2 replugged") << "rk2" << 4 << true;
    }
    void meterReadoutsMove()
    {
        QFETCH(QString, model);
        QFETCH(int, readouts);
        QFETCH(bool, replugged);
        LivePanel live(model);
        QVERIFY(live.started);
        const QList<QLabel *> labels = levelLabels(live.panel.get());
        QCOMPARE(labels.size(), readouts);
        for (QLabel *label : labels)
            QCOMPARE(label->text(), QString("-160 dB"));
        QTRY_VERIFY_WITH_TIMEOUT(labels[0]->text() != QLatin1String("-160 dB"), 5000);
        const QRegularExpression oneDecimal(QStringLiteral("^-?\\d+\\.\\d dB$"));
        for (QLabel *label : labels)
            QVERIFY2(oneDecimal.match(label->text()).hasMatch(), qPrintable(label->text()));
        if (model == QLatin1String("rk2"))
            QCOMPARE(labels[2]->text(), labels[3]->text());
        if (replugged) {
            QVERIFY(live.device.stop());
            const qsizetype reads = live.device.journal(iocode::ReadMeters).size();
            QVERIFY(live.device.start());
            QTRY_VERIFY_WITH_TIMEOUT(live.device.journal(iocode::ReadMeters).size() > reads, 5000);
        }
    }

    void failedMeterReadKeepsReadouts()
    {
        LivePanel live(QStringLiteral("rk2"), {"--fail", QString::number(iocode::ReadMeters)});
        QVERIFY(live.started);
        LogCapture log;
        QTRY_VERIFY_WITH_TIMEOUT(log.count("Failed to read meter data from driver.") >= 2, 5000);
        for (QLabel *label : levelLabels(live.panel.get()))
            QCOMPARE(label->text(), QString("-160 dB"));
    }
};

QTEST_MAIN(TestPanelOutputs)
#include "tst_paneloutputs.moc"
