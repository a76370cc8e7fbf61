// From "device found" to "panel fully restored": the construction of each
// model's panel, which opens its connection, builds its controls and replays
// its ini file through every handler, beside the floor it cannot beat: one
// connection opened, the very requests the panel sent (as korvist-sim
// journaled them) sent back to back, and as many safe writes of the final ini
// text as the replay synced. Once for a first start (no ini file) and once
// for a full saved state (every key away from its default).
//
// Usage: bench_replay [rounds]   (offscreen, against korvist-sim devices of its own)

#include "benchapplication.h"
#include "writecounter.h"
#include "safewrite.h"
#include "samples.h"

#include <device.h>
#include <deviceclass.h>
#include <isolation.h>
#include <rk1.h>
#include <rk2.h>
#include <rs.h>
#include <simdevice.h>
#include <simprocess.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

// What one replay did, learnt from a journaling simulator and the file system.
struct Replay
{
    QList<SimJournalEntry> requests;
    int safeWrites = 0;
    QByteArray finalIni;
};

std::unique_ptr<QWidget> makePanel(const QString &model)
{
    if (model == QLatin1String("rk1"))
        return std::make_unique<rk1>();
    if (model == QLatin1String("rk2"))
        return std::make_unique<rk2>();
    return std::make_unique<rs>();
}

QString dataDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString iniPath(const QString &model)
{
    return dataDir() + '/' + model + QStringLiteral(".ini");
}

// No file for a first start, the given text for a saved state.
void prepareIni(const QString &model, const QByteArray &saved)
{
    QFile::remove(iniPath(model));
    if (saved.isEmpty())
        return;
    QFile file(iniPath(model));
    if (file.open(QIODevice::WriteOnly))
        file.write(saved);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The first start's file with every switch on and every level at 6, which
// lies inside every knob's range and away from every default.
QByteArray everyKeyChanged(const QByteArray &firstStartIni)
{
    QByteArray result;
    for (const QByteArray &line : firstStartIni.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0) {
            result += line + '\n';
            continue;
        }
        const QByteArray value = line.mid(equals + 1).trimmed();
        result += line.left(equals + 1) + (value == "true" || value == "false" ? "true" : "6") + '\n';
    }
    return result.trimmed() + '\n';
}

std::optional<Replay> capture(const QString &model, const QByteArray &saved)
{
    SimDevice device(model);
    if (!device.start())
        return std::nullopt;
    prepareIni(model, saved);
    WriteCounter writes(dataDir(), model + QStringLiteral(".ini"));
    makePanel(model).reset();
    Replay replay {device.journal(), writes.count(), readFile(iniPath(model))};
    if (replay.requests.isEmpty() || replay.safeWrites <= 0)
        return std::nullopt;
    return replay;
}

bool sendBackToBack(const QList<SimJournalEntry> &requests)
{
    std::uint32_t error = 0;
    const std::optional<std::string> path = platform::findDeviceInterface(deviceclass::kInterfaceClass, error);
    if (!path)
        return false;
    const platform::Handle handle = platform::openDevice(*path, error);
    std::vector<std::uint8_t> reply;
    bool sent = handle != platform::kInvalidHandle;
    for (const SimJournalEntry &request : requests) {
        reply.resize(request.outSize);
        sent &= platform::ioControl(handle, request.code, request.in.constData(), quint32(request.in.size()),
                                    reply.data(), request.outSize, error);
    }
    platform::closeDevice(handle);
    return sent;
}

bool floorPass(const Replay &replay, const QString &floorIni)
{
    bool held = sendBackToBack(replay.requests);
    for (int i = 0; i < replay.safeWrites; ++i)
        held &= writeSafely(floorIni, replay.finalIni);
    return held;
}

bool measure(const QString &model, const QByteArray &saved, const Replay &replay, int rounds, QTextStream &out)
{
    SimProcess simulator;
    if (!simulator.start({QStringLiteral("device"), QStringLiteral("--model"), model}))
        return false;
    const QString floorIni = dataDir() + QStringLiteral("/floor.ini");
    // The first panel of a process also loads styles and fonts: one round goes unmeasured.
    prepareIni(model, saved);
    makePanel(model).reset();
    bool held = floorPass(replay, floorIni);
    Samples panel, backToBack;
    for (int round = 0; round < rounds; ++round) {
        prepareIni(model, saved);
        std::unique_ptr<QWidget> built;
        panel.time([&] { built = makePanel(model); });
        built.reset();
        backToBack.time([&] { held &= floorPass(replay, floorIni); });
    }
    out << model << (saved.isEmpty() ? " first start" : " saved state") << ": " << replay.requests.size()
        << " requests, " << replay.safeWrites << " safe writes\n"
        << "  replay " << describe(panel) << "\n"
        << "  floor  " << describe(backToBack) << "\n"
        << "  replay / floor: " << ratio(panel, backToBack) << "\n";
    return held;
}

int fail(const QString &reason)
{
    std::fprintf(stderr, "bench_replay: %s\n", qPrintable(reason));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    Isolation isolation;
    BenchApplication app(argc, argv);
    const int rounds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 30;
    if (rounds < 1)
        return fail(QStringLiteral("usage: bench_replay [rounds]"));
    QDir().mkpath(dataDir());

    QTextStream out(stdout);
    out << "rounds: " << rounds << " per model and state (korvist-sim without journal)\n"
        << "load average before: " << loadAverage() << "\n";
    for (const QString model : {QStringLiteral("rk1"), QStringLiteral("rk2"), QStringLiteral("rs")}) {
        const std::optional<Replay> firstStart = capture(model, {});
        if (!firstStart)
            return fail(model + QStringLiteral(": no replay to measure"));
        const QByteArray saved = everyKeyChanged(firstStart->finalIni);
        const std::optional<Replay> savedState = capture(model, saved);
        if (!savedState)
            return fail(model + QStringLiteral(": no saved-state replay to measure"));
        if (!measure(model, {}, *firstStart, rounds, out) || !measure(model, saved, *savedState, rounds, out))
            return fail(model + QStringLiteral(": a request or write failed"));
        out.flush();
    }
    return 0;
}
