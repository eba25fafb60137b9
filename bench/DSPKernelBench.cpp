// Cost of QuorbelDSPKernel, measured in one run and printed at the end as five ratios:
//   realtime_factor            seconds of stereo 44.1 kHz audio per CPU second, 512-frame calls, defaults
//   effect_to_transform_ratio  that CPU time over the CPU time of the bare transforms the kernels need
//   worst_call_fraction_64     slowest 64-frame call at 48 kHz over the call's own duration (64/48000 s)
//   large_call_cost_ratio      CPU time per frame in 65536-frame calls over that in 512-frame calls
//   finite_pass_to_copy_ratio  the input's non-finite-to-silence pass over a plain copy of the samples
#include "dsp/FiniteSamples.h"
#include "dsp/QuorbelDSPKernel.h"
#include "support/Noise.h"
#include "vdsp/vDSP.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using quorbel::QuorbelDSPKernel;
using quorbel::test::noise;

// One benchmark iteration covers 8192 frames: two frames of the 8192-point kernel and one of the
// 16384-point kernel per channel, so every iteration does the same work.
constexpr std::int64_t kPeriod = 8192;
constexpr std::int64_t kChannels = 2;

/// A stereo kernel with its buffer list and a loop of noise to feed it.
struct Rig {
    Rig(std::int64_t callFrames, double sampleRate, bool broken)
        : frames(callFrames), buffers(kChannels, static_cast<std::uint32_t>(callFrames)),
          source(noise(static_cast<std::size_t>(kChannels * kPeriod * 4), 1, 0.5f)) {
        kernel.modulation().input.broken = broken;
        kernel.allocate(kChannels, callFrames, sampleRate);
    }
    void render() noexcept {
        const std::int64_t loop = kPeriod * 4;
        for (std::uint32_t ch = 0; ch < kChannels; ++ch) {
            const float* src = source.data() + static_cast<std::size_t>(ch * loop + position);
            std::copy(src, src + frames, buffers.channel(ch));
        }
        kernel.process(buffers.list(), frames);
        position = (position + frames) % loop;
    }

    QuorbelDSPKernel kernel;
    std::int64_t frames;
    platform::OwnedAudioBufferList buffers;
    std::vector<float> source;
    std::int64_t position = 0;
};

void BM_Kernel512(benchmark::State& state) {
    Rig rig(512, 44100.0, state.range(0) != 0);
    for (std::int64_t i = 0; i < 4 * kPeriod / 512; ++i) { // warm up: queues, caches, first ticks
        rig.render();
    }
    for (auto _ : state) {
        for (std::int64_t i = 0; i < kPeriod / 512; ++i) {
            rig.render();
        }
        benchmark::ClobberMemory();
    }
    state.SetLabel(state.range(0) != 0 ? "choppy (fail on)" : "wavy (defaults)");
    state.counters["audio_s_per_cpu_s"] = benchmark::Counter(static_cast<double>(kPeriod) / 44100.0,
                                                             benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Kernel512)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

/// The same audio in calls of 65536 frames, which the kernel runs as slices of at most 6144; one iteration
/// is one call, eight times the audio of a BM_Kernel512 iteration.
void BM_Kernel65536(benchmark::State& state) {
    Rig rig(65536, 44100.0, false);
    for (int i = 0; i < 2; ++i) {
        rig.render();
    }
    for (auto _ : state) {
        rig.render();
        benchmark::ClobberMemory();
    }
    state.counters["audio_s_per_cpu_s"] =
        benchmark::Counter(65536.0 / 44100.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Kernel65536)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

/// The input pass that turns non-finite samples into silence, over one 512-frame channel, against a plain
/// copy of the same samples (what the kernel did before the pass).
void BM_FiniteInputPass(benchmark::State& state) {
    const std::vector<float> in = noise(512, 4, 0.5f);
    std::vector<float> out(512);
    for (auto _ : state) {
        if (state.range(0) != 0) {
            quorbel::copyFiniteSamples(in.data(), out.data(), 512);
        } else {
            std::memcpy(out.data(), in.data(), 512 * sizeof(float));
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetLabel(state.range(0) != 0 ? "non-finite to 0" : "plain copy");
}
BENCHMARK(BM_FiniteInputPass)->Arg(0)->Arg(1)->MinTime(1.0);

/// The transforms both kernels of both channels need per 8192 frames: two forward and two inverse
/// 8192-point transforms and one of each at 16384 points per channel, on setups made as the kernels make
/// theirs.
void BM_BareTransforms(benchmark::State& state) {
    using namespace platform;
    struct Size {
        vDSP_DFT_Setup forward, inverse;
        std::vector<float> timeRe, timeIm, specRe, specIm, outRe, outIm;
        int perPeriod;
    };
    std::vector<Size> sizes;
    for (const auto& [n, perPeriod] : {std::pair<vDSP_Length, int>{8192, 2}, {16384, 1}}) {
        Size s;
        s.forward = vDSP_DFT_zrop_CreateSetup(nullptr, n, vDSP_DFT_FORWARD);
        s.inverse = vDSP_DFT_zrop_CreateSetup(s.forward, n, vDSP_DFT_INVERSE);
        s.timeRe = noise(n / 2, 2, 0.5f);
        s.timeIm = noise(n / 2, 3, 0.5f);
        s.specRe.resize(n / 2);
        s.specIm.resize(n / 2);
        s.outRe.resize(n / 2);
        s.outIm.resize(n / 2);
        s.perPeriod = perPeriod;
        sizes.push_back(std::move(s));
    }
    for (auto _ : state) {
        for (std::int64_t ch = 0; ch < kChannels; ++ch) {
            for (Size& s : sizes) {
                for (int k = 0; k < s.perPeriod; ++k) {
                    vDSP_DFT_Execute(s.forward, s.timeRe.data(), s.timeIm.data(), s.specRe.data(),
                                     s.specIm.data());
                    vDSP_DFT_Execute(s.inverse, s.specRe.data(), s.specIm.data(), s.outRe.data(),
                                     s.outIm.data());
                }
            }
        }
        benchmark::ClobberMemory();
    }
    for (Size& s : sizes) {
        vDSP_DFT_DestroySetup(s.inverse);
        vDSP_DFT_DestroySetup(s.forward);
    }
}
BENCHMARK(BM_BareTransforms)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

double worstCallSeconds = 0.0;

/// Every 64-frame call of 20 s of stereo 48 kHz audio timed on its own (wall clock, as the deadline is);
/// the calls that complete frames of both kernels of both channels are among them. Three runs on fresh
/// kernels: the slowest call of the quietest run is reported, so that one preemption by another process
/// does not stand for the kernel, while a slowness of the kernel's own shows in every run.
void BM_WorstCall64(benchmark::State& state) {
    constexpr std::int64_t calls = 48000 * 20 / 64;
    std::vector<double> durations(static_cast<std::size_t>(calls));
    std::vector<double> all;
    std::vector<double> worstPerRun;
    for (auto _ : state) {
        Rig rig(64, 48000.0, state.range(0) != 0);
        for (std::int64_t i = 0; i < 2 * 48000 / 64; ++i) { // 2 s of warm-up
            rig.render();
        }
        for (std::int64_t i = 0; i < calls; ++i) {
            const auto start = std::chrono::steady_clock::now();
            rig.render();
            const auto stop = std::chrono::steady_clock::now();
            durations[static_cast<std::size_t>(i)] = std::chrono::duration<double>(stop - start).count();
        }
        worstPerRun.push_back(*std::max_element(durations.begin(), durations.end()));
        all.insert(all.end(), durations.begin(), durations.end());
    }
    std::sort(all.begin(), all.end());
    const double deadline = 64.0 / 48000.0;
    const double worst = *std::min_element(worstPerRun.begin(), worstPerRun.end());
    state.counters["worst_fraction"] = worst / deadline;
    state.counters["worst_any_run"] = all.back() / deadline;
    state.counters["p999_fraction"] = all[all.size() * 999 / 1000] / deadline;
    state.counters["median_fraction"] = all[all.size() / 2] / deadline;
    state.SetLabel(state.range(0) != 0 ? "choppy (fail on)" : "wavy (defaults)");
    if (state.range(0) == 0) {
        worstCallSeconds = worst;
    }
}
BENCHMARK(BM_WorstCall64)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);

/// Console output as usual, plus the CPU time per iteration of every run, for the ratios.
class CapturingReporter : public benchmark::ConsoleReporter {
public:
    explicit CapturingReporter(OutputOptions options) : ConsoleReporter(options) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
                cpuPerIteration[run.benchmark_name()] =
                    run.cpu_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> cpuPerIteration;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    CapturingReporter reporter(isatty(fileno(stdout)) != 0 ? CapturingReporter::OO_ColorTabular
                                                           : CapturingReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& cpu = reporter.cpuPerIteration;
    const auto effect = cpu.find("BM_Kernel512/0/min_time:2.000");
    const auto transforms = cpu.find("BM_BareTransforms/min_time:2.000");
    const auto large = cpu.find("BM_Kernel65536/min_time:2.000");
    const auto copy = cpu.find("BM_FiniteInputPass/0/min_time:1.000");
    const auto pass = cpu.find("BM_FiniteInputPass/1/min_time:1.000");
    if (effect == cpu.end() || transforms == cpu.end() || large == cpu.end() || copy == cpu.end() ||
        pass == cpu.end() || worstCallSeconds <= 0.0) {
        std::fprintf(stderr, "the ratios need BM_Kernel512/0, BM_BareTransforms, BM_Kernel65536, "
                             "BM_FiniteInputPass and BM_WorstCall64/0\n");
        return 1;
    }
    std::printf("realtime_factor: %.1f\n", (static_cast<double>(kPeriod) / 44100.0) / effect->second);
    std::printf("effect_to_transform_ratio: %.3f\n", effect->second / transforms->second);
    std::printf("worst_call_fraction_64: %.4f\n", worstCallSeconds / (64.0 / 48000.0));
    // CPU per frame with 65536-frame calls over CPU per frame with 512-frame calls.
    std::printf("large_call_cost_ratio: %.3f\n", (large->second / 8.0) / effect->second);
    std::printf("finite_pass_to_copy_ratio: %.2f\n", pass->second / copy->second);
    return 0;
}
