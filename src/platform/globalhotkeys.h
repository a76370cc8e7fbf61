#pragma once

#include <cstdint>
#include <memory>
#include <optional>

// Key combinations of the whole desktop session: held by the program while
// any program has the focus, and told apart from the event loop's other
// native events. On Windows RegisterHotKey on the calling thread, whose
// message queue gets WM_HOTKEY; on X11 a passive grab on the root window
// through the toolkit's own connection, whose event loop gets the KeyPress.
namespace platform {

// A combination in the seam's own words; the toolkit above maps its key codes to these.
struct Hotkey
{
    enum Modifier : unsigned { Shift = 1, Control = 2, Alt = 4, Meta = 8 };
    // A printable US-ASCII character is its own key (letters in upper case:
    // 'A', '1', '='); the other keys are these.
    enum Key : std::uint32_t {
        Space = 0x20,
        Up = 0x100, Down, Left, Right, Home, End, PageUp, PageDown, Insert, Delete,
        Return, Escape, Tab, Backspace, Pause, Print,
        VolumeUp, VolumeDown, VolumeMute,
        F1 = 0x200, // F1 + n - 1 is Fn, up to F24
        F24 = F1 + 23,
    };

    unsigned modifiers = 0;
    std::uint32_t key = 0;
};

class GlobalHotkeys
{
public:
    // Taken: another program of the session holds the combination already.
    // Unsupported: the desktop cannot give one (not an X11 session, a key this keyboard lacks).
    enum class Outcome { Registered, Taken, Unsupported };
    struct Press
    {
        int id = 0;
        // The system's clock when the key went down, in ms: repeats of a held
        // key are told apart by it, however late the loop gets to them.
        std::uint32_t timeMs = 0;
    };

    // xConnection: on X11 the toolkit's xcb_connection_t, whose event loop
    // hands its events to pressed(); null where the session is no X11 one
    // (Wayland, no display), and every grab is Unsupported. Windows ignores
    // it: there the keys belong to the calling thread, whose loop gets them.
    explicit GlobalHotkeys(void *xConnection);
    // Releases every combination still held.
    ~GlobalHotkeys();
    GlobalHotkeys(const GlobalHotkeys &) = delete;
    GlobalHotkeys &operator=(const GlobalHotkeys &) = delete;

    // An id held already is released first. On the thread that runs the event loop.
    Outcome grab(int id, Hotkey keys);
    void release(int id);
    // nativeEvent: an xcb_generic_event_t or a MSG, as the event loop got it.
    // A press (or a repeat) of a held combination, else nothing.
    std::optional<Press> pressed(const void *nativeEvent) const;

    // Each system's, in its own file.
    struct Backend;

private:
    std::unique_ptr<Backend> backend;
};

} // namespace platform
