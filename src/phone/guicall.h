#pragma once

#include <QMetaObject>
#include <QObject>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace phone {

// Runs work on the thread of context (the window's) and waits at most `wait`
// for it to begin. Work that has not begun when the wait runs out never runs:
// a request whose client was answered "busy" is not carried out later.
template<typename T>
std::optional<T> callOnGui(QObject *context, std::function<T()> work, std::chrono::milliseconds wait)
{
    struct Call
    {
        std::mutex mutex;
        std::condition_variable finished;
        bool begun = false;
        bool abandoned = false;
        std::optional<T> result;
    };
    auto call = std::make_shared<Call>();
    QMetaObject::invokeMethod(
        context,
        [call, work] {
            {
                std::lock_guard lock(call->mutex);
                if (call->abandoned)
                    return;
                call->begun = true;
            }
            T result = work();
            std::lock_guard lock(call->mutex);
            call->result = std::move(result);
            call->finished.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(call->mutex);
    if (!call->finished.wait_for(lock, wait, [&] { return call->result.has_value(); })) {
        if (!call->begun) {
            call->abandoned = true;
            return std::nullopt;
        }
        // Begun on the window's thread, it ends there without waiting for anything.
        call->finished.wait(lock, [&] { return call->result.has_value(); });
    }
    return call->result;
}

} // namespace phone
