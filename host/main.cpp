// auhost: the offline Audio Unit host. Loads the effect's extension, lists its parameters and presets,
// renders audio files (or a built-in demo signal) through it, and shows its editor as a picture or in a
// window.

#include "host/AudioReader.h"
#include "host/AudioWriter.h"
#include "host/DemoSignal.h"
#include "host/EditorPanel.h"
#include "host/EffectLoader.h"
#include "host/HostUnit.h"
#include "host/Interruption.h"
#include "host/OutputFormat.h"
#include "host/ProgressBar.h"
#include "support/NumberText.h"
#include "support/OutputFile.h"
#include "ui/AUViewController.h"
#include "ui/NSApplication.h"
#include "ui/OffscreenBackend.h"
#include "ui/UIBackend.h"

#include <CLI/CLI.hpp>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using platform::support::NamedPath;
using platform::support::OutputFile;

/// Exit status of a malformed command line.
constexpr int kUsageError = 2;

/// The first --set item that is not ID=VALUE; none when all are.
std::optional<std::string> malformedAssignment(const std::vector<std::string>& items) {
    for (const auto& item : items) {
        const auto eq = item.find('=');
        if (eq == std::string::npos || eq == 0) {
            return item;
        }
    }
    return std::nullopt;
}

/// The settings that --preset, --load-state and --set give (each item of `sets` ID=VALUE; an empty
/// preset or state file is one not given).
auhost::UnitSettings settingsFrom(const std::string& preset, const std::string& loadState,
                                  const std::vector<std::string>& sets) {
    auhost::UnitSettings settings;
    if (!preset.empty()) {
        settings.preset = preset;
    }
    if (!loadState.empty()) {
        settings.loadStatePath = loadState;
    }
    for (const auto& item : sets) {
        const auto eq = item.find('=');
        settings.values.emplace_back(item.substr(0, eq), item.substr(eq + 1));
    }
    return settings;
}

/// Whether --size takes a side of `points` at `scale` pixels per point: at most 8192 pixels (the test of
/// auhost::checkPixelSize, so that the two never disagree), and never more than 10000 points.
bool sideFits(double points, double scale) {
    return points <= 10000 && points * scale <= 8192;
}

/// The bound of sideFits as a message gives it: whole or to the hundredth below ("4096", "2730.66").
std::string largestSideText(double scale) {
    return platform::support::shortestText(std::floor(std::min(10000.0, 8192.0 / scale) * 100) / 100);
}

/// "1 pixel per point", "2 pixels per point".
std::string pixelsPerPoint(double scale) {
    return platform::support::shortestText(scale) + (scale == 1 ? " pixel" : " pixels") + " per point";
}

/// The editor's view controller of the effect's extension.
std::shared_ptr<platform::AUViewController> editorOf(auhost::EffectLoader& loader) {
    auto controller = loader.principalObject().viewController;
    if (!controller) {
        throw std::runtime_error("the effect's extension has no editor");
    }
    return controller;
}

int usageError(const std::string& message) {
    std::cerr << "auhost: error: " << message << "\nRun with --help for more information.\n";
    return kUsageError;
}

/// Whether an existing file (links followed) is a regular file, or something else that is written
/// straight through (a device, a FIFO).
std::optional<bool> existingIsRegular(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        return std::nullopt;
    }
    return S_ISREG(st.st_mode);
}

/// Whether a channel map says no more than a file without one would: mono, or left and right.
bool isPlainLayout(const std::vector<int>& map) {
    return map.empty() ||
           (map.size() == 1 && (map[0] == SF_CHANNEL_MAP_MONO || map[0] == SF_CHANNEL_MAP_CENTER)) ||
           (map.size() == 2 && map[0] == SF_CHANNEL_MAP_LEFT && map[1] == SF_CHANNEL_MAP_RIGHT);
}

/// Lets every option that takes one value be given more than once, so that repeatedOption() reports it in
/// auhost's words instead of the parser's.
void collectRepeats(CLI::App& app) {
    for (CLI::Option* option : app.get_options()) {
        if (option->nonpositional() && option->get_type_size_max() == 1 &&
            option->get_items_expected_max() == 1) {
            option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        }
    }
    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
        collectRepeats(*command);
    }
}

/// The complaint about an option of `app` or its chosen subcommand that takes one value but was given
/// more than once; empty when there is none.
std::string repeatedOption(const CLI::App& app) {
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_multi_option_policy() == CLI::MultiOptionPolicy::TakeLast && option->count() > 1) {
            return option->get_name() + " takes one value; it was given " + std::to_string(option->count()) +
                   " times";
        }
    }
    for (const CLI::App* command : app.get_subcommands()) {
        if (std::string complaint = repeatedOption(*command); !complaint.empty()) {
            return complaint;
        }
    }
    return {};
}

/// The whole number that all of `text` spells in decimal digits, when it lies from `low` to `high`.
std::optional<std::uint32_t> wholeNumber(const std::string& text, std::uint32_t low, std::uint32_t high) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front())) || ec != std::errc() ||
        ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

/// std::cout's buffer: hands everything to the C library's stdout, as the standard one does, and remembers
/// why the first write that failed did (a full disk, a closed descriptor), which a later flush would lose.
class StandardOutputBuffer : public std::streambuf {
public:
    /// Ends the run: after a success, everything written must have reached standard output. Returns
    /// `status`, or 1 with a message when something was lost.
    int finish(int status) {
        if (status != 0) {
            return status;
        }
        if (sync() == 0 && std::ferror(stdout) == 0 && error_ == 0) {
            return status;
        }
        std::cerr << "auhost: error: could not write to standard output: "
                  << (error_ != 0 ? std::strerror(error_) : "the write failed") << "\n";
        return 1;
    }

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        if (std::fputc(c, stdout) == EOF) {
            note();
            return traits_type::eof();
        }
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        const std::size_t written = std::fwrite(text, 1, static_cast<std::size_t>(count), stdout);
        if (written < static_cast<std::size_t>(count)) {
            note();
        }
        return static_cast<std::streamsize>(written);
    }
    int sync() override {
        if (std::fflush(stdout) != 0) {
            note();
            return -1;
        }
        return 0;
    }

private:
    void note() {
        if (error_ == 0) {
            error_ = errno;
        }
    }

    int error_ = 0;
};

} // namespace

/// The command line's work; main() then checks that standard output took what was written to it.
static int runCommand(int argc, char** argv) {
    CLI::App app{"auhost: offline host for the Quorbel spectral effect"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "auhost 1.0.0");
    app.failure_message([](const CLI::App* a, const CLI::Error& e) {
        return "auhost: error: " + CLI::FailureMessage::simple(a, e);
    });

    std::string plugin;
    app.add_option(
        "--plugin", plugin,
        "Where to find the effect's extension: a QuorbelAUMac.appex bundle, an application bundle "
        "holding it, or a folder holding either. Searched first, then the folders of "
        "AUHOST_PLUGIN_PATH (colon-separated), then the extension beside auhost's build or install "
        "tree");
    app.fallthrough();

    auto* list = app.add_subcommand("list", "List the Audio Unit extensions found, with their codes, name, "
                                            "version and bundle");
    auto* info = app.add_subcommand("info", "List the effect's parameters, presets, latency and busses");

    auto* render =
        app.add_subcommand("render", "Render an audio file (or the built-in demo signal) through the effect");
    std::vector<std::string> files;
    std::vector<std::string> sets;
    std::uint32_t blockSize = 512;
    std::string blockSizeText;
    bool raw = false;
    bool compensate = false;
    bool force = false;
    std::string preset;
    std::string loadState;
    std::string saveState;
    render
        ->add_option(
            "files", files,
            "[IN] OUT: input audio file (WAV, FLAC, AIFF, ...) and output file, whose extension names its "
            "format; without IN a demo signal of a few seconds is rendered")
        ->expected(1, -1) // more than two are refused below, in auhost's words
        ->required();
    render->add_option("--set", sets,
                       "Set a parameter before rendering, e.g. mix=0.3, bypass=on, "
                       "filterMode=\"band pass\" (repeatable; values within the ranges that info lists)");
    auto* blockSizeOption = render->add_option("--block-size", blockSizeText,
                                               "Frames per render call, 1 to 1048576 (default 512)");
    auto* compensateFlag = render->add_flag(
        "--compensate-latency", compensate,
        "Cut the reported latency from the start of the output, as a workstation's export does: the wet "
        "signal lines up with the input, the dry signal comes that much early and its first part is lost");
    render
        ->add_flag("--raw", raw,
                   "The output has exactly the input's length, sample for sample what the effect produced "
                   "(the delayed wet signal's last part is lost)")
        ->excludes(compensateFlag);
    render->add_flag("--force", force, "With OUT alone: replace an existing OUT with the demo signal");
    render->add_option("--preset", preset, "Apply a factory preset (number or name) before the --set values");
    render->add_option("--load-state", loadState,
                       "Restore a saved state (XML property list) after the preset");
    render->add_option("--save-state", saveState,
                       "Write the effect's state after all settings (XML property list)");

    auto* panel = app.add_subcommand("panel", "Draw the effect's editor panel to a PNG file");
    std::string panelOut;
    std::string size;
    double scale = 2;
    std::string scaleText;
    bool printFramesToo = false;
    panel->add_option("OUT", panelOut, "The PNG file to write")->required();
    panel->add_option("--size", size, "The panel's size in points, WIDTHxHEIGHT (default 480x320)");
    auto* scaleOption = panel->add_option("--scale", scaleText, "Pixels per point, 0.1 to 8 (default 2)");
    panel->add_flag(
        "--frames", printFramesToo,
        "Print each control's frame (points), the knobs' values and angles and the buttons' states, "
        "then the knob and button size, one line each");

    auto* edit = app.add_subcommand("edit", "Show the effect's editor in a window until it is closed");
    edit->add_option("--size", size,
                     "The window's content size in points, WIDTHxHEIGHT (default: the "
                     "editor's preferred size)");
    for (CLI::App* command : {panel, edit}) {
        command->add_option("--preset", preset, "Apply a factory preset (number or name) first");
        command->add_option("--load-state", loadState,
                            "Restore a saved state (XML property list) after the preset");
        command->add_option("--set", sets, "Set a parameter after the state, e.g. mix=0.3 (repeatable)");
    }
    edit->add_option("--save-state", saveState,
                     "When the window closes, write the effect's state (XML property list)");

    const std::vector<CLI::App*> commands{list, info, render, panel, edit};
    if (argc > 1 && argv[1][0] != '-' && std::none_of(commands.begin(), commands.end(), [&](CLI::App* c) {
            return argv[1] == c->get_name();
        })) {
        return usageError("unknown subcommand '" + std::string(argv[1]) +
                          "' (the subcommands are list, info, render, panel and edit)");
    }
    collectRepeats(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kUsageError;
    }

    // The option values, checked before anything is loaded or written.
    if (const std::string complaint = repeatedOption(app); !complaint.empty()) {
        return usageError(complaint);
    }
    // An empty value is never taken as "not given": a script's unset variable must not lose its work.
    if (app.get_option("--plugin")->count() > 0 && plugin.empty()) {
        return usageError(
            "--plugin is empty; it takes the effect's extension bundle, or a folder holding it");
    }
    for (CLI::App* command : commands) {
        if (!command->parsed()) {
            continue;
        }
        struct NamedValue {
            const char* name;
            const std::string& value;
            const char* takes;
        };
        for (const NamedValue& text :
             {NamedValue{"--preset", preset, "a factory preset's number or name"},
              NamedValue{"--load-state", loadState, "the name of a saved state file to read"},
              NamedValue{"--save-state", saveState, "the name of the file to write the effect's state to"}}) {
            const CLI::Option* option = command->get_option_no_throw(text.name);
            if (option != nullptr && option->count() > 0 && text.value.empty()) {
                return usageError(std::string(text.name) + " is empty; it takes " + text.takes);
            }
        }
    }
    if (render->parsed()) {
        if (files.size() > 2) {
            return usageError("render takes [IN] OUT; it was given " + std::to_string(files.size()) +
                              " files");
        }
        if (files.size() == 2 && files.front().empty()) {
            return usageError("render: IN is empty; it takes the name of the audio file to read");
        }
        if (files.back().empty()) {
            return usageError("render: OUT is empty; it takes the name of the audio file to write");
        }
    }
    if (const auto item = malformedAssignment(sets)) {
        return usageError("--set takes ID=VALUE, not '" + *item + "'");
    }
    if (blockSizeOption->count() > 0) {
        const auto frames = wholeNumber(blockSizeText, 1, 1u << 20);
        if (!frames) {
            return usageError("--block-size takes a whole number of frames from 1 to 1048576, not '" +
                              blockSizeText + "'");
        }
        blockSize = *frames;
    }
    if (scaleOption->count() > 0) {
        const auto number = platform::support::parseDouble(scaleText, platform::support::Overflow::refused);
        if (!number || !(*number >= 0.1 && *number <= 8)) {
            return usageError("--scale takes a number of pixels per point from 0.1 to 8, not '" + scaleText +
                              "'");
        }
        scale = *number;
    }
    std::optional<platform::CGSize> sizeGiven;
    for (CLI::App* command : {panel, edit}) {
        if (command->parsed() && command->get_option("--size")->count() > 0) {
            sizeGiven = auhost::parseSize(size);
            if (!sizeGiven) {
                return usageError("--size takes WIDTHxHEIGHT in points, each above 0, not '" + size + "'");
            }
            // The panel is drawn at --scale; the window at the display's pixels per point, which
            // opening the display tells (no display is an error of the work, as it is without --size).
            double pixels = scale;
            if (command == edit) {
                try {
                    pixels = platform::NSApplication::shared().backend().pixelDensity();
                } catch (const std::exception& e) {
                    std::cerr << "auhost: error: " << e.what() << "\n";
                    return 1;
                }
            }
            if (!sideFits(sizeGiven->width, pixels) || !sideFits(sizeGiven->height, pixels)) {
                return usageError("--size takes WIDTHxHEIGHT in points, each above 0 and at most " +
                                  largestSideText(pixels) + " at " +
                                  (command == edit
                                       ? "the display's " + pixelsPerPoint(pixels) + " (QUORBEL_UI_SCALE)"
                                       : pixelsPerPoint(pixels) + " (--scale)") +
                                  ", not '" + size + "'");
            }
        }
    }
    if (panel->parsed()) {
        if (panelOut.empty()) {
            return usageError("panel: OUT is empty; it takes the name of the PNG file to write");
        }
        if (const std::string extension = auhost::lowercaseExtension(panelOut); extension != ".png") {
            return usageError("cannot write '" + panelOut +
                              "': " + auhost::unknownExtensionReason(extension) +
                              "; panel writes PNG files only (.png)");
        }
    }
    if (render->parsed()) {
        const std::string& outPath = files.back();
        const std::optional<bool> outIsRegular = existingIsRegular(outPath);
        const std::string extension = auhost::lowercaseExtension(outPath);
        std::error_code ec;
        if (files.size() == 1 && !outIsRegular &&
            !std::filesystem::exists(std::filesystem::symlink_status(outPath, ec)) && extension.empty() &&
            outPath.find('/') == std::string::npos) {
            return usageError(
                "render: unknown subcommand '" + outPath +
                "'; render takes [IN] OUT, and OUT's extension (.wav, .flac, ...) names its format");
        }
        // A name without extension is fine for an existing device or FIFO: it gets the input's container.
        // A folder is refused as such when the work starts, whatever its name.
        if (!auhost::writesExtension(extension) && !(extension.empty() && outIsRegular == false) &&
            !std::filesystem::is_directory(outPath, ec)) {
            return usageError("cannot write '" + outPath + "': " + auhost::unknownExtensionReason(extension) +
                              " to choose the file format by; auhost writes " + auhost::knownExtensions());
        }
    }

    try {
        auhost::EffectLoader loader(plugin.empty() ? std::nullopt : std::optional<std::string>(plugin),
                                    std::cerr);
        if (list->parsed()) {
            for (const platform::AudioComponentEntry& c : loader.registry().components()) {
                std::cout << auhost::describeComponent(c.description) << "  " << c.name << "  "
                          << auhost::versionText(c.version) << "  " << c.bundlePath;
                // Loaded as a unit would be, so that an extension listed here is one that can run.
                if (platform::NSError error; !loader.registry().loadBundle(c, &error)) {
                    std::cout << "  unusable: " << error.localizedDescription();
                }
                std::cout << "\n";
            }
            if (loader.registry().components().empty()) {
                std::cerr << "auhost: no Audio Unit extensions found\n";
            }
            return 0;
        }
        if (info->parsed()) {
            const auto unit = loader.createUnit();
            const auto fresh = loader.createUnit();
            auhost::printInfo(*unit, *fresh, loader.origin(), std::cout);
            return 0;
        }
        if (panel->parsed()) {
            const auto viewSize = sizeGiven.value_or(platform::CGSize{480, 320});
            auhost::checkPixelSize(viewSize, scale, "--scale");
            std::vector<NamedPath> inputs;
            if (!loadState.empty()) {
                inputs.emplace_back(loadState, "the state to load");
            }
            OutputFile outFile(panelOut, inputs);
            auhost::Interruption::install("the panel was not written to '" + panelOut + "'");
            platform::OffscreenBackend::install(scale);
            const auto unit = loader.createUnit();
            // With --frames, stdout carries the frames alone.
            std::ostream& report = printFramesToo ? std::cerr : std::cout;
            auhost::applySettings(*unit, settingsFrom(preset, loadState, sets), report, std::cerr);
            const auto root = auhost::presentEditor(*editorOf(loader), viewSize);
            outFile.writeAll(auhost::panelPNG(*root, scale));
            if (printFramesToo) {
                auhost::printFrames(*root, *unit, std::cout);
            }
            report << "drew the panel at " << viewSize.width << "x" << viewSize.height << " points, "
                   << pixelsPerPoint(scale) << ", to '" << panelOut << "'\n";
            return 0;
        }
        if (edit->parsed()) {
            const auto windowSize = sizeGiven;
            // The state may be saved where it was loaded from: it is read whole now and replaced at the end.
            std::optional<OutputFile> stateFile;
            if (!saveState.empty()) {
                stateFile.emplace(saveState);
            }
            const std::string notSaved =
                saveState.empty() ? "" : "the effect's state was not saved to '" + saveState + "'";
            auhost::Interruption::install(notSaved);
            const auto unit = loader.createUnit();
            auhost::applySettings(*unit, settingsFrom(preset, loadState, sets), std::cout, std::cerr);
            // SIGTERM and SIGHUP end the session as a close does, SIGINT without saving; a lost display
            // ends it too, and the state in memory is saved all the same.
            std::string lostDisplay;
            auhost::Interruption::setFirstSignal(auhost::Interruption::FirstSignal::endsRunLoop);
            try {
                auhost::runEditorWindow(editorOf(loader), loader.effect().name, windowSize);
            } catch (const platform::DisplayConnectionLost& e) {
                lostDisplay = e.what();
            }
            // The session has ended, and the way it ended decides the status: a first signal that comes
            // from now on never cuts the save short (a second one still ends auhost at once).
            auhost::Interruption::setFirstSignal(auhost::Interruption::FirstSignal::isRecorded);
            const int signal = auhost::Interruption::endedRunLoop();
            if (signal == SIGINT) {
                std::cerr << "auhost: stopped by SIGINT" << (notSaved.empty() ? "" : "; " + notSaved) << "\n";
                return 128 + signal;
            }
            if (stateFile) {
                stateFile->writeAll(auhost::stateText(*unit));
                auhost::Interruption::install("the effect's state was saved to '" + saveState + "'");
                std::cout << "saved the effect's state to '" << saveState << "'\n";
            }
            if (!lostDisplay.empty()) {
                std::cerr << "auhost: error: " << lostDisplay << "\n";
                return 1;
            }
            if (signal != 0) {
                std::cerr << "auhost: stopped by " << auhost::Interruption::name(signal) << "\n";
                return 128 + signal;
            }
            return 0;
        }

        const bool demo = files.size() == 1;
        const std::string outPath = files.back();
        auhost::Interruption::install("the render did not finish");
        const std::optional<bool> outIsRegular = existingIsRegular(outPath);
        if (demo && outIsRegular.value_or(false) && !force) {
            throw std::runtime_error(
                "'" + outPath +
                "' exists: with only one file, render writes the demo signal into it and would "
                "replace it. To render it through the effect, name an output too (auhost render " +
                outPath + " OUT); to replace it with the demo signal, add --force");
        }

        const auhost::UnitSettings settings = settingsFrom(preset, loadState, sets);
        // The preset and the values are judged on the fresh unit before any file is read or written.
        auto unit = loader.createUnit();
        auhost::checkSettings(*unit, settings);

        std::unique_ptr<auhost::AudioReader> reader;
        std::unique_ptr<auhost::AudioSource> source;
        auhost::AudioData demoSignal;
        if (demo) {
            demoSignal = auhost::makeDemoSignal();
            source = std::make_unique<auhost::MemorySource>(demoSignal);
        } else {
            reader = std::make_unique<auhost::AudioReader>(files.front());
        }
        auhost::AudioSource& input = reader ? *reader : *source;
        const std::vector<int> channelMap = reader ? reader->channelMap() : std::vector<int>{};
        const int inFormat = reader ? reader->format() : (SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        const auto rate = static_cast<int>(input.sampleRate());
        std::vector<NamedPath> inputs;
        if (!demo) {
            inputs.emplace_back(files.front(), "the input");
        }
        OutputFile outFile(outPath, inputs);
        std::optional<OutputFile> stateFile;
        if (!saveState.empty()) {
            inputs.emplace_back(outPath, "the output");
            stateFile.emplace(saveState, inputs);
        }

        // A name without extension is fine for an existing device or FIFO: it gets the input's container.
        const auhost::OutputFormat format = auhost::chooseOutputFormat(
            outPath, inFormat & SF_FORMAT_SUBMASK, input.channels(), rate, !channelMap.empty(),
            outIsRegular == false ? (inFormat & SF_FORMAT_TYPEMASK) : 0);
        if (!format.keepsChannelMap && !isPlainLayout(channelMap)) {
            std::cerr << "auhost: warning: '" << outPath << "' cannot store which speaker "
                      << (channelMap.size() == 1
                              ? std::string("the input's channel")
                              : "each of the input's " + std::to_string(channelMap.size()) + " channels")
                      << " feeds; write .wav or .rf64 to keep that\n";
        }

        auhost::applySettings(*unit, settings, std::cout, std::cerr);
        const std::string stateText = stateFile ? auhost::stateText(*unit) : std::string();

        auhost::RenderOptions options;
        options.blockSize = blockSize;
        options.length = raw          ? auhost::OutputLength::raw
                         : compensate ? auhost::OutputLength::compensateLatency
                                      : auhost::OutputLength::keepInput;
        auhost::AudioWriter writer(outFile.fd(), outPath, format.format, input.channels(), rate,
                                   format.keepsChannelMap ? channelMap : std::vector<int>{});
        auhost::ProgressBar bar("rendering");
        const std::int64_t frames = auhost::renderThrough(*unit, input, writer, options,
                                                          [&](double fraction) { bar.update(fraction); });
        bar.finish();
        writer.close();
        outFile.commit();
        if (stateFile) {
            auhost::Interruption::install("rendered to '" + outPath +
                                          "', but the effect's state was not saved to '" + saveState + "'");
            stateFile->writeAll(stateText);
        }

        if (reader) {
            if (const std::string why = reader->truncation(); !why.empty()) {
                std::cerr << "auhost: warning: '" << files.front()
                          << "' ends early (premature end of data): " << why << "; rendered the "
                          << reader->framesRead() << " frames it holds\n";
            }
            if (const std::int64_t bad = reader->nonFiniteSamples(); bad > 0) {
                std::cerr << "auhost: warning: '" << files.front() << "' holds "
                          << platform::support::countText(bad, "non-finite sample") << " (NaN or infinite)\n";
            }
        }
        std::cout << "rendered " << (demo ? std::string("the demo signal") : "'" + files.front() + "'")
                  << " to '" << outPath << "' (" << platform::support::countText(frames, "frame") << ", "
                  << platform::support::countText(input.channels(), "channel") << ", " << rate << " Hz)\n";
        if (stateFile) {
            std::cout << "saved the effect's state to '" << saveState << "'\n";
        }
        return 0;
    } catch (const auhost::UsageError& e) {
        return usageError(e.what());
    } catch (const std::bad_alloc&) {
        std::cerr << "auhost: error: out of memory\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "auhost: error: " << e.what() << "\n";
        return 1;
    }
}

int main(int argc, char** argv) {
    StandardOutputBuffer standardOutput;
    std::streambuf* const original = std::cout.rdbuf(&standardOutput);
    const int status = standardOutput.finish(runCommand(argc, argv));
    std::cout.rdbuf(original);
    return status;
}
