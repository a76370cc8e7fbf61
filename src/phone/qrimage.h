#pragma once

#include <QImage>
#include <QString>

namespace phone {

// The text as a QR code (medium error correction), black on white with the
// quiet zone around it, one pixel a module; null when the text is too long.
QImage qrImage(const QString &text);

} // namespace phone
