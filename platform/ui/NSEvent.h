#pragma once
#include "graphics/CGGeometry.h"

#include <cstdint>
#include <string>

namespace platform {

class NSWindow;

/// Kinds of event, with the platform's values, and one of the stand-in's own.
enum NSEventType : unsigned {
    NSEventTypeLeftMouseDown = 1,
    NSEventTypeLeftMouseUp = 2,
    NSEventTypeMouseMoved = 5,
    NSEventTypeLeftMouseDragged = 6,
    NSEventTypeKeyDown = 10,
    /// The stand-in's own: the window lost the pointer (another client grabbed it, or the window lost
    /// focus mid-drag). Gestures in progress are cancelled, as Escape cancels them.
    NSEventTypePointerGrabLost = 1000,
};

/// Modifier keys, with the platform's bit values. The back ends report the Ctrl key as Command (Ctrl
/// stands for Command, so Ctrl+Q is the quit key) and Alt as Option.
using NSEventModifierFlags = std::uint64_t;
inline constexpr NSEventModifierFlags NSEventModifierFlagShift = 1ull << 17;
inline constexpr NSEventModifierFlags NSEventModifierFlagControl = 1ull << 18;
inline constexpr NSEventModifierFlags NSEventModifierFlagOption = 1ull << 19;
inline constexpr NSEventModifierFlags NSEventModifierFlagCommand = 1ull << 20;

/// Key codes the stand-in names (the platform's virtual key codes).
inline constexpr unsigned short kVK_Escape = 53;

/// Stand-in for the platform's event: a plain value. Mouse locations are in the window's base
/// coordinates: points from the bottom-left corner of the content area, y upward (as on the platform).
struct NSEvent {
    NSEventType type = NSEventTypeMouseMoved;
    /// Pointer location in window coordinates (mouse events).
    CGPoint locationInWindow;
    NSEventModifierFlags modifierFlags = 0;
    /// Seconds since an arbitrary start, monotonic.
    double timestamp = 0;
    /// The window the event is for; set by NSWindow::sendEvent.
    NSWindow* window = nullptr;
    /// Number of the click within a run of quick clicks (mouse down and up; dragged events carry their
    /// press's count). Counted by NSWindow::sendEvent: whatever a back end puts here is replaced.
    long clickCount = 0;
    /// Text the key produces (key events), UTF-8.
    std::string characters;
    /// Text the key produces without modifiers (key events), UTF-8.
    std::string charactersIgnoringModifiers;
    /// The platform's virtual key code (key events), where known; 0 otherwise.
    unsigned short keyCode = 0;

    /// A mouse event of `type` at `location` (window coordinates).
    static NSEvent mouseEvent(NSEventType type, CGPoint location, double timestamp,
                              NSEventModifierFlags modifiers = 0) {
        NSEvent e;
        e.type = type;
        e.locationInWindow = location;
        e.timestamp = timestamp;
        e.modifierFlags = modifiers;
        return e;
    }
    /// A key event.
    static NSEvent keyEvent(NSEventType type, std::string characters, std::string charactersIgnoringModifiers,
                            unsigned short keyCode, double timestamp, NSEventModifierFlags modifiers = 0) {
        NSEvent e;
        e.type = type;
        e.characters = std::move(characters);
        e.charactersIgnoringModifiers = std::move(charactersIgnoringModifiers);
        e.keyCode = keyCode;
        e.timestamp = timestamp;
        e.modifierFlags = modifiers;
        return e;
    }
};

} // namespace platform
