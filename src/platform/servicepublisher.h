#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Announcing the program's ways in on the local network by DNS-SD over
// multicast DNS, so that an app that browses for them (TouchOSC's Browse, a
// phone's list of services) finds the program without an address typed by
// hand. Announcing is a courtesy: where the system cannot (no Avahi daemon, a
// Windows without the DNS-SD calls, wine), the ways in serve all the same and
// the reason is told once.
namespace platform {

class ServicePublisher
{
public:
    // Why nothing can be announced now, or an empty text once it can again.
    // Called on a thread of the system's (Avahi's event loop, Windows' DNS
    // service), or on the caller's within these calls, and only when the
    // reason changes.
    using ProblemReport = std::function<void(const std::string &problem)>;

    // One service on the network for as long as it lives; its end withdraws it.
    class Announcement
    {
    public:
        virtual ~Announcement() = default;
    };

    explicit ServicePublisher(ProblemReport report);
    ~ServicePublisher();
    ServicePublisher(const ServicePublisher &) = delete;
    ServicePublisher &operator=(const ServicePublisher &) = delete;

    // instance: the name a browser lists, UTF-8 ("Korvist Mixer on studio"),
    // which Avahi changes ("Korvist Mixer on studio #2") while another host
    // has it; type: "_osc._udp" or "_http._tcp". Never null: where the system
    // says when it can announce again (Avahi's daemon coming back), a service
    // that cannot be announced now is announced then. An announcement may
    // outlive its publisher.
    std::unique_ptr<Announcement> publish(const std::string &instance, const std::string &type, std::uint16_t port);

    // Each system's, in its own file.
    struct Backend;

private:
    std::shared_ptr<Backend> backend;
};

} // namespace platform
