#pragma once
/// Stand-in for the platform's preset object: a number and a name.

#include <string>
#include <utility>

#include "audiotoolbox/AudioUnitTypes.h"

namespace platform {

/// A preset: factory presets have numbers 0 and up, user presets negative numbers. Held by
/// std::shared_ptr; set its fields before sharing it with other threads.
class AUAudioUnitPreset {
public:
    AUAudioUnitPreset() = default;

    /// The preset's number (negative for user presets).
    NSInteger number() const noexcept { return number_; }
    void setNumber(NSInteger number) noexcept { number_ = number; }
    /// The preset's name.
    const std::string& name() const noexcept { return name_; }
    /// Allocates.
    void setName(std::string name) { name_ = std::move(name); }

private:
    NSInteger number_ = 0;
    std::string name_;
};

} // namespace platform
