#pragma once

#include <csignal>

// SIGINT and SIGTERM (an unplug) are held back while a request is being
// answered and delivered only while the serve loop waits, so they end the loop
// between requests, never in the middle of a reply or a journal line.
class ShutdownSignals
{
public:
    ShutdownSignals();
    ShutdownSignals(const ShutdownSignals &) = delete;
    ShutdownSignals &operator=(const ShutdownSignals &) = delete;

    bool requested() const;
    // The signal mask to wait with (ppoll): the one from before, with the two let through.
    const sigset_t &waitMask() const { return unblocked; }

private:
    sigset_t unblocked;
};
