// The panels' reading of a saved value, whatever an ini file holds: a switch
// is only ever on or off for the four texts QSettings writes, and a number
// only for a whole decimal text that fits in 32 bits, with exactly its value.
#include <storedvalue.h>

#include <QString>
#include <QVariant>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QVariant stored(text);

    if (const std::optional<bool> on = savedstate::parseStoredSwitch(stored)) {
        const bool known = *on ? (text == QLatin1String("true") || text == QLatin1String("1"))
                               : (text == QLatin1String("false") || text == QLatin1String("0"));
        if (!known)
            std::abort();
    }
    if (const std::optional<int> number = savedstate::parseStoredNumber(stored)) {
        bool ok = false;
        const qlonglong whole = text.toLongLong(&ok);
        if (!ok || whole != *number || text.trimmed() != text)
            std::abort();
    }
    return 0;
}
