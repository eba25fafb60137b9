#include "host/HostUnit.h"

#include "audiotoolbox/NSPropertyListSerialization.h"
#include "audiounit/QuorbelAudioUnit.h"
#include "audiounit/QuorbelComponent.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <locale.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace auhost {

using namespace platform;

namespace {

[[noreturn]] void fail(const std::string& message) { throw std::runtime_error(message); }

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

/// True when the whole text spells a number under the C library's rules in the C locale.
bool isNumberText(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) {
        return false;
    }
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    char* end = nullptr;
    strtof_l(text.c_str(), &end, cLocale);
    return end == text.c_str() + text.size();
}

/// What a parameter takes as text, for error messages.
std::string acceptedTexts(const AUParameter& p) {
    switch (p.unit()) {
    case kAudioUnitParameterUnit_Boolean:
        return "On or Off";
    case kAudioUnitParameterUnit_Indexed: {
        std::string names;
        for (const auto& s : p.valueStrings()) {
            names += "\"" + s + "\", ";
        }
        return names + "or a number";
    }
    default:
        return "a number";
    }
}

bool acceptsText(const AUParameter& p, const std::string& text) {
    const std::string key = lower(text);
    if (p.unit() == kAudioUnitParameterUnit_Boolean) {
        return key == "on" || key == "off";
    }
    if (p.unit() == kAudioUnitParameterUnit_Indexed) {
        for (const auto& s : p.valueStrings()) {
            if (lower(s) == key) {
                return true;
            }
        }
    }
    return isNumberText(text);
}

AUParameter& parameterNamed(const AUAudioUnit& unit, const std::string& identifier) {
    const auto tree = unit.parameterTree();
    if (tree) {
        for (const auto& p : tree->children()) {
            if (p->identifier() == identifier) {
                return *p;
            }
        }
    }
    std::string valid;
    if (tree) {
        for (const auto& p : tree->children()) {
            valid += (valid.empty() ? "" : ", ") + p->identifier();
        }
    }
    fail("unknown parameter '" + identifier + "' (valid: " + valid + ")");
}

std::shared_ptr<AUAudioUnitPreset> findPreset(const AUAudioUnit& unit, const std::string& wanted) {
    const auto presets = unit.factoryPresets();
    const bool numeric = !wanted.empty() && std::all_of(wanted.begin(), wanted.end(), [](unsigned char c) {
        return std::isdigit(c) != 0;
    });
    for (const auto& preset : presets) {
        if (numeric ? std::to_string(preset->number()) == wanted : lower(preset->name()) == lower(wanted)) {
            return preset;
        }
    }
    std::string valid;
    for (const auto& preset : presets) {
        valid += "\n  " + std::to_string(preset->number()) + "  " + preset->name();
    }
    fail("unknown preset '" + wanted + "'; the factory presets are:" + valid);
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fail("cannot read '" + path + "': " + std::strerror(errno));
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        fail("cannot read '" + path + "'");
    }
    return text.str();
}

/// Writes `contents` to `path` through a temporary file beside it, renamed over it at the end.
void writeWholeFile(const std::string& path, const std::string& contents) {
    const std::filesystem::path target(path);
    const std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    std::string tmp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(tmp.data());
    if (fd < 0) {
        fail("cannot write '" + path + "': " + std::strerror(errno));
    }
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0) {
            const std::string why = std::strerror(errno);
            ::close(fd);
            std::remove(tmp.c_str());
            fail("cannot write '" + path + "': " + why);
        }
        done += static_cast<std::size_t>(n);
    }
    fchmod(fd, 0644);
    if (::close(fd) != 0 || std::rename(tmp.c_str(), path.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        std::remove(tmp.c_str());
        fail("cannot write '" + path + "': " + why);
    }
}

struct ValueSnapshot {
    std::string identifier;
    AUValue value;
    std::string text;
};

std::vector<ValueSnapshot> snapshot(const AUAudioUnit& unit) {
    std::vector<ValueSnapshot> values;
    if (const auto tree = unit.parameterTree()) {
        for (const auto& p : tree->children()) {
            const AUValue v = p->value();
            values.push_back({p->identifier(), v, p->stringFromValue(&v)});
        }
    }
    return values;
}

bool sameValue(AUValue a, AUValue b) { return a == b || (std::isnan(a) && std::isnan(b)); }

std::string fourCC(OSType code) {
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<char>((code >> (24 - 8 * i)) & 0xff);
        text[static_cast<std::size_t>(i)] = std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    }
    return text;
}

const char* unitName(AudioUnitParameterUnit unit) {
    switch (unit) {
    case kAudioUnitParameterUnit_Generic:
        return "generic";
    case kAudioUnitParameterUnit_Indexed:
        return "indexed";
    case kAudioUnitParameterUnit_Boolean:
        return "boolean";
    case kAudioUnitParameterUnit_Hertz:
        return "hertz";
    case kAudioUnitParameterUnit_LinearGain:
        return "linear gain";
    }
    return "other";
}

std::string describe(const AVAudioFormat& f) {
    std::ostringstream s;
    s << f.channelCount() << " ch, " << f.sampleRate() << " Hz, "
      << (f.commonFormat() == AVAudioPCMFormatFloat32 ? "32-bit float" : "other samples")
      << (f.isInterleaved() ? ", interleaved" : ", non-interleaved");
    return s.str();
}

void printBusses(std::ostream& out, const char* what, const std::shared_ptr<AUAudioUnitBusArray>& busses) {
    const std::size_t count = busses ? busses->count() : 0;
    out << what << " busses: " << count << "\n";
    for (std::size_t i = 0; i < count; ++i) {
        out << "  bus " << i << ": " << describe((*busses)[i]->format()) << "\n";
    }
}

} // namespace

std::shared_ptr<AUAudioUnit> createUnit() {
    quorbel::registerQuorbelComponent();
    NSError error;
    auto unit = AUAudioUnit::instantiate<quorbel::QuorbelAudioUnit>(quorbel::kQuorbelComponentDescription, 0,
                                                                    &error);
    if (!unit) {
        fail("cannot create the effect: " + error.localizedDescription());
    }
    return unit;
}

void applySettings(AUAudioUnit& unit, const UnitSettings& settings, std::ostream& report) {
    if (settings.preset) {
        unit.setCurrentPreset(findPreset(unit, *settings.preset));
    }
    if (settings.loadStatePath) {
        const std::string& path = *settings.loadStatePath;
        NSError error;
        const auto state = NSPropertyListSerialization::dictionaryWithData(readWholeFile(path), &error);
        if (!state) {
            fail("cannot load state from '" + path + "': " + error.localizedDescription());
        }
        const auto before = snapshot(unit);
        unit.setFullState(*state);
        const auto after = snapshot(unit);
        int changed = 0;
        for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
            if (!sameValue(before[i].value, after[i].value)) {
                report << "state '" << path << "': " << after[i].identifier << " " << before[i].text << " -> "
                       << after[i].text << "\n";
                ++changed;
            }
        }
        if (changed == 0) {
            report << "state '" << path << "': no parameter value changed\n";
        }
    }
    for (const auto& [identifier, text] : settings.values) {
        AUParameter& p = parameterNamed(unit, identifier);
        if (!acceptsText(p, text)) {
            fail("'" + text + "' is not a value of " + identifier + " (it takes " + acceptedTexts(p) + ")");
        }
        p.setValue(p.valueFromString(text));
    }
}

void saveState(const AUAudioUnit& unit, const std::string& path) {
    const auto state = unit.fullState();
    NSError error;
    const auto xml = NSPropertyListSerialization::dataWithPropertyList(
        PropertyList(state.value_or(PropertyListDictionary{})), &error);
    if (!xml) {
        fail("cannot save state to '" + path + "': " + error.localizedDescription());
    }
    writeWholeFile(path, *xml);
}

void printInfo(AUAudioUnit& unit, std::ostream& out) {
    const auto& d = unit.componentDescription();
    out << unit.componentName() << " (" << fourCC(d.componentType) << " " << fourCC(d.componentSubType) << " "
        << fourCC(d.componentManufacturer) << ") version " << (unit.componentVersion() >> 16) << "."
        << ((unit.componentVersion() >> 8) & 0xff) << "." << (unit.componentVersion() & 0xff) << "\n";
    const auto inBusses = unit.inputBusses();
    const double rate = inBusses && inBusses->count() > 0 ? (*inBusses)[0]->format().sampleRate() : 0.0;
    out << "latency: " << unit.latency() << " s (" << std::llround(unit.latency() * rate) << " frames at "
        << rate << " Hz)\n";
    out << "tail time: " << unit.tailTime() << " s\n";
    out << "channel capabilities:";
    for (const auto c : unit.channelCapabilities()) {
        out << " " << c;
    }
    out << "  (input, output pairs; -1 means any)\n";
    printBusses(out, "input", inBusses);
    printBusses(out, "output", unit.outputBusses());

    out << "parameters:\n";
    out << "  " << std::left << std::setw(5) << "addr" << std::setw(12) << "identifier" << std::setw(13) << "name"
        << std::setw(14) << "range" << std::setw(13) << "unit" << std::setw(10) << "default"
        << "value\n";
    // A fresh unit of the same kind gives the defaults.
    const auto fresh = createUnit();
    const auto freshTree = fresh->parameterTree();
    if (const auto tree = unit.parameterTree()) {
        for (const auto& p : tree->children()) {
            const AUParameter* f = freshTree ? freshTree->parameterWithAddress(p->address()) : nullptr;
            std::ostringstream range;
            range << p->minValue() << " .. " << p->maxValue();
            const AUValue v = p->value();
            out << "  " << std::setw(5) << p->address() << std::setw(12) << p->identifier() << std::setw(13)
                << p->displayName() << std::setw(14) << range.str() << std::setw(13) << unitName(p->unit())
                << std::setw(10) << (f ? f->value() : p->value()) << v << " ("
                << p->stringFromValue(&v) << ")\n";
        }
    }
    out << "factory presets:\n";
    for (const auto& preset : unit.factoryPresets()) {
        out << "  " << preset->number() << "  " << preset->name() << "\n";
    }
    const auto current = unit.currentPreset();
    out << "current preset: " << (current ? std::to_string(current->number()) + " " + current->name() : "none")
        << "\n";
    out << "user presets: " << (unit.supportsUserPresets() ? "supported" : "not supported") << "\n";
}

AudioData renderThrough(AUAudioUnit& unit, const AudioData& input, const RenderOptions& options,
                        const ProgressCallback& progress) {
    const auto channels = static_cast<AVAudioChannelCount>(input.channels.size());
    if (channels == 0) {
        fail("the input has no channels");
    }
    if (options.blockSize == 0) {
        fail("the block size must be at least 1 frame");
    }
    const auto inBusses = unit.inputBusses();
    if (!inBusses || inBusses->count() == 0) {
        fail("the effect has no input bus");
    }
    if (unit.renderResourcesAllocated()) {
        unit.deallocateRenderResources();
    }
    NSError error;
    if (!(*inBusses)[0]->setFormat(AVAudioFormat(input.sampleRate, channels), &error)) {
        fail("the effect does not take " + std::to_string(channels) + " channels at " +
             std::to_string(static_cast<long>(input.sampleRate)) + " Hz: " + error.localizedDescription());
    }
    if (!unit.setMaximumFramesToRender(options.blockSize)) {
        fail("the effect refused a block size of " + std::to_string(options.blockSize));
    }
    if (!unit.allocateRenderResources(&error)) {
        fail("the effect could not prepare to render: " + error.localizedDescription());
    }

    const std::int64_t inFrames = input.frames();
    const std::int64_t latencyFrames = options.raw ? 0 : std::llround(unit.latency() * input.sampleRate);
    const std::int64_t tailFrames = options.raw ? 0 : std::llround(unit.tailTime() * input.sampleRate);
    const std::int64_t totalFrames = inFrames + latencyFrames + tailFrames;

    AudioData output;
    output.sampleRate = input.sampleRate;
    output.format = input.format;
    output.channels.assign(channels, std::vector<float>(static_cast<std::size_t>(inFrames + tailFrames), 0.0f));

    OwnedAudioBufferList buffers(channels, options.blockSize);
    std::int64_t position = 0;
    const AURenderPullInputBlock pull = [&](AudioUnitRenderActionFlags*, const AudioTimeStamp*,
                                            AUAudioFrameCount frames, NSInteger, AudioBufferList* data) {
        for (std::uint32_t ch = 0; ch < data->mNumberBuffers && ch < channels; ++ch) {
            auto* dst = static_cast<float*>(data->mBuffers[ch].mData);
            if (dst == nullptr) {
                dst = buffers.channel(ch);
                data->mBuffers[ch].mData = dst;
            }
            const auto& src = input.channels[ch];
            for (AUAudioFrameCount i = 0; i < frames; ++i) {
                const std::int64_t at = position + i;
                dst[i] = at < inFrames ? src[static_cast<std::size_t>(at)] : 0.0f;
            }
        }
        return noErr;
    };
    const AURenderBlock render = unit.renderBlock();

    while (position < totalFrames) {
        const auto frames = static_cast<AUAudioFrameCount>(
            std::min<std::int64_t>(options.blockSize, totalFrames - position));
        buffers.prepare(frames);
        AudioTimeStamp timestamp;
        timestamp.mSampleTime = static_cast<double>(position);
        timestamp.mFlags = kAudioTimeStampSampleTimeValid;
        AudioUnitRenderActionFlags flags = 0;
        const AUAudioUnitStatus status = render(&flags, &timestamp, frames, 0, buffers.list(), pull);
        if (status != noErr) {
            unit.deallocateRenderResources();
            fail("the effect failed to render at frame " + std::to_string(position) + " (status " +
                 std::to_string(status) + ")");
        }
        const AudioBufferList* list = buffers.list();
        for (std::uint32_t ch = 0; ch < channels; ++ch) {
            const auto* src = static_cast<const float*>(list->mBuffers[ch].mData);
            auto& dst = output.channels[ch];
            for (AUAudioFrameCount i = 0; i < frames; ++i) {
                const std::int64_t at = position + i - latencyFrames;
                if (at >= 0) {
                    dst[static_cast<std::size_t>(at)] = src[i];
                }
            }
        }
        position += frames;
        if (progress) {
            progress(static_cast<double>(position) / static_cast<double>(totalFrames));
        }
    }
    unit.deallocateRenderResources();
    return output;
}

} // namespace auhost
