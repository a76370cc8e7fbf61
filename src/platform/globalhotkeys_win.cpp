#include "globalhotkeys.h"

#include <windows.h>

#include <map>
#include <set>

// Windows: RegisterHotKey without a window, so WM_HOTKEY is posted to the
// calling thread's queue, which the toolkit's event loop reads. Each held
// key's repeats come as more WM_HOTKEY (no MOD_NOREPEAT): the caller bounds
// their rate.
namespace platform {

namespace {

// Applications may use hot key ids 0x0000 to 0xBFFF; the callers' ids are theirs.
constexpr int kLastNativeId = 0xBFFF;

UINT virtualKeyOf(std::uint32_t key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return key; // their virtual keys are their characters
    if (key > 0x20 && key < 0x7f) {
        // Punctuation sits where the layout puts it; a shifted one has no key of its own.
        const SHORT scan = VkKeyScanW(wchar_t(key));
        return scan == -1 || (scan & 0xff00) ? 0 : UINT(scan & 0xff);
    }
    if (key >= Hotkey::F1 && key <= Hotkey::F24)
        return VK_F1 + (key - Hotkey::F1);
    switch (key) {
    case Hotkey::Space: return VK_SPACE;
    case Hotkey::Up: return VK_UP;
    case Hotkey::Down: return VK_DOWN;
    case Hotkey::Left: return VK_LEFT;
    case Hotkey::Right: return VK_RIGHT;
    case Hotkey::Home: return VK_HOME;
    case Hotkey::End: return VK_END;
    case Hotkey::PageUp: return VK_PRIOR;
    case Hotkey::PageDown: return VK_NEXT;
    case Hotkey::Insert: return VK_INSERT;
    case Hotkey::Delete: return VK_DELETE;
    case Hotkey::Return: return VK_RETURN;
    case Hotkey::Escape: return VK_ESCAPE;
    case Hotkey::Tab: return VK_TAB;
    case Hotkey::Backspace: return VK_BACK;
    case Hotkey::Pause: return VK_PAUSE;
    case Hotkey::Print: return VK_SNAPSHOT;
    case Hotkey::VolumeUp: return VK_VOLUME_UP;
    case Hotkey::VolumeDown: return VK_VOLUME_DOWN;
    case Hotkey::VolumeMute: return VK_VOLUME_MUTE;
    default: return 0;
    }
}

UINT modifiersOf(unsigned modifiers)
{
    return (modifiers & Hotkey::Shift ? MOD_SHIFT : 0) | (modifiers & Hotkey::Control ? MOD_CONTROL : 0)
           | (modifiers & Hotkey::Alt ? MOD_ALT : 0) | (modifiers & Hotkey::Meta ? MOD_WIN : 0);
}

} // namespace

struct GlobalHotkeys::Backend
{
    std::map<int, int> nativeIds; // caller's id → the id registered

    int freeNativeId() const
    {
        std::set<int> used;
        for (const auto &[id, native] : nativeIds)
            used.insert(native);
        for (int candidate = 1; candidate <= kLastNativeId; ++candidate)
            if (!used.count(candidate))
                return candidate;
        return 0;
    }
};

GlobalHotkeys::GlobalHotkeys(void *)
    : backend(std::make_unique<Backend>())
{
}

GlobalHotkeys::~GlobalHotkeys()
{
    for (const auto &[id, native] : backend->nativeIds)
        UnregisterHotKey(nullptr, native);
}

GlobalHotkeys::Outcome GlobalHotkeys::grab(int id, Hotkey keys)
{
    release(id);
    const UINT virtualKey = virtualKeyOf(keys.key);
    const int native = backend->freeNativeId();
    if (!virtualKey || !native)
        return Outcome::Unsupported;
    if (!RegisterHotKey(nullptr, native, modifiersOf(keys.modifiers), virtualKey))
        return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? Outcome::Taken : Outcome::Unsupported;
    backend->nativeIds.emplace(id, native);
    return Outcome::Registered;
}

void GlobalHotkeys::release(int id)
{
    const auto found = backend->nativeIds.find(id);
    if (found == backend->nativeIds.end())
        return;
    UnregisterHotKey(nullptr, found->second);
    backend->nativeIds.erase(found);
}

std::optional<GlobalHotkeys::Press> GlobalHotkeys::pressed(const void *nativeEvent) const
{
    const auto *message = static_cast<const MSG *>(nativeEvent);
    if (message->message != WM_HOTKEY || message->hwnd)
        return std::nullopt;
    for (const auto &[id, native] : backend->nativeIds)
        if (WPARAM(native) == message->wParam)
            return Press {id, std::uint32_t(message->time)};
    return std::nullopt;
}

} // namespace platform
