#pragma once
/// Stand-in for the platform's error object: a domain, a code and a message.

#include <string>
#include <utility>

#include "audiotoolbox/AudioUnitTypes.h"

namespace platform {

/// Domain of errors whose code is an OSStatus (the Audio Unit status codes).
inline constexpr const char* NSOSStatusErrorDomain = "NSOSStatusErrorDomain";
/// Domain of the property-list reading and writing errors.
inline constexpr const char* NSCocoaErrorDomain = "NSCocoaErrorDomain";
inline constexpr NSInteger NSPropertyListReadCorruptError = 3840;
inline constexpr NSInteger NSPropertyListWriteInvalidError = 3852;
/// Codes of the Cocoa domain for files and for loading libraries (the component registry's errors).
inline constexpr NSInteger NSFileNoSuchFileError = 4;
inline constexpr NSInteger NSFileReadCorruptFileError = 259;
inline constexpr NSInteger NSFileReadNoSuchFileError = 260;
inline constexpr NSInteger NSExecutableLoadError = 3587;
inline constexpr NSInteger NSExecutableLinkError = 3588;

/// An error: domain, code and a message for people. A value type; a default error has code 0.
class NSError {
public:
    NSError() = default;
    NSError(std::string domain, NSInteger code, std::string localizedDescription)
        : domain_(std::move(domain)), code_(code), localizedDescription_(std::move(localizedDescription)) {}

    /// An error in the OSStatus domain with the given status as its code. Allocates.
    static NSError withOSStatus(OSStatus status, std::string localizedDescription) {
        return NSError(NSOSStatusErrorDomain, status, std::move(localizedDescription));
    }

    /// The error's domain, code and message.
    const std::string& domain() const noexcept { return domain_; }
    NSInteger code() const noexcept { return code_; }
    const std::string& localizedDescription() const noexcept { return localizedDescription_; }

    bool operator==(const NSError&) const = default;

private:
    std::string domain_;
    NSInteger code_ = 0;
    std::string localizedDescription_;
};

} // namespace platform
