#include "servicepublisher.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/thread-watch.h>

#include <algorithm>
#include <vector>

// Through Avahi's daemon, which answers for the whole machine on the network;
// its client library talks to it over the system bus. The client lives on an
// event loop thread of its own, so every call from the caller's thread holds
// that loop's lock, and the loop's callbacks run with it held.
namespace platform {

namespace {

struct Service
{
    ServicePublisher::Backend *backend = nullptr;
    std::string name;
    std::string type;
    std::uint16_t port = 0;
    // Belongs to the client: gone with it when the daemon goes.
    AvahiEntryGroup *group = nullptr;
};

} // namespace

struct ServicePublisher::Backend
{
    explicit Backend(ProblemReport report);
    ~Backend();

    // A client waiting for the daemon, where the system bus can be reached at all.
    void connect();
    void followClient(AvahiClient *client, AvahiClientState state);
    void followGroup(Service &service, AvahiEntryGroupState state);
    void announce(AvahiClient *client, Service &service);
    void problem(const std::string &why);

    ProblemReport report;
    std::string reported;
    AvahiThreadedPoll *poll = nullptr;
    AvahiClient *client = nullptr;
    std::vector<Service *> services;
};

namespace {

class Lock
{
public:
    explicit Lock(AvahiThreadedPoll *poll)
        : poll(poll)
    {
        avahi_threaded_poll_lock(poll);
    }
    ~Lock() { avahi_threaded_poll_unlock(poll); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    AvahiThreadedPoll *poll;
};

std::string avahiError(int error)
{
    return avahi_strerror(error);
}

// "Korvist Mixer on studio #2" after "Korvist Mixer on studio", then #3...
std::string alternativeName(const std::string &name)
{
    char *alternative = avahi_alternative_service_name(name.c_str());
    std::string next = alternative;
    avahi_free(alternative);
    return next;
}

class AvahiAnnouncement : public ServicePublisher::Announcement
{
public:
    AvahiAnnouncement(std::shared_ptr<ServicePublisher::Backend> owner, Service announced)
        : backend(std::move(owner))
        , service(std::move(announced))
    {
    }
    ~AvahiAnnouncement() override
    {
        if (!backend->poll)
            return;
        const Lock lock(backend->poll);
        // Freeing the group withdraws it: the daemon says goodbye on the network.
        if (service.group)
            avahi_entry_group_free(service.group);
        std::erase(backend->services, &service);
    }

    const std::shared_ptr<ServicePublisher::Backend> backend;
    Service service;
};

} // namespace

ServicePublisher::Backend::Backend(ProblemReport problemReport)
    : report(std::move(problemReport))
    , poll(avahi_threaded_poll_new())
{
    if (!poll) {
        problem("Avahi's event loop could not be made");
        return;
    }
    connect();
    if (avahi_threaded_poll_start(poll) < 0)
        problem("Avahi's event loop thread could not be started");
}

ServicePublisher::Backend::~Backend()
{
    if (!poll)
        return;
    avahi_threaded_poll_stop(poll);
    if (client)
        avahi_client_free(client);
    avahi_threaded_poll_free(poll);
}

void ServicePublisher::Backend::connect()
{
    int error = 0;
    client = avahi_client_new(
        avahi_threaded_poll_get(poll), AVAHI_CLIENT_NO_FAIL,
        [](AvahiClient *c, AvahiClientState state, void *self) { static_cast<Backend *>(self)->followClient(c, state); },
        this, &error);
    // Without a system bus even a client that waits for the daemon cannot be
    // made: the next announcement tries again.
    if (!client)
        problem("avahi-daemon cannot be reached (" + avahiError(error) + ")");
}

// Called while avahi_client_new() runs too, before it has returned the client.
void ServicePublisher::Backend::followClient(AvahiClient *c, AvahiClientState state)
{
    switch (state) {
    case AVAHI_CLIENT_S_RUNNING:
        problem({});
        for (Service *service : services)
            announce(c, *service);
        break;
    case AVAHI_CLIENT_S_COLLISION:
    case AVAHI_CLIENT_S_REGISTERING:
        // The machine's own name is being settled: announced again once it runs.
        for (Service *service : services)
            if (service->group)
                avahi_entry_group_reset(service->group);
        break;
    case AVAHI_CLIENT_CONNECTING:
        problem("avahi-daemon is not running");
        break;
    case AVAHI_CLIENT_FAILURE: {
        // The client takes its entry groups with it.
        for (Service *service : services)
            service->group = nullptr;
        const int error = avahi_client_errno(c);
        avahi_client_free(c);
        client = nullptr;
        if (error == AVAHI_ERR_DISCONNECTED) {
            // The daemon went away: a new client waits for it to come back.
            connect();
        } else {
            // The next announcement tries again.
            problem("Avahi failed (" + avahiError(error) + ")");
        }
        break;
    }
    }
}

void ServicePublisher::Backend::followGroup(Service &service, AvahiEntryGroupState state)
{
    if (state == AVAHI_ENTRY_GROUP_COLLISION) {
        service.name = alternativeName(service.name);
        avahi_entry_group_reset(service.group);
        announce(avahi_entry_group_get_client(service.group), service);
    } else if (state == AVAHI_ENTRY_GROUP_FAILURE) {
        problem("\"" + service.name + "\" (" + service.type + ") could not be announced ("
                + avahiError(avahi_client_errno(avahi_entry_group_get_client(service.group))) + ")");
    }
}

void ServicePublisher::Backend::announce(AvahiClient *c, Service &service)
{
    if (!service.group) {
        service.group = avahi_entry_group_new(
            c,
            [](AvahiEntryGroup *, AvahiEntryGroupState state, void *announced) {
                Service &s = *static_cast<Service *>(announced);
                if (s.group)
                    s.backend->followGroup(s, state);
            },
            &service);
        if (!service.group) {
            problem("Avahi refused an entry group (" + avahiError(avahi_client_errno(c)) + ")");
            return;
        }
    }
    if (!avahi_entry_group_is_empty(service.group))
        return;
    int error = 0;
    // A name that this machine announces already (another user's program) is
    // refused at once, one that another host has only later, in followGroup.
    while ((error = avahi_entry_group_add_service(service.group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                                  AvahiPublishFlags(0), service.name.c_str(), service.type.c_str(),
                                                  nullptr, nullptr, service.port, nullptr))
           == AVAHI_ERR_COLLISION)
        service.name = alternativeName(service.name);
    if (error >= 0)
        error = avahi_entry_group_commit(service.group);
    if (error < 0)
        problem("\"" + service.name + "\" (" + service.type + ") could not be announced (" + avahiError(error) + ")");
}

void ServicePublisher::Backend::problem(const std::string &why)
{
    if (why == reported)
        return;
    reported = why;
    report(why);
}

ServicePublisher::ServicePublisher(ProblemReport report)
    : backend(std::make_shared<Backend>(std::move(report)))
{
}

ServicePublisher::~ServicePublisher() = default;

std::unique_ptr<ServicePublisher::Announcement> ServicePublisher::publish(const std::string &instance,
                                                                           const std::string &type, std::uint16_t port)
{
    auto announcement = std::make_unique<AvahiAnnouncement>(backend, Service {backend.get(), instance, type, port});
    if (!backend->poll)
        return announcement;
    const Lock lock(backend->poll);
    backend->services.push_back(&announcement->service);
    if (!backend->client)
        backend->connect();
    else if (avahi_client_get_state(backend->client) == AVAHI_CLIENT_S_RUNNING)
        backend->announce(backend->client, announcement->service);
    return announcement;
}

} // namespace platform
