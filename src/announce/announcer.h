#pragma once

#include <servicepublisher.h>

#include <QObject>

#include <map>
#include <memory>
#include <mutex>

// The program's ways in (the control surfaces' OSC port, the phone remote's
// page), announced on the network by DNS-SD while they serve it, all under
// one name, so that TouchOSC's Browse or a phone lists "Korvist Mixer on
// <computer>". Where the system cannot announce, the log says why, once.
namespace announce {

class Announcer : public QObject
{
    Q_OBJECT

public:
    explicit Announcer(QObject *parent = nullptr);
    ~Announcer() override;

    // type: "_osc._udp", "_http._tcp". Announced anew at another port only:
    // the same announcement again changes nothing on the network.
    void announce(const QString &type, quint16 port);
    void withdraw(const QString &type);

    // "Korvist Mixer on studio"
    static QString instanceName();

private:
    // The publisher's reports come on the system's threads, and may come
    // while this object goes away: they reach it only while it is there.
    struct Relay
    {
        std::mutex lock;
        Announcer *announcer = nullptr;
    };

    void follow(const QString &problem);

    std::map<QString, std::pair<quint16, std::unique_ptr<platform::ServicePublisher::Announcement>>> announced;
    std::shared_ptr<Relay> relay = std::make_shared<Relay>();
    // Made at the first announcement: a program that announces nothing leaves the system's service alone.
    std::unique_ptr<platform::ServicePublisher> publisher;
    QString problem;
    QString logged;
};

} // namespace announce
