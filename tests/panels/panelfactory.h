#pragma once

#include <rk1.h>
#include <rk2.h>
#include <rs.h>

#include <memory>

inline std::unique_ptr<QWidget> createPanel(const QString &model,
                                           safetygate::Way arrival = safetygate::Way::PlugIn)
{
    if (model == QLatin1String("rk1"))
        return std::make_unique<rk1>(arrival);
    if (model == QLatin1String("rk2"))
        return std::make_unique<rk2>(arrival);
    return std::make_unique<rs>(arrival);
}
