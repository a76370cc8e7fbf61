#include "globalhotkeys.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <map>
#include <vector>

// X11: a passive grab of the key on the root window, so that the server hands
// the press to this program whichever window has the focus. The grab is for
// one exact set of modifiers, and NumLock and CapsLock count as modifiers
// too: each combination is grabbed once per state of those locks.
namespace platform {

namespace {

constexpr std::uint8_t kBadAccess = 10;
constexpr std::uint32_t kNumLock = 0xff7f;
constexpr std::uint32_t kAltL = 0xffe9;
constexpr std::uint32_t kSuperL = 0xffeb;

std::uint32_t keysymOf(std::uint32_t key)
{
    if (key >= 'A' && key <= 'Z')
        return key - 'A' + 'a'; // a letter's key carries its small letter unshifted
    if (key >= 0x20 && key < 0x7f)
        return key; // Latin-1 keysyms are the characters themselves
    if (key >= Hotkey::F1 && key <= Hotkey::F24)
        return 0xffbe + (key - Hotkey::F1);
    switch (key) {
    case Hotkey::Up: return 0xff52;
    case Hotkey::Down: return 0xff54;
    case Hotkey::Left: return 0xff51;
    case Hotkey::Right: return 0xff53;
    case Hotkey::Home: return 0xff50;
    case Hotkey::End: return 0xff57;
    case Hotkey::PageUp: return 0xff55;
    case Hotkey::PageDown: return 0xff56;
    case Hotkey::Insert: return 0xff63;
    case Hotkey::Delete: return 0xffff;
    case Hotkey::Return: return 0xff0d;
    case Hotkey::Escape: return 0xff1b;
    case Hotkey::Tab: return 0xff09;
    case Hotkey::Backspace: return 0xff08;
    case Hotkey::Pause: return 0xff13;
    case Hotkey::Print: return 0xff61;
    case Hotkey::VolumeUp: return 0x1008ff13;   // XF86AudioRaiseVolume
    case Hotkey::VolumeDown: return 0x1008ff11; // XF86AudioLowerVolume
    case Hotkey::VolumeMute: return 0x1008ff12; // XF86AudioMute
    default: return 0;
    }
}

// The keyboard as the server maps it now: which keycodes carry a keysym, and
// which modifier bit a keycode sets.
class Keyboard
{
public:
    explicit Keyboard(xcb_connection_t *connection)
    {
        const xcb_setup_t *setup = xcb_get_setup(connection);
        first = setup->min_keycode;
        const auto count = std::uint8_t(setup->max_keycode - setup->min_keycode + 1);
        if (auto *map = xcb_get_keyboard_mapping_reply(
                connection, xcb_get_keyboard_mapping(connection, first, count), nullptr)) {
            perKeycode = map->keysyms_per_keycode;
            const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
            keysyms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(map));
            std::free(map);
        }
        if (auto *modifiers = xcb_get_modifier_mapping_reply(
                connection, xcb_get_modifier_mapping(connection), nullptr)) {
            perModifier = modifiers->keycodes_per_modifier;
            const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(modifiers);
            modifierKeycodes.assign(codes, codes + xcb_get_modifier_mapping_keycodes_length(modifiers));
            std::free(modifiers);
        }
    }

    xcb_keycode_t keycodeOf(std::uint32_t keysym) const
    {
        for (std::size_t i = 0; perKeycode && i < keysyms.size(); ++i)
            if (keysyms[i] == keysym)
                return xcb_keycode_t(first + i / perKeycode);
        return 0;
    }

    // The modifier bit that the key of this keysym sets, or fallback where no key does.
    std::uint16_t maskOf(std::uint32_t keysym, std::uint16_t fallback) const
    {
        const xcb_keycode_t keycode = keycodeOf(keysym);
        for (std::size_t i = 0; keycode && perModifier && i < modifierKeycodes.size(); ++i)
            if (modifierKeycodes[i] == keycode)
                return std::uint16_t(1u << (i / perModifier));
        return fallback;
    }

private:
    xcb_keycode_t first = 0;
    std::size_t perKeycode = 0;
    std::vector<xcb_keysym_t> keysyms;
    std::size_t perModifier = 0;
    std::vector<xcb_keycode_t> modifierKeycodes;
};

struct Grab
{
    xcb_keycode_t keycode = 0;
    std::uint16_t modifiers = 0;
    std::uint16_t significant = 0; // the bits that tell combinations apart; the locks' are not among them
    std::vector<std::uint16_t> variants;
};

} // namespace

struct GlobalHotkeys::Backend
{
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = 0;
    std::map<int, Grab> grabs;

    void ungrab(const Grab &grab, std::size_t variants)
    {
        for (std::size_t i = 0; i < variants; ++i)
            xcb_ungrab_key(connection, grab.keycode, root, grab.variants[i]);
        xcb_flush(connection);
    }
};

GlobalHotkeys::GlobalHotkeys(void *xConnection)
    : backend(std::make_unique<Backend>())
{
    auto *connection = static_cast<xcb_connection_t *>(xConnection);
    if (!connection || xcb_connection_has_error(connection))
        return;
    backend->connection = connection;
    // The toolkit opens the display's first screen; a session of several X
    // screens (rather than one screen over several monitors) is long gone.
    backend->root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

GlobalHotkeys::~GlobalHotkeys()
{
    for (const auto &[id, grab] : backend->grabs)
        backend->ungrab(grab, grab.variants.size());
}

GlobalHotkeys::Outcome GlobalHotkeys::grab(int id, Hotkey keys)
{
    release(id);
    if (!backend->connection)
        return Outcome::Unsupported;
    const Keyboard keyboard(backend->connection);
    Grab grab;
    grab.keycode = keyboard.keycodeOf(keysymOf(keys.key));
    if (!grab.keycode)
        return Outcome::Unsupported;
    const std::uint16_t alt = keyboard.maskOf(kAltL, XCB_MOD_MASK_1);
    const std::uint16_t meta = keyboard.maskOf(kSuperL, XCB_MOD_MASK_4);
    const std::uint16_t numLock = keyboard.maskOf(kNumLock, 0);
    grab.significant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | alt | meta;
    grab.modifiers = std::uint16_t((keys.modifiers & Hotkey::Shift ? XCB_MOD_MASK_SHIFT : 0)
                                   | (keys.modifiers & Hotkey::Control ? XCB_MOD_MASK_CONTROL : 0)
                                   | (keys.modifiers & Hotkey::Alt ? alt : 0) | (keys.modifiers & Hotkey::Meta ? meta : 0));
    grab.variants = {grab.modifiers, std::uint16_t(grab.modifiers | XCB_MOD_MASK_LOCK)};
    if (numLock)
        grab.variants.insert(grab.variants.end(), {std::uint16_t(grab.modifiers | numLock),
                                                   std::uint16_t(grab.modifiers | numLock | XCB_MOD_MASK_LOCK)});

    for (std::size_t done = 0; done < grab.variants.size(); ++done) {
        // owner_events off: the press reaches the root window even when one of
        // the program's own windows has the focus, and nothing else of it.
        xcb_generic_error_t *error =
            xcb_request_check(backend->connection,
                              xcb_grab_key_checked(backend->connection, 0, backend->root, grab.variants[done],
                                                   grab.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (error) {
            const bool taken = error->error_code == kBadAccess;
            std::free(error);
            backend->ungrab(grab, done);
            return taken ? Outcome::Taken : Outcome::Unsupported;
        }
    }
    backend->grabs.emplace(id, grab);
    return Outcome::Registered;
}

void GlobalHotkeys::release(int id)
{
    const auto found = backend->grabs.find(id);
    if (found == backend->grabs.end())
        return;
    backend->ungrab(found->second, found->second.variants.size());
    backend->grabs.erase(found);
}

std::optional<GlobalHotkeys::Press> GlobalHotkeys::pressed(const void *nativeEvent) const
{
    const auto *event = static_cast<const xcb_generic_event_t *>(nativeEvent);
    if (!backend->connection || (event->response_type & 0x7f) != XCB_KEY_PRESS)
        return std::nullopt;
    const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
    if (key->event != backend->root)
        return std::nullopt;
    for (const auto &[id, grab] : backend->grabs)
        if (key->detail == grab.keycode && (key->state & grab.significant) == grab.modifiers)
            return Press {id, key->time};
    return std::nullopt;
}

} // namespace platform
