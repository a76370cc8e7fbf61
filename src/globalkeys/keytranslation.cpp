#include "keytranslation.h"

#include <utility>

namespace globalkeys {

namespace {

using platform::Hotkey;

constexpr std::pair<Qt::Key, std::uint32_t> kNamedKeys[] = {
    {Qt::Key_Space, Hotkey::Space},        {Qt::Key_Up, Hotkey::Up},
    {Qt::Key_Down, Hotkey::Down},          {Qt::Key_Left, Hotkey::Left},
    {Qt::Key_Right, Hotkey::Right},        {Qt::Key_Home, Hotkey::Home},
    {Qt::Key_End, Hotkey::End},            {Qt::Key_PageUp, Hotkey::PageUp},
    {Qt::Key_PageDown, Hotkey::PageDown},  {Qt::Key_Insert, Hotkey::Insert},
    {Qt::Key_Delete, Hotkey::Delete},      {Qt::Key_Return, Hotkey::Return},
    {Qt::Key_Escape, Hotkey::Escape},      {Qt::Key_Tab, Hotkey::Tab},
    {Qt::Key_Backspace, Hotkey::Backspace}, {Qt::Key_Pause, Hotkey::Pause},
    {Qt::Key_Print, Hotkey::Print},        {Qt::Key_VolumeUp, Hotkey::VolumeUp},
    {Qt::Key_VolumeDown, Hotkey::VolumeDown}, {Qt::Key_VolumeMute, Hotkey::VolumeMute},
};

} // namespace

std::optional<platform::Hotkey> hotkeyFor(QKeyCombination keys)
{
    const Qt::KeyboardModifiers modifiers = keys.keyboardModifiers();
    if (modifiers & Qt::KeypadModifier)
        return std::nullopt;
    Hotkey hotkey;
    hotkey.modifiers = (modifiers & Qt::ShiftModifier ? Hotkey::Shift : 0u)
                       | (modifiers & Qt::ControlModifier ? Hotkey::Control : 0u)
                       | (modifiers & Qt::AltModifier ? Hotkey::Alt : 0u)
                       | (modifiers & Qt::MetaModifier ? Hotkey::Meta : 0u);
    const int key = keys.key();
    // Qt's codes of the printable keys are their US-ASCII characters, letters in upper case.
    if (key > Qt::Key_Space && key <= Qt::Key_AsciiTilde && !(key >= 'a' && key <= 'z')) {
        hotkey.key = std::uint32_t(key);
        return hotkey;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        hotkey.key = Hotkey::F1 + std::uint32_t(key - Qt::Key_F1);
        return hotkey;
    }
    for (const auto &[qtKey, named] : kNamedKeys) {
        if (qtKey == key) {
            hotkey.key = named;
            return hotkey;
        }
    }
    return std::nullopt;
}

} // namespace globalkeys
