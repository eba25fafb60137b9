// The extension's entry point: the one symbol its library exports. It makes the principal object, the
// editor's view controller, and hands it to the host as both the unit factory and the view controller.

#include "audiotoolbox/AUExtension.h"
#include "editor/QuorbelAUViewControllerMac.h"
#include "extension/QuorbelExtension.h"

#include <cstring>
#include <exception>
#include <string>
#include <type_traits>

using platform::AUExtensionPrincipalObject;
using platform::NSError;

extern "C" __attribute__((visibility("default"))) bool
AUExtensionCreatePrincipalObject(const char* principalClass, AUExtensionPrincipalObject* out,
                                 NSError* outError) noexcept {
    static_assert(
        std::is_same_v<decltype(&AUExtensionCreatePrincipalObject), platform::AUExtensionEntryPoint>);
    try {
        if (principalClass == nullptr || std::strcmp(principalClass, quorbel::kQuorbelPrincipalClass) != 0) {
            if (outError != nullptr) {
                *outError = NSError(platform::NSCocoaErrorDomain, platform::NSExecutableLinkError,
                                    "this extension has no principal class named '" +
                                        std::string(principalClass != nullptr ? principalClass : "") + "'");
            }
            return false;
        }
        auto controller = std::make_shared<quorbel::QuorbelAUViewControllerMac>();
        out->factory = controller;
        out->viewController = controller;
        return true;
    } catch (const std::exception& e) {
        if (outError != nullptr) {
            *outError = NSError(platform::NSCocoaErrorDomain, platform::NSExecutableLoadError,
                                std::string("the principal object could not be made: ") + e.what());
        }
        return false;
    }
}
