#include "announcer.h"

#include <QDebug>
#include <QSysInfo>

namespace announce {

Announcer::Announcer(QObject *parent)
    : QObject(parent)
{
    relay->announcer = this;
}

Announcer::~Announcer()
{
    const std::lock_guard lock(relay->lock);
    relay->announcer = nullptr;
}

QString Announcer::instanceName()
{
    return QStringLiteral("Korvist Mixer on %1").arg(QSysInfo::machineHostName());
}

void Announcer::announce(const QString &type, quint16 port)
{
    if (const auto known = announced.find(type); known != announced.end() && known->second.first == port)
        return;
    // The old one goes first: the new one takes its name.
    announced.erase(type);
    if (!publisher) {
        publisher = std::make_unique<platform::ServicePublisher>([relay = relay](const std::string &why) {
            const std::lock_guard lock(relay->lock);
            if (Announcer *announcer = relay->announcer)
                QMetaObject::invokeMethod(
                    announcer, [announcer, why = QString::fromStdString(why)] { announcer->follow(why); },
                    Qt::QueuedConnection);
        });
    }
    announced[type] = {port, publisher->publish(instanceName().toStdString(), type.toStdString(), port)};
    follow(problem);
}

void Announcer::withdraw(const QString &type)
{
    announced.erase(type);
}

void Announcer::follow(const QString &why)
{
    problem = why;
    // Each spell of trouble once, and only while something is to be announced.
    if (problem.isEmpty()) {
        logged.clear();
    } else if (problem != logged && !announced.empty()) {
        qWarning().noquote() << "Not announced on the network:" << problem;
        logged = problem;
    }
}

} // namespace announce
