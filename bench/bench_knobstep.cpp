// One knob step through a panel handler (the whole mixer block to the driver,
// the ini key written and synced) beside the floors it cannot beat: the same
// mixer bytes on a connection of their own plus the same ini text written
// plainly, or as safely as the handler writes it. Each step times every kind
// of work once, so a busy moment of the machine falls on all of them.
//
// Usage: bench_knobstep [steps]   (offscreen, against a korvist-sim of its own)

#include "benchapplication.h"
#include "safewrite.h"
#include "samples.h"

#include <isolation.h>
#include <knob.h>
#include <korvistiocontrol.h>
#include <mixerblock.h>
#include <rk1.h>
#include <simprocess.h>

#include <QFile>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>
#include <map>

namespace {

constexpr int kWarmUpSteps = 20;
const QString kIniKey = QStringLiteral("Dial/OtgToHpValue");

// The Phone To HP knob: the RK1's only small knob.
Knob *phoneLevelKnob(const QWidget &panel)
{
    for (Knob *knob : panel.findChildren<Knob *>()) {
        if (knob->maximumWidth() == 70)
            return knob;
    }
    return nullptr;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int fail(const char *reason)
{
    std::fprintf(stderr, "bench_knobstep: %s\n", reason);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    Isolation isolation;
    BenchApplication app(argc, argv);
    const int steps = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    if (steps < 1)
        return fail("usage: bench_knobstep [steps]");
    const QString load = loadAverage();

    SimProcess simulator;
    if (!simulator.start({QStringLiteral("device"), QStringLiteral("--model"), QStringLiteral("rk1")}))
        return fail("korvist-sim did not start");
    rk1 panel;
    Knob *knob = phoneLevelKnob(panel);
    if (!knob)
        return fail("the panel found no device");

    // The exact bytes the handler leaves on disk for each of the two levels.
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString panelIni = dataDir + QStringLiteral("/rk1.ini");
    std::map<int, QByteArray> iniText;
    for (int i = 0; i < kWarmUpSteps; ++i) {
        const int level = i % 2 ? -6 : -7;
        knob->setValue(level);
        iniText[level] = readFile(panelIni);
    }

    KorvistIoControl connection;
    if (!connection.open())
        return fail("no connection of its own for the floor");
    MixerBlock mixer;
    applyBaseRouting(mixer);
    QFile::copy(panelIni, dataDir + QStringLiteral("/alone.ini"));
    QSettings settingsAlone(dataDir + QStringLiteral("/alone.ini"), QSettings::IniFormat);
    const QString plainIni = dataDir + QStringLiteral("/plain.ini");
    const QString safeIni = dataDir + QStringLiteral("/safe.ini");

    const QString lockName = dataDir + QStringLiteral("/locked.ini.lock");
    const QString lockedIni = dataDir + QStringLiteral("/locked.ini");

    Samples handler, plainFloor, safeFloor, lockedFloor, requestAlone, settingsSyncAlone;
    bool floorsHeld = true;
    for (int i = 0; i < steps; ++i) {
        const int level = i % 2 ? -6 : -7;
        const QByteArray &text = iniText[level];
        mixer.crosspoint[64][2] = mixer.crosspoint[65][3] = i % 2 ? 0.5 : 0.45;
        handler.time([&] { knob->setValue(level); });
        plainFloor.time([&] { floorsHeld &= connection.writeMixer(mixer) && writePlainly(plainIni, text); });
        safeFloor.time([&] { floorsHeld &= connection.writeMixer(mixer) && writeSafely(safeIni, text); });
        // What QSettings::sync() adds around the safe write: a lock file, itself flushed to disk.
        lockedFloor.time([&] {
            QLockFile lock(lockName);
            floorsHeld &= lock.lock() && connection.writeMixer(mixer) && writeSafely(lockedIni, text);
        });
        requestAlone.time([&] { floorsHeld &= connection.writeMixer(mixer); });
        settingsSyncAlone.time([&] {
            settingsAlone.setValue(kIniKey, level);
            settingsAlone.sync();
        });
    }
    if (!floorsHeld || settingsAlone.status() != QSettings::NoError)
        return fail("a floor's request or write failed");

    QTextStream(stdout)
        << "knob steps: " << steps << " (RK1 Phone To HP knob, korvist-sim without journal)\n"
        << "load average before: " << load << "\n"
        << "handler (mixer block, ini setValue + sync): " << describe(handler) << "\n"
        << "safe floor (mixer block, QSaveFile):        " << describe(safeFloor) << "\n"
        << "plain floor (mixer block, QFile):           " << describe(plainFloor) << "\n"
        << "safe floor with a lock file as QSettings takes it: " << describe(lockedFloor) << "\n"
        << "handler / safe floor:  " << ratio(handler, safeFloor) << "\n"
        << "handler / plain floor: " << ratio(handler, plainFloor) << "\n"
        << "handler / safe floor with a lock file: " << ratio(handler, lockedFloor) << "\n"
        << "parts: mixer block alone " << describe(requestAlone) << "\n"
        << "       QSettings setValue + sync alone " << describe(settingsSyncAlone) << "\n";
    return 0;
}
