#include "qrimage.h"

#include <qrcodegen.hpp>

#include <stdexcept>

namespace phone {

QImage qrImage(const QString &text)
{
    constexpr int kQuietZone = 4;
    try {
        const qrcodegen::QrCode code = qrcodegen::QrCode::encodeText(text.toUtf8().constData(), qrcodegen::QrCode::Ecc::MEDIUM);
        const int size = code.getSize();
        QImage image(size + 2 * kQuietZone, size + 2 * kQuietZone, QImage::Format_Mono);
        image.fill(1);
        image.setColor(0, qRgb(0, 0, 0));
        image.setColor(1, qRgb(255, 255, 255));
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (code.getModule(x, y))
                    image.setPixel(x + kQuietZone, y + kQuietZone, 0);
        return image;
    } catch (const std::length_error &) {
        return QImage();
    }
}

} // namespace phone
