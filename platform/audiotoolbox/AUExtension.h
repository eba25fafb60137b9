#pragma once
/// What an Audio Unit extension is, as the component registry loads it.
///
/// An extension is a bundle folder `Name.appex` holding
///
/// - `Contents/Info.plist`, an XML property list whose dictionary carries
///   - "CFBundleExecutable": the library's file name in Contents/MacOS (when absent, the bundle's name
///     without ".appex");
///   - "NSExtension" → "NSExtensionPrincipalClass": the class of the extension's principal object;
///   - "NSExtension" → "NSExtensionAttributes" → "AudioComponents": an array with one dictionary per unit
///     the extension offers: "type", "subtype" and "manufacturer" (four-character texts such as "aufx"),
///     "name" (text) and "version" (integer, major << 16 | minor << 8 | patch);
/// - `Contents/MacOS/<executable>`, a shared library that links the platform's shared libraries (never
///   a copy of them, so that host and extension share one main queue, one application object and one
///   graphics context) and exports one C function, AUExtensionEntryPoint, named
///   AUExtensionEntryPointName. Everything else should stay hidden (-fvisibility=hidden).
///
/// A host never calls the entry point itself: AudioComponentRegistry loads the library once, calls it
/// once, and hands out the principal object.

#include "audiotoolbox/AUAudioUnitFactory.h"
#include "audiotoolbox/NSError.h"

#include <memory>

namespace platform {

class AUViewController; // the user-interface stand-in's; an extension without an editor has none

/// An extension's principal object, owned jointly by the host and the extension: one object seen
/// through its two faces. Both pointers share one ownership (the extension makes the second an alias
/// of the first), so that the object lives while the host holds either.
struct AUExtensionPrincipalObject {
    /// The object as Audio Unit factory; never null in a principal object the entry point made.
    std::shared_ptr<AUAudioUnitFactory> factory;
    /// The same object as the editor's view controller; null when the extension has no editor.
    std::shared_ptr<AUViewController> viewController;
};

/// The one function an extension's library exports, under the C name AUExtensionEntryPointName:
/// makes a new principal object of class `principalClass` (the Info.plist's NSExtensionPrincipalClass)
/// into `out` and returns true; or returns false, leaving `out` alone, with the reason in `outError`
/// when given (an unknown class, a failure while making it). Never throws. Called on the host's main
/// thread. Allocates.
using AUExtensionEntryPoint = bool (*)(const char* principalClass, AUExtensionPrincipalObject* out,
                                       NSError* outError) noexcept;

/// The C name of the entry point.
inline constexpr const char* AUExtensionEntryPointName = "AUExtensionCreatePrincipalObject";

} // namespace platform
