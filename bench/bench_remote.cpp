// From a script's request to the request at the device: `KorvistDriver --set`
// in a process of its own (what a hotkey runs), and the same request line sent
// on the channel by a client that is already running (what the program itself
// adds). Each is timed until korvist-sim journals the switch's request, and the
// two alternate, so that a busy moment of the machine falls on both.
//
// Usage: bench_remote [requests]   (offscreen, with a program and a korvist-sim of its own)

#include "benchapplication.h"
#include "samples.h"

#include <isolation.h>
#include <korvistprocess.h>
#include <localchannel.h>
#include <simdevice.h>

#include <QFile>
#include <QLocalSocket>
#include <QProcess>

#include <cstdio>

namespace {

const char kSet[] = "set SpeakerMuteIsChecked=toggle\n";

int fail(const char *reason)
{
    std::fprintf(stderr, "bench_remote: %s\n", reason);
    return 1;
}

// Waits until the journal holds a request with input beyond `offset`: the
// device polls on its own, but those requests carry none.
bool waitForRequest(QFile &journal, qint64 &offset)
{
    for (int spins = 0; spins < 10'000'000; ++spins) {
        journal.seek(offset);
        const QByteArray added = journal.readAll();
        const qsizetype end = added.lastIndexOf('\n');
        if (end < 0)
            continue;
        offset += end + 1;
        for (const QByteArray &line : added.left(end).split('\n'))
            if (!line.contains("\"in\":\"\""))
                return true;
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    Isolation isolation;
    BenchApplication app(argc, argv);
    const int requests = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100;
    if (requests < 1)
        return fail("usage: bench_remote [requests]");
    const QString load = loadAverage();

    SimDevice device(QStringLiteral("rk2"));
    if (!device.start())
        return fail("korvist-sim did not start");
    KorvistProcess program;
    program.start();
    if (!program.waitForLog(QStringLiteral("Device found with PID:")))
        return fail("the program found no device");
    QFile journal(device.journalPath());
    if (!journal.open(QIODevice::ReadOnly))
        return fail("no journal");
    qint64 offset = journal.size();
    const QString channel = QString::fromStdString(platform::localChannelName("KorvistRemoteControl"));

    Samples commandLine;
    Samples channelOnly;
    for (int i = 0; i < requests; ++i) {
        bool arrived = false;
        QProcess client;
        commandLine.time([&] {
            client.start(QStringLiteral(KORVIST_DRIVER_PATH), {QStringLiteral("--set"), QStringLiteral("SpeakerMuteIsChecked=toggle")});
            arrived = waitForRequest(journal, offset);
        });
        if (!arrived || !client.waitForFinished(10000) || client.exitCode() != 0)
            return fail("a --set did not reach the device");
        QLocalSocket socket;
        channelOnly.time([&] {
            socket.connectToServer(channel);
            socket.write(kSet);
            socket.waitForBytesWritten(10000);
            arrived = waitForRequest(journal, offset);
        });
        if (!arrived)
            return fail("a request on the channel did not reach the device");
    }
    std::printf("%d requests each, load %s\n", requests, qPrintable(load));
    std::printf("KorvistDriver --set, start to request at device: %s\n", qPrintable(describe(commandLine)));
    std::printf("request line on the channel to request at device: %s\n", qPrintable(describe(channelOnly)));
    return 0;
}
