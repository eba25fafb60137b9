// Cost of the editor's panel, printed at the end of the run:
//   panel_layout_ms   one layout of the 480 x 320 panel: every knob's face and cap rendered anew, every
//                     button and caption image made anew at its size
//   knob_step_ms      one step of a drag on a knob: the pointer event, the value change and the cap's new
//                     transform, the parameter set and the refresh it queues, and the composite of the
//                     window at 2 pixels per point
//   knob_step_of_8ms  that step over 8 ms, the most a step may take for a knob that follows the pointer
#include "audiounit/QuorbelComponent.h"
#include "editor/QuorbelAUViewControllerMac.h"
#include "ui/NSWindow.h"
#include "ui/OffscreenBackend.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using namespace platform;
using quorbel::QuorbelAUViewControllerMac;

/// The editor in a 480 x 320 window on the offscreen back end at 2 pixels per point, drawn once.
struct ShownPanel {
    ShownPanel() {
        backend = &OffscreenBackend::install(2);
        controller = std::make_shared<QuorbelAUViewControllerMac>();
        controller->createAudioUnit(quorbel::kQuorbelComponentDescription, nullptr);
        window = std::make_shared<NSWindow>(CGRect(0, 0, 480, 320), NSWindowStyleMaskTitled);
        window->setContentViewController(controller);
        window->makeKeyAndOrderFront();
        backend->runUntilIdle();
    }
    ~ShownPanel() { window->close(); }

    OffscreenBackend* backend;
    std::shared_ptr<QuorbelAUViewControllerMac> controller;
    std::shared_ptr<NSWindow> window;
};

/// Wall-clock milliseconds per iteration of the last run of each benchmark.
double panelLayoutMs = 0;
double knobStepMs = 0;

template <typename F> double millisecondsPerIteration(benchmark::State& state, F&& step) {
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        step();
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    return state.iterations() > 0 ? elapsed.count() / static_cast<double>(state.iterations()) : 0;
}

void BM_PanelLayout(benchmark::State& state) {
    ShownPanel panel;
    NSView& root = *panel.controller->view();
    panelLayoutMs = millisecondsPerIteration(state, [&] {
        root.setNeedsLayout(true);
        root.layoutSubtreeIfNeeded(); // viewDidLayout: the whole panel at 480 x 320
    });
}
BENCHMARK(BM_PanelLayout)->Unit(benchmark::kMillisecond);

void BM_KnobStep(benchmark::State& state) {
    ShownPanel panel;
    NSView& knob = *panel.controller->mixKnob;
    panel.backend->mouseDown(knob, {57.5, 57.5});
    double x = 57.5;
    double dx = 1;
    knobStepMs = millisecondsPerIteration(state, [&] {
        x += dx; // to and fro over 40 points, so that every step turns the knob
        if (x > 97.5 || x < 57.5) {
            dx = -dx;
            x += 2 * dx;
        }
        panel.backend->mouseDragged(knob, {x, 57.5});
        panel.backend->runOnce(); // the queued refresh, then the window composited
    });
    panel.backend->mouseUp(knob, {x, 57.5});
}
BENCHMARK(BM_KnobStep)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (panelLayoutMs <= 0 || knobStepMs <= 0) {
        std::fprintf(stderr, "the figures need BM_PanelLayout and BM_KnobStep\n");
        return 1;
    }
    std::printf("panel_layout_ms: %.3f\n", panelLayoutMs);
    std::printf("knob_step_ms: %.3f\n", knobStepMs);
    std::printf("knob_step_of_8ms: %.3f\n", knobStepMs / 8.0);
    return 0;
}
