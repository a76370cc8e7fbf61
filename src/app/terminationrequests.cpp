#include "terminationrequests.h"

#include <termination.h>

#include <QCoreApplication>
#include <QSocketNotifier>

void quitOnTerminationRequests(QCoreApplication &app)
{
    const int requests = platform::terminationRequests();
    if (requests < 0)
        return;
    auto *notifier = new QSocketNotifier(qintptr(requests), QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        platform::clearTerminationRequests();
        QCoreApplication::exit(0);
    });
}
