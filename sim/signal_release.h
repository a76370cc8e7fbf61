#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// SIGINT and SIGTERM (Ctrl+C or a closed console on Windows) end a pipe peer.
// A peer spends its life blocked inside the pipe seam, so the request is taken
// on a thread of its own, which calls onSignal (a PipeServer::release) from
// there. Construct it before any other thread starts: on POSIX the signals must
// stay blocked in every thread but that one.
class SignalRelease
{
public:
    explicit SignalRelease(std::function<void()> onSignal);
    ~SignalRelease();
    SignalRelease(const SignalRelease &) = delete;
    SignalRelease &operator=(const SignalRelease &) = delete;

    bool signalled();
    // Sleeps for at most duration; true when a signal came.
    bool sleepFor(std::chrono::milliseconds duration);

private:
    void watch();
    // Called once, from the watcher, when the request to end has come.
    void fire();

    std::function<void()> onSignal;
    std::mutex mutex;
    std::condition_variable woken;
    bool fired = false;
    bool stopping = false;
    std::thread watcher;
};
