// From a script's request to the request at the device: `KorvistDriver --set`
// in a process of its own (what a hotkey runs), the same request line sent
// on the channel by a client that is already running (what the program itself
// adds), and an OSC message from a control surface. Each is timed until
// korvist-sim journals the switch's request, and the three alternate, so that
// a busy moment of the machine falls on all. Then a fader storm: OSC fader
// messages at a dragged TouchOSC fader's rate, and the device requests a
// second that reach the device meanwhile.
//
// Usage: bench_remote [requests]   (offscreen, with a program and a korvist-sim of its own)

#include "benchapplication.h"
#include "samples.h"

#include <isolation.h>
#include <korvistprocess.h>
#include <localchannel.h>
#include <changethrottle.h>
#include <oscwire.h>
#include <simdevice.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <QUdpSocket>

#include <cstdio>

namespace {

// Each request line starts with its deadline, here well ahead.
QByteArray setRequest()
{
    return QByteArray::number(QDateTime::currentMSecsSinceEpoch() + 60000) + " set SpeakerMuteIsChecked=toggle\n";
}
constexpr quint16 kOscPort = 9317;
constexpr int kStormMessagesPerSecond = 60;
constexpr int kStormSeconds = 3;

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

int requestsAfter(QFile &journal, qint64 offset)
{
    journal.seek(offset);
    int requests = 0;
    for (const QByteArray &line : journal.readAll().split('\n'))
        requests += !line.isEmpty() && !line.contains("\"in\":\"\"");
    return requests;
}

// Paced as a dragged fader sends, from the bottom of the headphone knob's range to its top.
double stormRequestsPerSecond(QUdpSocket &surface, QFile &journal)
{
    const qint64 start = journal.size();
    const int messages = kStormMessagesPerSecond * kStormSeconds;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < messages; ++i) {
        const float position = float(i) / float(messages - 1);
        surface.writeDatagram(surface::encode(QStringLiteral("/korvist/HeadphoneValue/fader"), position),
                              QHostAddress::LocalHost, kOscPort);
        QThread::usleep(1'000'000 / kStormMessagesPerSecond);
    }
    // The last value may wait one throttle interval.
    QThread::msleep(200);
    return requestsAfter(journal, start) * 1000.0 / double(clock.elapsed());
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
    QProcess oscOn;
    oscOn.start(QStringLiteral(KORVIST_DRIVER_PATH), {QStringLiteral("--osc"), QStringLiteral("on"), QString::number(kOscPort)});
    if (!oscOn.waitForFinished(10000) || oscOn.exitCode() != 0)
        return fail("the program did not open its OSC port");
    QUdpSocket surface;

    Samples commandLine;
    Samples channelOnly;
    Samples osc;
    for (int i = 0; i < requests; ++i) {
        bool arrived = false;
        QProcess client;
        commandLine.time([&] {
            client.start(QStringLiteral(KORVIST_DRIVER_PATH), {QStringLiteral("--set"), QStringLiteral("SpeakerMuteIsChecked=toggle")});
            arrived = waitForRequest(journal, offset);
        });
        if (!arrived || !client.waitForFinished(10000) || client.exitCode() != 0)
            return fail("a --set did not reach the device");
        // The channel's and the surface's requests each come after the same quiet spell, longer than
        // the surface's throttle interval, so both pay the program's wake-up alike.
        QThread::msleep(surface::ChangeThrottle::kIntervalMs);
        QLocalSocket socket;
        channelOnly.time([&] {
            socket.connectToServer(channel);
            socket.write(setRequest());
            socket.waitForBytesWritten(10000);
            arrived = waitForRequest(journal, offset);
        });
        if (!arrived)
            return fail("a request on the channel did not reach the device");
        QThread::msleep(surface::ChangeThrottle::kIntervalMs);
        // The two toggles above leave the switch as it was: this sets the other state.
        const QByteArray message = surface::encode(QStringLiteral("/korvist/SpeakerMuteIsChecked"), i % 2 == 0 ? 1 : 0);
        osc.time([&] {
            surface.writeDatagram(message, QHostAddress::LocalHost, kOscPort);
            arrived = waitForRequest(journal, offset);
        });
        if (!arrived)
            return fail("an OSC message did not reach the device");
    }
    const double stormRate = stormRequestsPerSecond(surface, journal);
    std::printf("%d requests each, load %s\n", requests, qPrintable(load));
    std::printf("KorvistDriver --set, start to request at device: %s\n", qPrintable(describe(commandLine)));
    std::printf("request line on the channel to request at device: %s\n", qPrintable(describe(channelOnly)));
    std::printf("OSC message to request at device: %s\n", qPrintable(describe(osc)));
    std::printf("OSC against --set: %s\n", qPrintable(ratio(osc, commandLine)));
    std::printf("fader storm of %d messages/s for %d s: %.1f device requests/s\n", kStormMessagesPerSecond,
                kStormSeconds, stormRate);
    return 0;
}
