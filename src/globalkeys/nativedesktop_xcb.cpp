#include "nativedesktop.h"

#include <QGuiApplication>

namespace globalkeys {

void *keyboardConnection()
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

QString whyNoKeys()
{
    if (keyboardConnection())
        return {};
    return QStringLiteral("the session is no X11 one (Qt platform \"%1\"), and only X11 lends its keys to a program")
        .arg(QGuiApplication::platformName());
}

} // namespace globalkeys
