#pragma once
/// Component descriptions and the process-wide register of components that names them.

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

using OSType = std::uint32_t;
using FourCharCode = OSType;

/// The four-character code of a four-letter text, first letter in the most significant byte.
constexpr FourCharCode fourCharCode(const char (&code)[5]) noexcept {
    return (static_cast<FourCharCode>(static_cast<unsigned char>(code[0])) << 24) |
           (static_cast<FourCharCode>(static_cast<unsigned char>(code[1])) << 16) |
           (static_cast<FourCharCode>(static_cast<unsigned char>(code[2])) << 8) |
           static_cast<FourCharCode>(static_cast<unsigned char>(code[3]));
}

/// The four-character code of a text of exactly four printable ASCII characters, else none.
std::optional<OSType> fourCharCodeFromString(const std::string& text);
/// The text of a four-character code; bytes that are not printable ASCII show as '?'.
std::string stringFromFourCharCode(OSType code);

/// Component type of an effect unit ('aufx').
inline constexpr OSType kAudioUnitType_Effect = fourCharCode("aufx");

/// Identifies a component by type, subtype and manufacturer codes.
struct AudioComponentDescription {
    OSType componentType = 0;
    OSType componentSubType = 0;
    OSType componentManufacturer = 0;
    std::uint32_t componentFlags = 0;
    std::uint32_t componentFlagsMask = 0;

    bool operator==(const AudioComponentDescription&) const = default;
};

/// Options for instantiating a unit; the stand-in always loads in process and reads none.
using AudioComponentInstantiationOptions = std::uint32_t;

/// A registered component: its description, display name and version.
struct AudioComponentInfo {
    AudioComponentDescription description;
    std::string name;
    std::uint32_t version = 0;
};

/// Registers (or re-registers) the name and version of a component. Allocates, takes a lock.
void AudioComponentRegister(const AudioComponentDescription& description, std::string name,
                            std::uint32_t version);

/// The first registered component whose type, subtype and manufacturer match; a zero field in
/// `description` matches any value. Takes a lock.
std::optional<AudioComponentInfo> AudioComponentFindNext(const AudioComponentDescription& description);

} // namespace platform
