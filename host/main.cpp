// auhost: the offline Audio Unit host. Lists the effect's parameters and presets, and renders audio
// files (or a built-in demo signal) through it.

#include "host/AudioFile.h"
#include "host/DemoSignal.h"
#include "host/HostUnit.h"
#include "host/ProgressBar.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::pair<std::string, std::string>> parseAssignments(const std::vector<std::string>& items) {
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& item : items) {
        const auto eq = item.find('=');
        if (eq == std::string::npos || eq == 0) {
            throw std::runtime_error("--set takes ID=VALUE, not '" + item + "'");
        }
        values.emplace_back(item.substr(0, eq), item.substr(eq + 1));
    }
    return values;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"auhost: offline host for the Quorbel spectral effect"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "auhost 1.0.0");

    auto* info = app.add_subcommand("info", "List the effect's parameters, presets, latency and busses");

    auto* render = app.add_subcommand("render", "Render an audio file (or the built-in demo signal) through the effect");
    std::vector<std::string> files;
    std::vector<std::string> sets;
    std::uint32_t blockSize = 512;
    bool raw = false;
    std::string preset;
    std::string loadState;
    std::string saveState;
    render->add_option("files", files, "[IN] OUT: input audio file (WAV, FLAC, AIFF, ...) and output file; "
                                       "without IN a demo signal of a few seconds is rendered")
        ->expected(1, 2)
        ->required();
    render->add_option("--set", sets, "Set a parameter before rendering, e.g. mix=0.3, bypass=on, "
                                      "filterMode=\"band pass\" (repeatable)");
    render->add_option("--block-size", blockSize, "Frames per render call (default 512)")
        ->check(CLI::Range(1u, 1u << 20));
    render->add_flag("--raw", raw, "No latency compensation and no tail: the output has exactly the input's "
                                   "length, sample for sample what the effect produced");
    render->add_option("--preset", preset, "Apply a factory preset (number or name) before the --set values");
    render->add_option("--load-state", loadState, "Restore a saved state (XML property list) after the preset");
    render->add_option("--save-state", saveState, "Write the effect's state after all settings (XML property list)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : 2;
    }

    try {
        auto unit = auhost::createUnit();
        if (info->parsed()) {
            auhost::printInfo(*unit, std::cout);
            return 0;
        }

        auhost::UnitSettings settings;
        if (!preset.empty()) {
            settings.preset = preset;
        }
        if (!loadState.empty()) {
            settings.loadStatePath = loadState;
        }
        settings.values = parseAssignments(sets);

        const bool demo = files.size() == 1;
        const std::string outPath = files.back();
        auhost::checkWritable(outPath);
        const auhost::AudioData input = demo ? auhost::makeDemoSignal() : auhost::readAudioFile(files.front());
        auhost::applySettings(*unit, settings, std::cout);
        if (!saveState.empty()) {
            auhost::saveState(*unit, saveState);
        }

        auhost::RenderOptions options;
        options.blockSize = blockSize;
        options.raw = raw;
        auhost::ProgressBar bar("rendering");
        const auto output =
            auhost::renderThrough(*unit, input, options, [&](double fraction) { bar.update(fraction); });
        bar.finish();
        auhost::writeAudioFile(outPath, output);
        std::cout << "rendered " << (demo ? std::string("the demo signal") : "'" + files.front() + "'") << " to '"
                  << outPath << "' (" << output.frames() << " frames, " << output.channels.size()
                  << " channels, " << output.sampleRate << " Hz)\n";
        if (!saveState.empty()) {
            std::cout << "saved the effect's state to '" << saveState << "'\n";
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "auhost: error: " << e.what() << "\n";
        return 1;
    }
}
