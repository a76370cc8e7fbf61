#include "panelfactory.h"
#include "panelprobe.h"
#include "savedini.h"

#include <ceilings.h>
#include <ceilingsfile.h>
#include <controltable.h>
#include <conversions.h>
#include <iocontrolcodes.h>
#include <isolation.h>
#include <safetygate.h>

#include <QLineEdit>
#include <QtTest>

using namespace panelprobe;

namespace {

// What can be heard after some requests: every mixer entry, then each
// input's gain and whether its pad is off (1) or on (0); the larger, the louder.
using Loudness = std::vector<double>;
constexpr int kMixerEntries = int(sizeof(MixerBlock) / sizeof(double));
constexpr int kLoudnessSize = kMixerEntries + 4;

Loudness loudnessAfter(const QList<SimJournalEntry> &requests, Loudness state)
{
    for (const SimJournalEntry &request : requests) {
        const auto *bytes = reinterpret_cast<const quint8 *>(request.in.constData());
        if (request.code == iocode::WriteMixer && request.in.size() == int(sizeof(MixerBlock)))
            std::memcpy(state.data(), bytes, sizeof(MixerBlock));
        else if (request.code != iocode::Command || request.in.size() < 7 || bytes[4] < 1 || bytes[4] > 2)
            continue;
        else if (bytes[1] == 0x07)
            state[kMixerEntries + bytes[4] - 1] = bytes[5] | bytes[6] << 8;
        else if (bytes[1] == 0x5A)
            state[kMixerEntries + 1 + bytes[4]] = bytes[3] ? 0 : 1;
    }
    return state;
}

bool noLouder(const Loudness &state, const Loudness &than)
{
    for (int i = 0; i < kLoudnessSize; ++i)
        if (state[i] > than[i])
            return false;
    return true;
}


} // namespace

Q_DECLARE_METATYPE(IniEntries)
Q_DECLARE_METATYPE(safetygate::Way)

// The order of what a panel sends as it replays a state: never louder than both its ends.
class TestPanelReplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("KorvistDriver")); }

    // Plug-in: no request of the replay leaves the device louder, anywhere,
    // than both the state it held (held: an earlier run's or another
    // session's; empty: nothing) and the state it ends in; gain: what the
    // last block holds in output gain 0. Preset: from the plugged-in state to the preset's, every state
    // on the way is no louder than its start or no louder than its end, the
    // input stage included. The states name the keys of all three models;
    // each panel takes its own.
    void replayNeverLouderThanBothEnds_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<IniEntries>("held");
        QTest::addColumn<safetygate::Way>("arrival");
        QTest::addColumn<IniEntries>("saved");
        QTest::addColumn<IniEntries>("preset"); // empty: the plug-in alone
        QTest::addColumn<double>("gain");
        const IniEntries quiet {{"Dial/SpeakerValue", "-40"}, {"Dial/HeadphoneValue", "-40"},
                                {"Button/MonitorMicIsChecked", "true"}, {"Button/MonitorMic1IsChecked", "true"},
                                {"Button/SpeakerMuteIsChecked", "false"}, {"Button/HeadphoneMuteIsChecked", "false"}};
        const IniEntries loud {{"Dial/SpeakerValue", "6"}, {"Dial/HeadphoneValue", "6"}, {"Dial/OtgToHpValue", "6"},
                               {"Dial/OtgToSPValue", "6"}, {"Button/MonitorMic2IsChecked", "true"},
                               {"Button/HeadphoneSourceIsChecked", "true"}, {"Dial/MicValue", "40"},
                               {"Dial/Mic1Value", "50"}, {"Dial/Mic2Value", "50"}};
        IniEntries muted = quiet, dimmed = quiet, padded = loud, unpadded = quiet, mutedLoud = loud;
        for (const char *key : {"Button/SpeakerMuteIsChecked", "Button/HeadphoneMuteIsChecked"})
            muted.insert(key, "true");
        for (const char *key : {"Button/SpeakerDimIsChecked", "Button/HeadphoneDimIsChecked"})
            dimmed.insert(key, "true");
        for (const char *key : {"Button/Mic20dBIsChecked", "Button/Mic120dBIsChecked", "Button/Mic220dBIsChecked",
                                "Button/MonitorMicIsChecked", "Button/MonitorMic1IsChecked"})
            padded.insert(key, "true");
        for (const char *key : {"Dial/MicValue", "Dial/Mic1Value", "Dial/Mic2Value"})
            unpadded.insert(key, "5");
        for (const char *key : {"Button/Mic20dBIsChecked", "Button/Mic120dBIsChecked", "Button/Mic220dBIsChecked"})
            unpadded.insert(key, "false");
        unpadded.insert("Button/MonitorMic2IsChecked", "true");
        for (const char *key : {"Button/SpeakerMuteIsChecked", "Button/HeadphoneMuteIsChecked"})
            mutedLoud.insert(key, "true");
        // The device kept the pads on and the gains high; the saved state
        // has the pads off at a lower gain, through DIRECT to loud outputs.
        IniEntries lowerUnpadded = loud;
        for (const char *key : {"Dial/MicValue", "Dial/Mic1Value", "Dial/Mic2Value"})
            lowerUnpadded.insert(key, "10");
        for (const char *key : {"Button/MonitorMicIsChecked", "Button/MonitorMic1IsChecked"})
            lowerUnpadded.insert(key, "true");
        const IniEntries none;
        const auto plugIn = safetygate::Way::PlugIn;
        for (const char *model : {"rk1", "rk2", "rs"}) {
            QTest::addRow("%s plug-in quiet", model) << model << none << plugIn << quiet << IniEntries {} << dbToGain(-40);
            QTest::addRow("%s plug-in muted", model) << model << none << plugIn << muted << IniEntries {} << 0.0;
            QTest::addRow("%s plug-in dimmed", model) << model << none << plugIn << dimmed << IniEntries {} << dbToGain(-60);
            QTest::addRow("%s plug-in padded", model) << model << none << plugIn << padded << IniEntries {} << dbToGain(6);
            QTest::addRow("%s loud to quiet", model) << model << none << plugIn << loud << quiet << dbToGain(-40);
            QTest::addRow("%s quiet to loud", model) << model << none << plugIn << quiet << loud << dbToGain(6);
            QTest::addRow("%s pad off, gain down", model) << model << none << plugIn << padded << unpadded << dbToGain(-40);
            QTest::addRow("%s pad on, gain up", model) << model << none << plugIn << unpadded << padded << dbToGain(6);
            QTest::addRow("%s unmuted, quieter", model) << model << none << plugIn << mutedLoud << quiet << dbToGain(-40);
            QTest::addRow("%s first start, device louder", model)
                << model << padded << plugIn << lowerUnpadded << none << dbToGain(6);
            QTest::addRow("%s take-over, device louder", model)
                << model << padded << safetygate::Way::HandOver << lowerUnpadded << none << dbToGain(6);
            QTest::addRow("%s muted, louder", model) << model << none << plugIn << dimmed << mutedLoud << 0.0;
        }
    }
    void replayNeverLouderThanBothEnds()
    {
        QFETCH(QString, model);
        QFETCH(IniEntries, held);
        QFETCH(safetygate::Way, arrival);
        QFETCH(IniEntries, saved);
        QFETCH(IniEntries, preset);
        QFETCH(double, gain);
        Isolation isolation;
        QDir().mkpath(isolation.appDataDir());
        SimDevice device(model);
        QVERIFY(device.start());
        Loudness start(kLoudnessSize, -qInf());
        if (!held.isEmpty()) {
            writeIni(iniPath(isolation, model), held);
            createPanel(model);
            start = loudnessAfter(device.journal(), start);
            QVERIFY(QFile::remove(iniPath(isolation, model)));
        }
        writeIni(iniPath(isolation, model), saved);

        const qsizetype before = device.journal().size();
        const auto panel = createPanel(model, arrival);
        const QList<SimJournalEntry> plugIn = device.journal().mid(before);
        const Loudness plugged = loudnessAfter(plugIn, start);
        for (qsizetype i = 1; i <= plugIn.size(); ++i) {
            const Loudness now = loudnessAfter(plugIn.first(i), start);
            QVERIFY2(noLouder(now, start) || noLouder(now, plugged), qPrintable(QString("plug-in, request %1").arg(i)));
        }
        if (!preset.isEmpty()) {
            const QString path = isolation.appDataDir() + "/preset.ini";
            writeIni(path, preset);
            const QSettings file(path, QSettings::IniFormat);
            const controls::ControlTable *table = controls::shownTable(panel.get());
            QVERIFY(table);
            safetygate::replay(*table, safetygate::presetTargets(*table, file), safetygate::Way::Preset);
            const QList<SimJournalEntry> load = device.journal().mid(before + plugIn.size());
            const Loudness end = loudnessAfter(load, plugged);
            for (qsizetype i = 1; i <= load.size(); ++i) {
                const Loudness now = loudnessAfter(load.first(i), plugged);
                QVERIFY2(noLouder(now, plugged) || noLouder(now, end), qPrintable(QString("load, request %1").arg(i)));
            }
        }
        QCOMPARE(lastMixer(device).outputGain[0], gain);
    }

    // A ceiling of -10 dB on the RK2's headphones: whatever the way in, no
    // mixer write after it is set carries the headphones above it, and each
    // way reaches it. top: what the loudest write carries; the RK1 keeps its own.
    void ceilingHolds_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("way");
        QTest::addColumn<int>("top");
        for (const char *way : {"drag", "Page Up", "Home then Up", "typed +6", "preset", "plug-in", "lowered"})
            QTest::newRow(way) << "rk2" << way << -10;
        QTest::newRow("rk1 keeps its own") << "rk1" << "Page Up" << 6;
    }
    void ceilingHolds()
    {
        QFETCH(QString, model);
        QFETCH(QString, way);
        QFETCH(int, top);
        Isolation isolation;
        QDir().mkpath(isolation.appDataDir());
        const bool lowered = way == QLatin1String("lowered");
        if (!lowered)
            QVERIFY(savedstate::writeCeiling("rk2", "HeadphoneValue", -10));
        writeIni(iniPath(isolation, model), {{"Dial/HeadphoneValue", way == QLatin1String("plug-in") ? "6" : "0"}});
        SimDevice device(model);
        QVERIFY(device.start());
        const qsizetype before = device.journal().size();
        const auto panel = createPanel(model);
        const controls::ControlTable *table = controls::shownTable(panel.get());
        const controls::Control *headphone = table->find("HeadphoneValue");
        Knob *knob = headphone->knob;
        const qsizetype limited = lowered ? device.journal().size() : before;
        if (way == QLatin1String("drag")) {
            for (int y = 100; y > 0; y -= 4) {
                QMouseEvent move(QEvent::MouseMove, QPointF(50, y), QPointF(50, y), Qt::NoButton, Qt::LeftButton, {});
                QApplication::sendEvent(knob, &move);
            }
        } else if (way.endsWith(QLatin1String("Up"))) {
            if (way.startsWith(QLatin1String("Home")))
                QTest::keyClick(knob, Qt::Key_Home);
            for (int i = 0; i < 90; ++i)
                QTest::keyClick(knob, way.startsWith(QLatin1String("Home")) ? Qt::Key_Up : Qt::Key_PageUp);
        } else if (way == QLatin1String("typed +6")) {
            QTest::keyClick(knob, Qt::Key_F2);
            knob->editBox()->setText("+6");
            QTest::keyClick(knob->editBox(), Qt::Key_Return);
        } else if (way == QLatin1String("preset")) {
            writeIni(isolation.appDataDir() + "/preset.ini", {{"Dial/HeadphoneValue", "6"}});
            const QSettings preset(isolation.appDataDir() + "/preset.ini", QSettings::IniFormat);
            const auto notes = safetygate::replay(*table, safetygate::presetTargets(*table, preset), safetygate::Way::Preset);
            QCOMPARE(notes.size(), 1u);
            QCOMPARE(notes.front().english(), QString("HeadphoneValue set to its limit of -10, not 6"));
        } else if (lowered) {
            QVERIFY(!controls::setCeiling(*table, *headphone, "-10"));
        }
        double loudest = 0;
        const int output = model == QLatin1String("rk2") ? 4 : 0;
        for (const SimJournalEntry &write : device.journal().mid(limited))
            if (write.code == iocode::WriteMixer)
                loudest = std::max(loudest, mixerFrom(write.in).outputGain[output]);
        QCOMPARE(loudest, dbToGain(top));
        QCOMPARE(readIni(iniPath(isolation, model)).value("Dial/HeadphoneValue"), QString::number(top));
    }

    void rsNeverChangesThePhoneRoute()
    {
        Isolation isolation;
        SimDevice device(QStringLiteral("rs"));
        QVERIFY(device.start());
        const auto panel = createPanel(QStringLiteral("rs"));
        button(panel.get(), QStringLiteral("DIRECT"))->setActive(true);
        button(panel.get(), QStringLiteral("MUTE"))->setActive(true);
        knobs(panel.get())[1]->setValue(-3);
        for (const SimJournalEntry &write : device.journal(iocode::WriteMixer)) {
            const MixerBlock sent = mixerFrom(write.in);
            QCOMPARE(sent.crosspoint[64][2], 1.0);
            QCOMPARE(sent.crosspoint[65][3], 1.0);
        }
    }

    void replugReplaysTheWholeFile_data()
    {
        QTest::addColumn<QString>("model");
        QTest::newRow("rk1") << "rk1";
        QTest::newRow("rk2") << "rk2";
        QTest::newRow("rs") << "rs";
    }
    void replugReplaysTheWholeFile()
    {
        QFETCH(QString, model);
        Isolation isolation;
        SimDevice device(model);
        QVERIFY(device.start());
        auto panel = createPanel(model);
        // Change every control away from its default.
        for (Knob *knob : knobs(panel.get()))
            knob->setValue(knob->minimum + 5);
        for (Button *button : panel->findChildren<Button *>())
            button->setActive(true);
        const IniEntries changed = readIni(iniPath(isolation, model));
        const MixerBlock before = lastMixer(device);
        panel.reset();

        QVERIFY(device.stop());
        const int earlier = int(device.journal().size());
        QVERIFY(device.start());
        panel = createPanel(model);

        const QList<SimJournalEntry> replay = device.journal().mid(earlier);
        QList<QByteArray> commands;
        for (const SimJournalEntry &entry : replay)
            if (entry.code == iocode::Command)
                commands.append(entry.in);
        QVERIFY(commands.contains(command(0x07, 0x02, 1, 10)));
        if (model != QLatin1String("rs")) {
            QVERIFY(commands.contains(command(0x5A, 1, 1)));
            QVERIFY(commands.contains(command(0x5B, 1, 1)));
        }
        QCOMPARE(bytesOf(lastMixer(device)).toHex(), bytesOf(before).toHex());
        QCOMPARE(readIni(iniPath(isolation, model)), changed);
    }
};

QTEST_MAIN(TestPanelReplay)
#include "tst_panelreplay.moc"
