#include "browsername.h"

namespace phone {

QString browserName(const QString &userAgent)
{
    // Order matters: Edge and Opera name Chrome too, and Chrome names Safari.
    static const char *const browsers[][2] = {{"EdgA", "Edge"}, {"Edg/", "Edge"}, {"OPR/", "Opera"},
                                              {"SamsungBrowser", "Samsung Internet"}, {"Firefox", "Firefox"},
                                              {"FxiOS", "Firefox"}, {"CriOS", "Chrome"}, {"Chrome", "Chrome"},
                                              {"Safari", "Safari"}};
    static const char *const systems[][2] = {{"Android", "Android"}, {"iPhone", "iPhone"}, {"iPad", "iPad"},
                                             {"Windows", "Windows"}, {"Mac OS", "macOS"}, {"Linux", "Linux"}};
    QString browser = QStringLiteral("a browser");
    for (const auto &known : browsers)
        if (userAgent.contains(QLatin1String(known[0]))) {
            browser = QLatin1String(known[1]);
            break;
        }
    for (const auto &known : systems)
        if (userAgent.contains(QLatin1String(known[0])))
            return browser + QStringLiteral(" on ") + QLatin1String(known[1]);
    return browser;
}

} // namespace phone
