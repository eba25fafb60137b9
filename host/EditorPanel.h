#pragma once
/// The effect's editor as auhost shows it: drawn to a PNG, described control by control, or in a window.

#include "audiotoolbox/AUAudioUnit.h"
#include "graphics/CGGeometry.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace platform {
class AUViewController;
class NSView;
} // namespace platform

namespace auhost {

/// The editor's view as a host asks for it: loaded, its root view sized to `size`, laid out, told it
/// appears, and the main queue drained, so that the controls show the unit's values. Main thread; needs
/// a user-interface back end (the offscreen one will do).
std::shared_ptr<platform::NSView> presentEditor(platform::AUViewController& controller,
                                                platform::CGSize size);

/// The bytes of a PNG of `root` drawn at `scale` pixels per point. Throws std::runtime_error when it
/// cannot be encoded.
std::string panelPNG(platform::NSView& root, double scale);

/// One line per control of the panel, in the order the editor builds them (knobs, buttons, captions):
/// `mixKnob x=125.5 y=23 w=115 h=115 value=0.5 angle=0`, `lowPassBtn … state=on`, `lpLabel …`, then
/// `knobSize=115 radioSize=23` (the knobs' and the buttons' edge). Frames are in the root view's points;
/// a knob's value is its parameter's (the binding keeps them equal), its angle the rotation of its cap in
/// degrees. Every number is the shortest decimal that reads back to the same double. Throws
/// std::runtime_error when the panel does not hold the controls the effect's editor builds.
void printFrames(platform::NSView& root, const platform::AUAudioUnit& unit, std::ostream& out);

/// Throws std::runtime_error when the panel at `size` points and `scale` pixels per point would be larger
/// than 8192 pixels on a side; the message names `scaleSetting` (what sets the scale) as a remedy.
void checkPixelSize(platform::CGSize size, double scale, const std::string& scaleSetting);

/// Shows the editor in a resizable window titled `title`, at the controller's preferred size or at `size`,
/// and runs the application until the window closes. Throws std::runtime_error when no window can be
/// opened (no display), or when `size` at the display's pixels per point is too large (checkPixelSize).
void runEditorWindow(const std::shared_ptr<platform::AUViewController>& controller, const std::string& title,
                     const std::optional<platform::CGSize>& size);

/// "WxH" with positive finite numbers, else none.
std::optional<platform::CGSize> parseSize(const std::string& text);

} // namespace auhost
