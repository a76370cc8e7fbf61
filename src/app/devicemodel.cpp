#include "devicemodel.h"

std::optional<DeviceModel> modelForProductId(std::uint32_t productId)
{
    switch (productId) {
    case 1:
        return DeviceModel::RK1;
    case 2:
        return DeviceModel::RK2;
    case 15:
        return DeviceModel::RS;
    default:
        return std::nullopt;
    }
}

QString windowTitleFor(DeviceModel model, const std::uint8_t (&firmware)[10])
{
    static const char *const prefixes[] = {"Korvist RK1 - FW: ", "Korvist RK2 - FW: ", "Korvist RS - FW: "};
    QString title = QString::fromLatin1(prefixes[int(model)]);
    // Appended rather than substituted with arg(): a '%' among the firmware
    // bytes must not turn into a placeholder for the bytes after it.
    for (std::uint8_t byte : firmware)
        title += QChar(byte);
    return title;
}
