#include "servicepublisher.h"

#include "widestring_win.h"

#include <windows.h>
#include <windns.h>

#include <mutex>

// Through the DNS-SD calls of dnsapi.dll, which Windows 10 brought: looked up
// when the program starts announcing, so that an older Windows or wine (whose
// dnsapi has none of them) starts all the same. Each call completes later on
// a thread of the system's, so a registration lives on the heap until its
// last completion has come.
namespace platform {

namespace {

// DNS_REQUEST_PENDING of the Windows SDK's winerror.h, which mingw-w64's lacks.
constexpr DWORD kRequestPending = 9506;

struct Calls
{
    decltype(&DnsServiceConstructInstance) construct = nullptr;
    decltype(&DnsServiceFreeInstance) freeInstance = nullptr;
    decltype(&DnsServiceRegister) registerService = nullptr;
    decltype(&DnsServiceRegisterCancel) cancelRegistration = nullptr;
    decltype(&DnsServiceDeRegister) deregisterService = nullptr;
};

template<typename Function>
bool lookUp(HMODULE module, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(module, name)));
    return function != nullptr;
}

// The machine as multicast DNS names it: what its addresses are announced under.
std::wstring localHostName()
{
    wchar_t name[256] = {};
    DWORD size = 256;
    if (!GetComputerNameExW(ComputerNameDnsHostname, name, &size))
        return {};
    return std::wstring(name, size) + L".local";
}

} // namespace

struct ServicePublisher::Backend
{
    explicit Backend(ProblemReport report);
    void problem(const std::string &why);

    ProblemReport report;
    std::mutex reporting;
    std::string reported;
    Calls calls;
    bool usable = false;
    std::wstring hostName = localHostName();
};

namespace {

struct Registration
{
    Registration(std::shared_ptr<ServicePublisher::Backend> owner, std::string instance)
        : backend(std::move(owner))
        , name(std::move(instance))
    {
    }
    ~Registration()
    {
        if (instance)
            backend->calls.freeInstance(instance);
    }

    const std::shared_ptr<ServicePublisher::Backend> backend;
    const std::string name;
    PDNS_SERVICE_INSTANCE instance = nullptr;
    DNS_SERVICE_REGISTER_REQUEST request {};
    DNS_SERVICE_CANCEL cancel {};
    std::mutex lock;
    // The system's hold while it has the request: let go at the last completion.
    std::shared_ptr<Registration> inFlight;
    bool registered = false;
    bool failed = false;
    bool withdrawn = false;
    // A deregistration is under way: its completion is the last.
    bool deregistering = false;
};

// Never under the registration's lock (its completion may come on this
// thread), and only while the caller holds the registration too.
void deregister(Registration &registration)
{
    if (registration.backend->calls.deregisterService(&registration.request, nullptr) == kRequestPending)
        return;
    std::shared_ptr<Registration> done;
    const std::lock_guard lock(registration.lock);
    done.swap(registration.inFlight);
}

// The registration's completion, or, once withdrawn, the deregistration's.
void WINAPI completed(DWORD status, PVOID context, PDNS_SERVICE_INSTANCE registeredInstance)
{
    auto &registration = *static_cast<Registration *>(context);
    if (registeredInstance)
        registration.backend->calls.freeInstance(registeredInstance);
    std::shared_ptr<Registration> held;
    std::unique_lock lock(registration.lock);
    if (!registration.withdrawn) {
        registration.registered = status == ERROR_SUCCESS;
        registration.failed = !registration.registered;
        if (registration.failed)
            held.swap(registration.inFlight);
        // Under the lock, so that a withdrawal cannot end the registration meanwhile.
        registration.backend->problem(registration.registered
                                          ? std::string()
                                          : "\"" + registration.name + "\" could not be announced (DnsServiceRegister: error "
                                                + std::to_string(status) + ")");
    } else if (registration.deregistering || status != ERROR_SUCCESS) {
        held.swap(registration.inFlight);
    } else {
        // Withdrawn while it registered, and registered all the same.
        registration.deregistering = true;
        held = registration.inFlight;
        lock.unlock();
        deregister(registration);
    }
}

void withdraw(const std::shared_ptr<Registration> &registration)
{
    std::unique_lock lock(registration->lock);
    registration->withdrawn = true;
    const bool registered = registration->registered;
    const bool failed = registration->failed;
    registration->deregistering = registered;
    lock.unlock();
    if (registered)
        deregister(*registration);
    else if (!failed)
        // Its completion comes all the same, cancelled or registered, and says which.
        registration->backend->calls.cancelRegistration(&registration->cancel);
}

class WindowsAnnouncement : public ServicePublisher::Announcement
{
public:
    explicit WindowsAnnouncement(std::shared_ptr<Registration> registration)
        : registration(std::move(registration))
    {
    }
    ~WindowsAnnouncement() override { withdraw(registration); }

private:
    const std::shared_ptr<Registration> registration;
};

} // namespace

ServicePublisher::Backend::Backend(ProblemReport problemReport)
    : report(std::move(problemReport))
{
    // Kept loaded for good: a completion may come after the last announcement ends.
    const HMODULE dnsapi = LoadLibraryW(L"dnsapi.dll");
    if (!dnsapi) {
        problem("dnsapi.dll could not be loaded (error " + std::to_string(GetLastError()) + ")");
        return;
    }
    usable = lookUp(dnsapi, "DnsServiceConstructInstance", calls.construct)
             && lookUp(dnsapi, "DnsServiceFreeInstance", calls.freeInstance)
             && lookUp(dnsapi, "DnsServiceRegister", calls.registerService)
             && lookUp(dnsapi, "DnsServiceRegisterCancel", calls.cancelRegistration)
             && lookUp(dnsapi, "DnsServiceDeRegister", calls.deregisterService);
    if (!usable)
        problem("this system's dnsapi.dll lacks DnsServiceRegister, which Windows 10 brought");
    else if (hostName.empty())
        problem("this computer's name could not be read (error " + std::to_string(GetLastError()) + ")");
    usable = usable && !hostName.empty();
}

void ServicePublisher::Backend::problem(const std::string &why)
{
    {
        const std::lock_guard lock(reporting);
        if (why == reported)
            return;
        reported = why;
    }
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
    if (!backend->usable)
        return std::make_unique<Announcement>();
    // Windows takes the instance's whole name, its type and domain included.
    const std::wstring fullName = win::toUtf16(instance + "." + type + ".local");
    const auto registration = std::make_shared<Registration>(backend, instance);
    registration->instance = backend->calls.construct(fullName.c_str(), backend->hostName.c_str(), nullptr, nullptr,
                                                      port, 0, 0, 0, nullptr, nullptr);
    if (!registration->instance) {
        backend->problem("\"" + instance + "\" could not be announced (DnsServiceConstructInstance failed)");
        return std::make_unique<Announcement>();
    }
    registration->request.Version = DNS_QUERY_REQUEST_VERSION1;
    registration->request.InterfaceIndex = 0;
    registration->request.pServiceInstance = registration->instance;
    registration->request.pRegisterCompletionCallback = completed;
    registration->request.pQueryContext = registration.get();
    registration->inFlight = registration;
    const DWORD status = backend->calls.registerService(&registration->request, &registration->cancel);
    if (status != kRequestPending) {
        registration->inFlight.reset();
        backend->problem("\"" + instance + "\" could not be announced (DnsServiceRegister: error "
                         + std::to_string(status) + ")");
        return std::make_unique<Announcement>();
    }
    return std::make_unique<WindowsAnnouncement>(registration);
}

} // namespace platform
