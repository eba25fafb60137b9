// Threads: a control thread changes parameters, presets and states while the render thread renders with
// automation; units are created on several threads at once. Run under ThreadSanitizer in CI, where any
// data race fails the test.
#include "ValidationHost.h"

#include "audiounit/FactoryPresets.h"

#include <gtest/gtest.h>

#include <ostream>

#include <atomic>
#include <thread>
#include <vector>

namespace quorbel::validation {
namespace {

using namespace platform;

struct ThreadsCase {
    const char* name;
    std::uint32_t channels;
    /// Whether the control thread also applies presets and full states and reads the state back.
    bool presetsAndStates;
};

/// Names the case in test listings and failure messages.
void PrintTo(const ThreadsCase& c, std::ostream* os) {
    *os << c.name;
}

class Threads : public ValidationFixture<ThreadsCase> {};

TEST_P(Threads, ControlThreadRacesTheRenderThreadWithoutHarm) {
    // Proves: one thread setting every parameter 500 times through the tree (and, in the full case,
    // applying presets, restoring states, switching bypass and saving the state) while the render thread
    // renders 32-frame calls with parameter events of its own and of the control thread's makes no data
    // race (ThreadSanitizer), never makes the render thread fail or give non-finite output, and leaves the
    // unit consistent: afterwards the tree, the saved state and the kernel's input agree.
    const ThreadsCase c = GetParam();
    constexpr AUAudioFrameCount kFrames = 32;
    ValidationHost host;
    QuorbelAudioUnit& unit = host.unit();
    ASSERT_TRUE(host.configure(44100, c.channels, kFrames));
    ASSERT_TRUE(host.allocate());
    const std::shared_ptr<AUParameterTree> tree = unit.parameterTree();
    const std::optional<PropertyListDictionary> deepSeaState = [&] {
        ValidationHost other;
        other.unit().setCurrentPreset(deepSeaPreset());
        return other.unit().fullState();
    }();

    std::atomic<bool> controlDone{false};
    std::atomic<long> renderFailures{0};
    std::atomic<long> renderCalls{0};

    std::thread render([&] {
        std::mt19937_64 rng = seededRng(110);
        std::uniform_real_distribution<float> unitInterval(0.0f, 1.0f);
        while (!controlDone.load() || renderCalls.load() < 200) {
            // Automation scheduled on the render thread itself, as a host's sequencer does.
            const AUParameterAddress address = rng() % 7;
            const AUParameter* p = tree->parameterWithAddress(address);
            host.schedule(address, p->minValue() + unitInterval(rng) * (p->maxValue() - p->minValue()));
            host.fillInputNoise(rng, kFrames);
            if (host.render(kFrames) != noErr || !host.outputFinite(kFrames)) {
                renderFailures.fetch_add(1);
            }
            renderCalls.fetch_add(1);
        }
    });

    std::thread control([&] {
        std::mt19937_64 rng = seededRng(111);
        std::uniform_real_distribution<float> unitInterval(0.0f, 1.0f);
        const auto presets = unit.factoryPresets();
        for (int round = 0; round < 500; ++round) {
            for (const auto& p : tree->allParameters()) {
                p->setValue(p->minValue() + unitInterval(rng) * (p->maxValue() - p->minValue()));
            }
            host.schedule(rng() % kParameterCount, unitInterval(rng)); // automation from the control thread
            if (c.presetsAndStates && round % 10 == 0) {
                unit.setCurrentPreset(presets[rng() % presets.size()]);
                unit.setFullState(deepSeaState);
                unit.setShouldBypassEffect(round % 20 == 0);
                const auto saved = unit.fullState();
                if (!saved || saved->find("QuorbelParams") == nullptr) {
                    renderFailures.fetch_add(1000000); // reported below as a failure
                }
            }
        }
        controlDone.store(true);
    });

    control.join();
    render.join();
    EXPECT_EQ(renderFailures.load(), 0);
    EXPECT_GE(renderCalls.load(), 200);

    // Quiet again: the tree, the saved state and the kernel's input agree on every value.
    unit.setFullState(deepSeaState);
    const std::optional<PropertyListDictionary> state = unit.fullState();
    const PropertyListDictionary* saved = state->find("QuorbelParams")->dictionary();
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        const AUValue v = tree->parameterWithAddress(i)->value();
        EXPECT_EQ(*saved->find(kParameterTable[i].identifier)->number(), static_cast<double>(v));
    }
    const ModulationInput& input = unit.dspKernel()->modulation().input;
    EXPECT_EQ(input.mix.load(), tree->parameterWithAddress(index(ParamAddress::mix))->value());
    EXPECT_EQ(input.tone.load(), tree->parameterWithAddress(index(ParamAddress::tone))->value());
}

TEST_P(Threads, UnitsCreatedOnSeveralThreadsAtOnceShareOnePresetSet) {
    // Proves: units created, allocated, preset, rendered and destroyed on four threads at once (the first
    // use of the shared preset objects among them) race on nothing and all hand out the very same eight
    // preset objects.
    const ThreadsCase c = GetParam();
    constexpr int kThreads = 4;
    std::vector<std::vector<std::shared_ptr<AUAudioUnitPreset>>> seen(kThreads);
    std::vector<std::shared_ptr<AUAudioUnitPreset>> current(kThreads);
    std::atomic<long> failures{0};
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ready.fetch_add(1);
            while (ready.load() < kThreads) {
                std::this_thread::yield(); // start together, so that the first uses overlap
            }
            ValidationHost host;
            current[static_cast<std::size_t>(t)] = host.unit().currentPreset();
            seen[static_cast<std::size_t>(t)] = host.unit().factoryPresets();
            host.unit().setCurrentPreset(seen[static_cast<std::size_t>(t)][static_cast<std::size_t>(t + 1)]);
            std::mt19937_64 rng = seededRng(120 + static_cast<std::uint64_t>(t));
            if (!host.configure(48000, c.channels, 256) || !host.allocate()) {
                failures.fetch_add(1);
                return;
            }
            for (int call = 0; call < 8; ++call) {
                host.fillInputNoise(rng, 256);
                if (host.render(256) != noErr || !host.outputFinite(256)) {
                    failures.fetch_add(1);
                }
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    EXPECT_EQ(failures.load(), 0);
    const auto presets = buildFactoryPresets();
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(seen[static_cast<std::size_t>(t)], presets);
        EXPECT_EQ(current[static_cast<std::size_t>(t)], defaultPreset());
    }
}

INSTANTIATE_TEST_SUITE_P(Validation, Threads,
                         ::testing::Values(ThreadsCase{"StereoValuesOnly", 2, false},
                                           ThreadsCase{"StereoPresetsAndStates", 2, true},
                                           ThreadsCase{"SixChannelsPresetsAndStates", 6, true}),
                         [](const ::testing::TestParamInfo<ThreadsCase>& tested) {
                             return tested.param.name;
                         });

} // namespace
} // namespace quorbel::validation
