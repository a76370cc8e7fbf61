#include "pairingcode.h"

#include <QRandomGenerator>

namespace phone {

PairingCode::PairingCode(QObject *parent)
    : QObject(parent)
{
    lifetime.setSingleShot(true);
    connect(&lifetime, &QTimer::timeout, this, &PairingCode::renew);
    renew();
}

bool PairingCode::use(const QString &candidate)
{
    if (candidate != code)
        return false;
    renew();
    return true;
}

void PairingCode::renew()
{
    code = QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(1000000), 6, 10, QLatin1Char('0'));
    lifetime.start(kLifetimeMs);
    emit changed(code);
}

} // namespace phone
