#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The interfaces this panel knows, by the USB product id their driver reports.
enum class DeviceModel { RK1, RK2, RS };

std::optional<DeviceModel> modelForProductId(std::uint32_t productId);

// "Korvist RK1 - FW: " and the ten firmware bytes, each as the character of
// that code (zero bytes included).
QString windowTitleFor(DeviceModel model, const std::uint8_t (&firmware)[10]);
