// The knob's typed entry, whatever is typed and however the knob is set up:
// the entry always ends in exactly one valueChangedSig, with the value the
// knob then holds, inside minimum..maximum.
#include <knob.h>

#include <QApplication>
#include <QLineEdit>

#include <cstddef>
#include <cstdint>

namespace {

QApplication *application = nullptr;
Knob *knob = nullptr;
int emissions = 0;
int emitted = 0;

std::int16_t i16(const std::uint8_t *at)
{
    return std::int16_t(std::uint16_t(at[0] | at[1] << 8));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application = new QApplication(*argc, *argv);
    knob = new Knob;
    QObject::connect(knob, &Knob::valueChangedSig, [](int value) {
        ++emissions;
        emitted = value;
    });
    return 0;
}

// Bytes 0-1: minimum; 2: how far maximum lies above it; 3-4: the display
// offset; 5: the suffix; the rest, as UTF-8, is what was typed.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 6)
        return 0;
    static const QString suffixes[] = {QStringLiteral("dB"), QString(), QStringLiteral("%")};
    knob->minimum = i16(data);
    knob->maximum = knob->minimum + data[2];
    knob->displayOffset = i16(data + 3);
    knob->suffix = suffixes[data[5] % 3];
    knob->editBox()->setText(QString::fromUtf8(reinterpret_cast<const char *>(data + 6), qsizetype(size - 6)));
    emissions = 0;
    knob->finishEdit();
    if (emissions != 1 || emitted != knob->value || knob->value < knob->minimum || knob->value > knob->maximum)
        __builtin_trap();
    return 0;
}
