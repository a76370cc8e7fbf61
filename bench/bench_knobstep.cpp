// One knob step through a panel handler (mixer block to the driver, ini write
// and sync) against the floor it cannot beat: the same bytes written to the
// driver connection and the same file written directly.
//
// Usage: bench_knobstep [steps]   (runs offscreen against its own korvist-sim)

#include <device.h>
#include <iocontrolcodes.h>
#include <knob.h>
#include <korvistiocontrol.h>
#include <rk1.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

// The simulator's chatter goes to a file: a pipe nobody drains would stall it.
bool startSimulator(QProcess &simulator, const QString &logPath)
{
    simulator.setStandardOutputFile(logPath);
    simulator.start(QStringLiteral(KORVIST_SIM_PATH), {"device", "--model", "rk1"});
    if (!simulator.waitForStarted())
        return false;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
        QFile log(logPath);
        if (log.open(QIODevice::ReadOnly) && log.readAll().contains("ready "))
            return true;
        if (simulator.waitForFinished(20))
            return false;
    }
    return false;
}

double perStepMicroseconds(qint64 nanoseconds, int steps)
{
    return double(nanoseconds) / 1000.0 / steps;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    for (const char *variable : {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
        const QString path = scratch.path() + '/' + variable;
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(variable, path.toLocal8Bit());
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("KorvistDriver"));
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const int steps = argc > 1 ? QString(argv[1]).toInt() : 2000;

    QProcess simulator;
    if (!startSimulator(simulator, scratch.path() + "/korvist-sim.log")) {
        std::fprintf(stderr, "korvist-sim did not start\n");
        return 1;
    }

    rk1 panel;
    Knob *phoneLevel = panel.findChildren<Knob *>().value(2);
    if (!phoneLevel) {
        std::fprintf(stderr, "the panel found no device\n");
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < steps; ++i)
        phoneLevel->setValue(i % 2 ? -6 : -7);
    const qint64 handlerNs = timer.nsecsElapsed();

    // The floor: the same 66304 bytes on a connection of its own, and the same
    // ini text written straight to a file.
    const QString iniPath = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/rk1.ini";
    QFile saved(iniPath);
    saved.open(QIODevice::ReadOnly);
    const QByteArray iniText = saved.readAll();
    saved.close();
    const QString floorPath = scratch.path() + "/floor.ini";
    MixerBlock mixer;
    applyBaseRouting(mixer);
    KorvistIoControl connection;
    if (!connection.open()) {
        std::fprintf(stderr, "no connection for the floor\n");
        return 1;
    }
    timer.restart();
    for (int i = 0; i < steps; ++i) {
        mixer.crosspoint[64][2] = i % 2 ? 0.5 : 0.45;
        connection.writeMixer(mixer);
        QFile file(floorPath);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(iniText);
    }
    const qint64 floorNs = timer.nsecsElapsed();

    simulator.terminate();
    simulator.waitForFinished();

    const double handler = perStepMicroseconds(handlerNs, steps);
    const double floor = perStepMicroseconds(floorNs, steps);
    QTextStream(stdout) << "steps: " << steps << "\n"
                        << "knob step through the panel handler: " << QString::number(handler, 'f', 1) << " us\n"
                        << "floor (driver write + plain file write): " << QString::number(floor, 'f', 1) << " us\n"
                        << "ratio: " << QString::number(handler / floor, 'f', 2) << "\n";
    return 0;
}
