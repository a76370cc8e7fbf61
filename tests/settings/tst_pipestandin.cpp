#include <isolation.h>
#include <silentconnections.h>

#include <pipe.h>
#include <runtimedir.h>
#include <runtimedir_posix.h>
#include <win32errors.h>

#include <QtTest>

#include <linux/capability.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using platform::PipeClient;
using platform::PipeServer;

namespace {

constexpr std::uint32_t kCapacity = 65536;
constexpr std::uint32_t kWaitMs = 5000;

QByteArray pattern(int size, char seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(seed + i);
    return bytes;
}

bool write(PipeClient &client, const QByteArray &bytes)
{
    std::uint32_t error = 0;
    return client.write(bytes.constData(), std::uint32_t(bytes.size()), error);
}

// Connected, whether the client came before the wait (535) or during it.
bool accept(PipeServer &server)
{
    std::uint32_t error = 0;
    return server.waitForClient(error) || error == platform::kErrorPipeConnected;
}

QByteArray read(PipeServer &server, std::uint32_t capacity = kCapacity)
{
    QByteArray buffer(int(capacity), '\0');
    std::uint32_t length = 0;
    std::uint32_t error = 0;
    if (!server.readMessage(buffer.data(), capacity, length, error))
        return "error " + QByteArray::number(error);
    return buffer.left(int(length));
}

// Opens as the product's busy-aware clients do: a busy pipe is waited for.
bool openWhenFree(PipeClient &client, const std::string &name)
{
    std::uint32_t error = 0;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (client.open(name, error))
            return true;
        if (error != platform::kErrorPipeBusy || !PipeClient::waitForPipe(name, kWaitMs, error))
            return false;
    }
    return false;
}

// Runs in a forked child: a crash leaves the socket and the lock file behind.
[[noreturn]] void serveAndCrash(const std::string &name)
{
    std::uint32_t error = 0;
    auto *server = new PipeServer(name);
    ::_exit(server->create(error) ? 0 : 1);
}

// Runs in a forked child: another user, who can still reach the private
// directory (a careless permission would allow as much), connects as the
// product's client does. 2: the user could not be switched.
[[noreturn]] void intrudeAsNobody(const std::string &name)
{
    // The real uid stays 0, so the runtime directory still counts as ours;
    // the peer credentials show the effective one.
    if (::setresuid(0, 65534, 0) != 0)
        ::_exit(2);
    __user_cap_header_struct header {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct capabilities[2] {};
    capabilities[0].effective = capabilities[0].permitted = 1u << CAP_DAC_OVERRIDE;
    if (::syscall(SYS_capset, &header, capabilities) != 0)
        ::_exit(2);
    PipeClient client;
    std::uint32_t error = 0;
    ::_exit(client.open(name, error) && write(client, "intruder") ? 0 : 1);
}

int runInChild(void (*body)(const std::string &), const std::string &name)
{
    const pid_t child = ::fork();
    if (child == 0)
        body(name);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void leaveBareSocket(const std::string &name)
{
    const std::string path = platform::posix::pipeSocketPath(name);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    ::close(fd);
}

} // namespace

using Sizes = QList<int>;

// The named-pipe stand-in behind the platform seam, against the Windows behaviours the product relies on.
class TestPipeStandIn : public QObject
{
    Q_OBJECT

private slots:
    void keepsMessageBoundaries_data()
    {
        QTest::addColumn<Sizes>("sizes");
        QTest::newRow("single bytes") << Sizes {1, 1, 1};
        QTest::newRow("notice sizes") << Sizes {20, 1024, 3};
        QTest::newRow("empty message between") << Sizes {5, 0, 5};
        QTest::newRow("buffer-sized") << Sizes {int(kCapacity), 1};
    }
    void keepsMessageBoundaries()
    {
        QFETCH(Sizes, sizes);
        Isolation isolation;
        PipeServer server("Bounds");
        std::uint32_t error = 0;
        QVERIFY(server.create(error));
        PipeClient client;
        QVERIFY(client.open("Bounds", error));
        for (int i = 0; i < sizes.size(); ++i)
            QVERIFY(write(client, pattern(sizes[i], char('a' + i))));
        QVERIFY(accept(server));
        for (int i = 0; i < sizes.size(); ++i)
            QCOMPARE(read(server), pattern(sizes[i], char('a' + i)));
    }

    void longerMessageIsAnError_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("length");
        QTest::newRow("exact fit") << 1024 << 1024;
        QTest::newRow("one byte over") << 1024 << 1025;
        QTest::newRow("notice buffer") << 20 << 21;
        QTest::newRow("far over") << 1 << int(kCapacity);
        QTest::newRow("no room at all") << 0 << 1;
    }
    void longerMessageIsAnError()
    {
        QFETCH(int, capacity);
        QFETCH(int, length);
        Isolation isolation;
        PipeServer server("Long");
        std::uint32_t error = 0;
        QVERIFY(server.create(error));
        PipeClient client;
        QVERIFY(client.open("Long", error));
        QVERIFY(write(client, pattern(length, 'x')));
        QVERIFY(write(client, "next"));
        QVERIFY(accept(server));

        QByteArray buffer(capacity, '\0');
        std::uint32_t bytesRead = 0;
        const bool fits = length <= capacity;
        QCOMPARE(server.readMessage(buffer.data(), std::uint32_t(capacity), bytesRead, error), fits);
        QCOMPARE(error, fits ? platform::kErrorSuccess : platform::kErrorMoreData);
        // As on Windows the buffer is filled; what did not fit never joins the next message.
        QCOMPARE(bytesRead, std::uint32_t(std::min(capacity, length)));
        QCOMPARE(buffer, pattern(capacity, 'x'));
        QCOMPARE(read(server), QByteArray("next"));
    }

    void clientBeforeTheWaitIsConnected()
    {
        Isolation isolation;
        PipeServer server("Early");
        std::uint32_t error = 0;
        QVERIFY(server.create(error));
        PipeClient client;
        QVERIFY(client.open("Early", error));
        QVERIFY(!server.waitForClient(error));
        QCOMPARE(error, platform::kErrorPipeConnected);
        QVERIFY(write(client, "hello"));
        QCOMPARE(read(server), QByteArray("hello"));
    }

    void silentConnectionsDoNotDelayAClient_data()
    {
        QTest::addColumn<int>("silent");
        QTest::newRow("one") << 1;
        QTest::newRow("twenty") << 20;
    }
    void silentConnectionsDoNotDelayAClient()
    {
        QFETCH(int, silent);
        Isolation isolation;
        PipeServer server("Flooded");
        std::uint32_t error = 0;
        QVERIFY(server.create(error));
        QByteArray received;
        std::thread reader([&server, &received] {
            if (accept(server))
                received = read(server);
        });
        SilentConnections flood;
        const QString path = QString::fromStdString(platform::posix::pipeSocketPath("Flooded"));
        // One at a time: the queue holds only a few until the server takes them in.
        for (int i = 0; i < silent; ++i)
            QVERIFY(QTest::qWaitFor([&] { return flood.open(path, 1) > i; }));
        // The last of them may still fill the queue for a moment: busy is busy, as on Windows.
        PipeClient client;
        QVERIFY(QTest::qWaitFor([&] { return client.open("Flooded", error); }));
        QElapsedTimer clock;
        clock.start();
        const bool sent = write(client, "notice");
        if (!sent)
            server.release();
        reader.join();
        qInfo() << silent << "silent connections delayed a client by" << clock.elapsed() << "ms";
        QVERIFY(sent);
        QCOMPARE(received, QByteArray("notice"));
        QVERIFY(clock.elapsed() < 500);
    }

    void oneInstanceIsBusyUntilTheServerDisconnects_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("firstClientClosed");
        QTest::newRow("first client queued") << false << false;
        QTest::newRow("first client served") << true << false;
        QTest::newRow("first client already gone") << true << true;
    }
    void oneInstanceIsBusyUntilTheServerDisconnects()
    {
        QFETCH(bool, accepted);
        QFETCH(bool, firstClientClosed);
        Isolation isolation;
        PipeServer server("One");
        std::uint32_t error = 0;
        QVERIFY(server.create(error));
        PipeClient first;
        QVERIFY(first.open("One", error));
        if (accepted)
            QVERIFY(accept(server));
        if (firstClientClosed)
            first.close();

        PipeClient second;
        QVERIFY(!second.open("One", error));
        QCOMPARE(error, platform::kErrorPipeBusy);
        QVERIFY(!PipeClient::waitForPipe("One", 20, error));
        QCOMPARE(error, platform::kErrorSemTimeout);

        if (!accepted)
            QVERIFY(accept(server));
        server.disconnect();
        QVERIFY(PipeClient::waitForPipe("One", 20, error));
        QVERIFY(second.open("One", error));
        QVERIFY(write(second, "second"));
        QVERIFY(accept(server));
        QCOMPARE(read(server), QByteArray("second"));
    }

    void waitEndsWhenTheInstanceIsFreed()
    {
        Isolation isolation;
        PipeServer server("Freed");
        std::uint32_t error = 0;
        QVERIFY(server.create(error));
        PipeClient first;
        QVERIFY(first.open("Freed", error));
        QVERIFY(accept(server));
        bool freed = false;
        std::thread waiter([&freed] {
            std::uint32_t waitError = 0;
            freed = PipeClient::waitForPipe("Freed", kWaitMs, waitError);
        });
        server.disconnect();
        waiter.join();
        QVERIFY(freed);
    }

    void absentPipe_data()
    {
        QTest::addColumn<QString>("leftBehind");
        QTest::newRow("never served") << "nothing";
        QTest::newRow("server closed") << "closed";
        QTest::newRow("server crashed") << "crashed";
        QTest::newRow("socket without lock file") << "socket";
    }
    void absentPipe()
    {
        QFETCH(QString, leftBehind);
        Isolation isolation;
        if (leftBehind == "closed") {
            PipeServer server("Gone");
            std::uint32_t error = 0;
            QVERIFY(server.create(error));
        } else if (leftBehind == "crashed") {
            QCOMPARE(runInChild(serveAndCrash, "Gone"), 0);
            QVERIFY(QFile::exists(QString::fromStdString(platform::posix::pipeSocketPath("Gone"))));
        } else if (leftBehind == "socket") {
            leaveBareSocket("Gone");
        }
        PipeClient client;
        std::uint32_t error = 0;
        QVERIFY(!client.open("Gone", error));
        QCOMPARE(error, platform::kErrorFileNotFound);
        QVERIFY(!PipeClient::waitForPipe("Gone", kWaitMs, error));
        QCOMPARE(error, platform::kErrorFileNotFound);

        // Whatever was left behind is stale and makes way for a new server.
        PipeServer server("Gone");
        QVERIFY(server.create(error));
        QVERIFY(client.open("Gone", error));
        QVERIFY(write(client, "again"));
        QVERIFY(accept(server));
        QCOMPARE(read(server), QByteArray("again"));
    }

    void firstInstanceOnly()
    {
        Isolation isolation;
        PipeServer first("Taken");
        std::uint32_t error = 0;
        QVERIFY(first.create(error));
        {
            PipeServer second("Taken");
            QVERIFY(!second.create(error));
            QCOMPARE(error, platform::kErrorAccessDenied);
            QVERIFY(!second.isOpen());
        }
        PipeClient client;
        QVERIFY(client.open("Taken", error));
        QVERIFY(write(client, "for the first"));
        QVERIFY(accept(first));
        QCOMPARE(read(first), QByteArray("for the first"));
    }

    void endpointsOnlyInADirectoryOfOurOwn_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("foundThere");
        QTest::addColumn<bool>("usable");
        QTest::newRow("no XDG_RUNTIME_DIR: the home") << "home" << "nothing" << true;
        QTest::newRow("no XDG_RUNTIME_DIR, a long home") << "long home" << "nothing" << true;
        QTest::newRow("long home, temporary taken by another user") << "long home" << "nobody's" << false;
        QTest::newRow("runtime taken by another user") << "runtime" << "nobody's" << false;
        QTest::newRow("runtime open to others") << "runtime" << "open" << false;
        QTest::newRow("runtime a symlink") << "runtime" << "symlink" << false;
    }
    void endpointsOnlyInADirectoryOfOurOwn()
    {
        QFETCH(QString, place);
        QFETCH(QString, foundThere);
        QFETCH(bool, usable);
        Isolation isolation;
        QString dir = isolation.runtimeDir() + "/korvist";
        if (place != "runtime") {
            qunsetenv("XDG_RUNTIME_DIR");
            const QString home = isolation.root() + (place == "home" ? "/home" : "/home/" + QString(40, 'h'));
            QVERIFY(QDir().mkpath(home));
            qputenv("HOME", QFile::encodeName(home));
            dir = place == "home" ? home + "/.korvist" : isolation.root() + "/tmp/korvist-" + QString::number(::getuid());
        }
        const QByteArray path = QFile::encodeName(dir);
        if (foundThere == "symlink")
            QVERIFY(QDir().mkpath(isolation.root() + "/mine") && QFile::link(isolation.root() + "/mine", dir));
        else if (foundThere != "nothing")
            QVERIFY(::mkdir(path, 0700) == 0 && ::chmod(path, 0777) == 0);
        if (foundThere == "nobody's" && ::chown(path, 65534, 65534) != 0)
            QSKIP("Only root can leave a directory to another user.");

        std::string problem;
        QCOMPARE(platform::checkEndpointDir(problem), usable);
        PipeServer server("Place");
        std::uint32_t error = 0;
        QCOMPARE(server.create(error), usable);
        if (!usable) {
            const QString told = QString::fromStdString(problem);
            QVERIFY2(told.contains(dir + " ") && told.contains("XDG_RUNTIME_DIR"), problem.c_str());
            return;
        }
        QVERIFY(QFileInfo::exists(dir + "/pipes/Place"));
        PipeClient client;
        QVERIFY(client.open("Place", error));
    }

    void releaseEndsEveryWait_data()
    {
        QTest::addColumn<QString>("state");
        QTest::newRow("waiting for a client") << "waiting";
        QTest::newRow("reading from a silent client") << "reading";
        QTest::newRow("released before the wait") << "early";
        QTest::newRow("pipe never created") << "uncreated";
    }
    void releaseEndsEveryWait()
    {
        QFETCH(QString, state);
        Isolation isolation;
        PipeServer server("Release");
        std::uint32_t error = 0;
        if (state != "uncreated")
            QVERIFY(server.create(error));
        PipeClient silent;
        if (state == "reading") {
            QVERIFY(silent.open("Release", error));
            QVERIFY(accept(server));
        }
        if (state == "early" || state == "uncreated")
            server.release();
        std::uint32_t blockedError = 0;
        std::thread blocked([&] {
            char buffer[16];
            std::uint32_t length = 0;
            if (state == "reading")
                server.readMessage(buffer, sizeof buffer, length, blockedError);
            else
                server.waitForClient(blockedError);
        });
        server.release();
        blocked.join();
        QCOMPARE(blockedError, platform::kErrorOperationAborted);
        QVERIFY(!server.waitForClient(error));
        QCOMPARE(error, platform::kErrorOperationAborted);
    }

    void refusesOtherUsers()
    {
        if (::geteuid() != 0)
            QSKIP("Only root can connect as another user.");
        Isolation isolation;
        PipeServer server("Guarded");
        std::uint32_t error = 0;
        QVERIFY(server.create(error));
        const int intruder = runInChild(intrudeAsNobody, "Guarded");
        if (intruder == 2)
            QSKIP("This root may not switch users.");
        QCOMPARE(intruder, 0);

        QByteArray received;
        std::thread reader([&server, &received] {
            if (accept(server))
                received = read(server);
        });
        PipeClient client;
        const bool opened = openWhenFree(client, "Guarded") && write(client, "friend");
        if (!opened)
            server.release();
        reader.join();
        QCOMPARE(received, QByteArray("friend"));
        QVERIFY(opened);
    }
};

QTEST_GUILESS_MAIN(TestPipeStandIn)
#include "tst_pipestandin.moc"
