#pragma once
// Shared by the audio unit tests: creating a unit, recording tree notifications, and event lists.

#include "audiounit/QuorbelAudioUnit.h"
#include "audiounit/QuorbelComponent.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <utility>
#include <vector>

namespace quorbel::test {

/// A registered, freshly constructed unit.
inline std::shared_ptr<QuorbelAudioUnit> makeUnit() {
    registerQuorbelComponent();
    platform::NSError error;
    auto unit = platform::AUAudioUnit::instantiate<QuorbelAudioUnit>(kQuorbelComponentDescription, 0, &error);
    EXPECT_NE(unit, nullptr) << error.localizedDescription();
    return unit;
}

/// The parameter of the unit's tree at `address` (fails the test when absent).
inline platform::AUParameter& parameter(const QuorbelAudioUnit& unit, ParamAddress address) {
    platform::AUParameter* p = unit.parameterTree()->parameterWithAddress(index(address));
    EXPECT_NE(p, nullptr);
    return *p;
}

/// The ten stored values, in address order.
inline std::array<float, kParameterCount> storedValues(const QuorbelAudioUnit& unit) {
    std::array<float, kParameterCount> values{};
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        values[i] = unit.paramValue(static_cast<ParamAddress>(i));
    }
    return values;
}

/// Records every (address, value) notification of a tree's observers on the test thread.
class NotificationLog {
public:
    explicit NotificationLog(std::shared_ptr<platform::AUParameterTree> tree) : tree_(std::move(tree)) {
        token_ = tree_->tokenByAddingParameterObserver(
            [this](platform::AUParameterAddress address, platform::AUValue value) {
                seen.emplace_back(address, value);
            });
    }
    ~NotificationLog() { tree_->removeParameterObserver(token_); }
    NotificationLog(const NotificationLog&) = delete;
    NotificationLog& operator=(const NotificationLog&) = delete;

    std::vector<std::pair<platform::AUParameterAddress, platform::AUValue>> seen;

private:
    std::shared_ptr<platform::AUParameterTree> tree_;
    platform::AUParameterObserverToken token_ = nullptr;
};

/// Builds a linked list of render events in a vector (links set by link(); keep the vector unchanged).
struct EventList {
    std::vector<platform::AURenderEvent> events;

    void addParameter(platform::AUParameterAddress address, platform::AUValue value,
                      platform::AUAudioFrameCount ramp = 0) {
        platform::AURenderEvent e{};
        // The platform's type bytes: 1 a parameter change, 2 a ramp.
        e.parameter.eventType = static_cast<platform::AURenderEventType>(ramp > 0 ? 2 : 1);
        e.parameter.rampDurationSampleFrames = ramp;
        e.parameter.parameterAddress = address;
        e.parameter.value = value;
        events.push_back(e);
    }
    void addMIDI() {
        platform::AURenderEvent e{};
        e.MIDI.eventType = static_cast<platform::AURenderEventType>(8);
        e.MIDI.length = 3;
        e.MIDI.data[0] = 0x90;
        e.MIDI.data[1] = 60;
        e.MIDI.data[2] = 100;
        events.push_back(e);
    }
    const platform::AURenderEvent* link() {
        for (std::size_t i = 0; i < events.size(); ++i) {
            events[i].head.next = i + 1 < events.size() ? &events[i + 1] : nullptr;
        }
        return events.empty() ? nullptr : events.data();
    }
};

} // namespace quorbel::test
