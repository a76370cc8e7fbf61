#pragma once

#include <button.h>
#include <iocontrolcodes.h>
#include <knob.h>
#include <mixerblock.h>
#include <simdevice.h>

#include <QLabel>
#include <QSettings>
#include <QWidget>

#include <cstring>

// Reaches a panel's controls the way a user sees them: knobs in the order
// they appear, buttons and labels by their text.
namespace panelprobe {

inline QList<Knob *> knobs(QWidget *panel)
{
    return panel->findChildren<Knob *>(QString(), Qt::FindDirectChildrenOnly);
}

inline QList<Button *> buttons(QWidget *panel, const QString &text)
{
    QList<Button *> found;
    for (Button *button : panel->findChildren<Button *>(QString(), Qt::FindDirectChildrenOnly))
        if (button->text() == text)
            found.append(button);
    return found;
}

inline Button *button(QWidget *panel, const QString &text, int index = 0)
{
    const QList<Button *> found = buttons(panel, text);
    return index < found.size() ? found[index] : nullptr;
}

// Level readouts, in the order they appear.
inline QList<QLabel *> levelLabels(QWidget *panel)
{
    QList<QLabel *> found;
    for (QLabel *label : panel->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
        if (label->styleSheet() == QLatin1String("color: #888888; font-size: 8px;"))
            found.append(label);
    return found;
}

// The 37 bytes of a command request.
inline QByteArray command(quint8 target, quint8 selector, quint8 channel, quint16 value = 0)
{
    QByteArray bytes(37, '\0');
    bytes[0] = 0x01;
    bytes[1] = char(target);
    bytes[3] = char(selector);
    bytes[4] = char(channel);
    bytes[5] = char(value & 0xff);
    bytes[6] = char(value >> 8);
    return bytes;
}

inline MixerBlock mixerFrom(const QByteArray &bytes)
{
    MixerBlock mixer;
    if (bytes.size() == int(sizeof mixer))
        std::memcpy(&mixer, bytes.constData(), sizeof mixer);
    return mixer;
}

inline QByteArray bytesOf(const MixerBlock &mixer)
{
    return QByteArray(reinterpret_cast<const char *>(&mixer), sizeof mixer);
}

// The last mixer block the device received.
inline MixerBlock lastMixer(const SimDevice &device)
{
    const QList<SimJournalEntry> writes = device.journal(iocode::WriteMixer);
    return writes.isEmpty() ? MixerBlock() : mixerFrom(writes.last().in);
}

} // namespace panelprobe
