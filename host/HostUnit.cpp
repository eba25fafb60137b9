#include "host/HostUnit.h"

#include "audiotoolbox/NSPropertyListSerialization.h"
#include "support/NumberText.h"

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
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace auhost {

using namespace platform;

namespace {

[[noreturn]] void fail(const std::string& message) {
    throw std::runtime_error(message);
}

/// A command-line value that the unit does not take.
[[noreturn]] void failUsage(const std::string& message) {
    throw UsageError(message);
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

/// What a parameter takes as text, for error messages.
std::string acceptedTexts(const AUParameter& p) {
    std::ostringstream range;
    range << "a number from " << p.minValue() << " to " << p.maxValue();
    switch (p.unit()) {
    case kAudioUnitParameterUnit_Boolean:
        return "on/off, yes/no, true/false or 1/0";
    case kAudioUnitParameterUnit_Indexed: {
        std::string names;
        for (const auto& s : p.valueStrings()) {
            names += "\"" + s + "\", ";
        }
        return names + "or " + range.str();
    }
    default:
        return range.str();
    }
}

/// The value that a --set text gives, within the parameter's range. The unit itself takes any value;
/// a value typed on the command line outside the range is far more often a slip than a wish.
AUValue valueOfText(const AUParameter& p, const std::string& text) {
    const std::string key = lower(text);
    const auto refuse = [&](const std::string& why) {
        failUsage("--set " + p.identifier() + "=" + text + ": " + why + "; " + p.identifier() + " takes " +
                  acceptedTexts(p));
    };
    if (p.unit() == kAudioUnitParameterUnit_Boolean) {
        for (const char* on : {"on", "1", "true", "yes"}) {
            if (key == on) {
                return 1.0f;
            }
        }
        for (const char* off : {"off", "0", "false", "no"}) {
            if (key == off) {
                return 0.0f;
            }
        }
        refuse("not a switch value");
    }
    if (p.unit() == kAudioUnitParameterUnit_Indexed) {
        for (const auto& s : p.valueStrings()) {
            if (lower(s) == key) {
                return p.valueFromString(text);
            }
        }
    }
    // Checked as typed, in 64 bits: a text beyond the float range must not pass as some other value.
    const std::optional<double> number = support::parseDouble(text, support::Overflow::infinity);
    if (!number) {
        refuse("not a value of " + p.identifier());
    }
    if (!std::isfinite(*number)) {
        refuse("not a finite number");
    }
    if (*number < p.minValue() || *number > p.maxValue()) {
        refuse("out of range");
    }
    return p.valueFromString(text);
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
    failUsage("unknown parameter '" + identifier + "' (valid: " + valid + ")");
}

std::shared_ptr<AUAudioUnitPreset> findPreset(const AUAudioUnit& unit, const std::string& wanted) {
    const auto presets = unit.factoryPresets();
    const bool numeric = !wanted.empty() && std::all_of(wanted.begin(), wanted.end(),
                                                        [](unsigned char c) { return std::isdigit(c) != 0; });
    for (const auto& preset : presets) {
        if (numeric ? std::to_string(preset->number()) == wanted : lower(preset->name()) == lower(wanted)) {
            return preset;
        }
    }
    std::string valid;
    for (const auto& preset : presets) {
        valid += "\n  " + std::to_string(preset->number()) + "  " + preset->name();
    }
    failUsage("unknown preset '" + wanted + "'; the factory presets are:" + valid);
}

std::string fourCC(OSType code) {
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<char>((code >> (24 - 8 * i)) & 0xff);
        text[static_cast<std::size_t>(i)] = std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    }
    return text;
}

std::string readStateFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        fail("cannot load state from '" + path + "': it is a folder");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fail("cannot load state from '" + path + "': " + std::strerror(errno));
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        fail("cannot load state from '" + path + "': read error");
    }
    return text.str();
}

/// A property-list value as a message shows it.
std::string describeValue(const PropertyList& value) {
    std::ostringstream text;
    text.precision(9);
    switch (value.type()) {
    case PropertyList::Type::Boolean:
        return std::string("the boolean ") + (*value.boolean() ? "true" : "false");
    case PropertyList::Type::Integer:
        return "the integer " + std::to_string(*value.integer());
    case PropertyList::Type::Real:
        text << "the number " << *value.real();
        return text.str();
    case PropertyList::Type::String:
        return "the text '" + *value.string() + "'";
    case PropertyList::Type::Data:
        return "data of " + std::to_string(value.data()->size()) + " bytes";
    case PropertyList::Type::Array:
        return "an array";
    case PropertyList::Type::Dictionary:
        return "a dictionary";
    }
    return "a value";
}

/// Refuses a state that the unit would take as applying nothing, naming what makes it so (the unit
/// ignores such a state silently), and warns when the state names another component.
void checkState(const AUAudioUnit& unit, const PropertyListDictionary& state, const std::string& path,
                std::ostream& warnings) {
    const PropertyList* entry = state.find("QuorbelParams");
    if (entry == nullptr) {
        fail("cannot load state from '" + path +
             "': it holds no \"QuorbelParams\" entry, so nothing would apply");
    }
    const PropertyListDictionary* params = entry->dictionary();
    if (params == nullptr) {
        fail("cannot load state from '" + path + "': its \"QuorbelParams\" entry is " +
             describeValue(*entry) + ", not a dictionary; nothing was applied");
    }
    for (const auto& [key, value] : *params) {
        const std::optional<double> number = value.number();
        std::string why;
        if (!number) {
            why = ", not a number";
        } else if (std::isfinite(*number) && std::fabs(*number) > std::numeric_limits<float>::max()) {
            why = ", beyond the 32-bit float range";
        }
        if (!why.empty()) {
            fail("cannot load state from '" + path + "': \"QuorbelParams\" is unusable: \"" + key +
                 "\" holds " + describeValue(value) + why + "; nothing was applied");
        }
    }

    const auto& d = unit.componentDescription();
    bool foreign = false;
    std::string saved;
    for (const auto& [key, expected] :
         {std::pair{"type", d.componentType}, std::pair{"subtype", d.componentSubType},
          std::pair{"manufacturer", d.componentManufacturer}}) {
        const PropertyList* value = state.find(key);
        if (value == nullptr) {
            continue;
        }
        const std::int64_t* code = value->integer();
        foreign = foreign || code == nullptr || *code != static_cast<std::int64_t>(expected);
        saved += std::string(saved.empty() ? "" : ", ") + key + " " +
                 (code != nullptr ? "'" + fourCC(static_cast<OSType>(*code)) + "'" : describeValue(*value));
    }
    if (foreign) {
        warnings << "auhost: warning: state '" << path << "' was saved by another component (" << saved
                 << "; this effect is '" << fourCC(d.componentType) << "' '" << fourCC(d.componentSubType)
                 << "' '" << fourCC(d.componentManufacturer) << "'); applying its \"QuorbelParams\" anyway\n";
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

bool sameValue(AUValue a, AUValue b) {
    return a == b || (std::isnan(a) && std::isnan(b));
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

void checkSettings(const AUAudioUnit& unit, const UnitSettings& settings) {
    if (settings.preset) {
        findPreset(unit, *settings.preset);
    }
    for (const auto& [identifier, text] : settings.values) {
        valueOfText(parameterNamed(unit, identifier), text);
    }
}

void applySettings(AUAudioUnit& unit, const UnitSettings& settings, std::ostream& report,
                   std::ostream& warnings) {
    checkSettings(unit, settings);
    if (settings.preset) {
        unit.setCurrentPreset(findPreset(unit, *settings.preset));
    }
    if (settings.loadStatePath) {
        const std::string& path = *settings.loadStatePath;
        NSError error;
        const auto state = NSPropertyListSerialization::dictionaryWithData(readStateFile(path), &error);
        if (!state) {
            fail("cannot load state from '" + path + "': " + error.localizedDescription());
        }
        checkState(unit, *state, path, warnings);
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
        p.setValue(valueOfText(p, text));
    }
}

std::string stateText(const AUAudioUnit& unit) {
    const auto state = unit.fullState();
    NSError error;
    const auto xml = NSPropertyListSerialization::dataWithPropertyList(
        PropertyList(state.value_or(PropertyListDictionary{})), &error);
    if (!xml) {
        fail("cannot save the state: " + error.localizedDescription());
    }
    return *xml;
}

void printInfo(AUAudioUnit& unit, const AUAudioUnit& fresh, const std::string& origin, std::ostream& out) {
    const auto& d = unit.componentDescription();
    out << unit.componentName() << " (" << fourCC(d.componentType) << " " << fourCC(d.componentSubType) << " "
        << fourCC(d.componentManufacturer) << ") version " << (unit.componentVersion() >> 16) << "."
        << ((unit.componentVersion() >> 8) & 0xff) << "." << (unit.componentVersion() & 0xff) << "\n"
        << origin;
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
    out << "  " << std::left << std::setw(5) << "addr" << std::setw(12) << "identifier" << std::setw(13)
        << "name" << std::setw(14) << "range" << std::setw(13) << "unit" << std::setw(10) << "default"
        << "value\n";
    const auto freshTree = fresh.parameterTree();
    if (const auto tree = unit.parameterTree()) {
        for (const auto& p : tree->children()) {
            const AUParameter* f = freshTree ? freshTree->parameterWithAddress(p->address()) : nullptr;
            std::ostringstream range;
            range << p->minValue() << " .. " << p->maxValue();
            const AUValue v = p->value();
            out << "  " << std::setw(5) << p->address() << std::setw(12) << p->identifier() << std::setw(13)
                << p->displayName() << std::setw(14) << range.str() << std::setw(13) << unitName(p->unit())
                << std::setw(10) << (f ? f->value() : p->value()) << v << " (" << p->stringFromValue(&v)
                << ")\n";
        }
    }
    out << "factory presets:\n";
    for (const auto& preset : unit.factoryPresets()) {
        out << "  " << preset->number() << "  " << preset->name() << "\n";
    }
    const auto current = unit.currentPreset();
    out << "current preset: "
        << (current ? std::to_string(current->number()) + " " + current->name() : "none") << "\n";
    out << "user presets: " << (unit.supportsUserPresets() ? "supported" : "not supported") << "\n";
}

std::int64_t renderThrough(AUAudioUnit& unit, AudioSource& source, AudioSink& sink,
                           const RenderOptions& options, const ProgressCallback& progress) {
    const auto channels = static_cast<AVAudioChannelCount>(source.channels());
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
    const double rate = source.sampleRate();
    NSError error;
    if (!(*inBusses)[0]->setFormat(AVAudioFormat(rate, channels), &error)) {
        fail("the effect does not take " + platform::support::countText(channels, "channel") + " at " +
             std::to_string(static_cast<long>(rate)) + " Hz: " + error.localizedDescription());
    }
    if (!unit.setMaximumFramesToRender(options.blockSize)) {
        fail("the effect refused a block size of " + std::to_string(options.blockSize));
    }
    if (!unit.allocateRenderResources(&error)) {
        fail("the effect could not prepare to render: " + error.localizedDescription());
    }
    struct Deallocate {
        AUAudioUnit& unit;
        ~Deallocate() { unit.deallocateRenderResources(); }
    } deallocate{unit};

    // The effect delays its wet paths (but not the dry one) by up to its reported latency, and rings on
    // for its tail time after that.
    const std::int64_t latencyFrames = std::llround(unit.latency() * rate);
    const std::int64_t tailFrames = std::llround(unit.tailTime() * rate);
    const std::int64_t after = options.length == OutputLength::raw ? 0 : latencyFrames + tailFrames;
    const std::int64_t skip = options.length == OutputLength::compensateLatency ? latencyFrames : 0;
    const std::optional<std::int64_t> expected = source.expectedFrames();
    std::optional<std::int64_t> total; // known once the input has ended

    OwnedAudioBufferList buffers(channels, options.blockSize);
    OwnedAudioBufferList input(channels, options.blockSize);
    std::vector<float*> inputChannels(channels);
    std::vector<const float*> outputChannels(channels);
    for (std::uint32_t ch = 0; ch < channels; ++ch) {
        inputChannels[ch] = input.channel(ch);
    }
    const AURenderPullInputBlock pull = [&](AudioUnitRenderActionFlags*, const AudioTimeStamp*,
                                            AUAudioFrameCount frames, NSInteger, AudioBufferList* data) {
        for (std::uint32_t ch = 0; ch < data->mNumberBuffers && ch < channels; ++ch) {
            auto* dst = static_cast<float*>(data->mBuffers[ch].mData);
            if (dst == nullptr) {
                dst = buffers.channel(ch);
                data->mBuffers[ch].mData = dst;
            }
            std::copy_n(input.channel(ch), frames, dst);
        }
        return noErr;
    };
    const AURenderBlock render = unit.renderBlock();

    std::int64_t position = 0;
    std::int64_t written = 0;
    while (!total || position < *total) {
        std::int64_t frames = total ? std::min<std::int64_t>(options.blockSize, *total - position)
                                    : static_cast<std::int64_t>(options.blockSize);
        std::int64_t got = 0;
        if (!total) {
            got = source.read(inputChannels.data(), frames);
            if (got < frames) {
                total = position + got + after;
                frames = std::min<std::int64_t>(options.blockSize, *total - position);
            }
        }
        for (std::uint32_t ch = 0; ch < channels; ++ch) {
            std::fill(input.channel(ch) + got, input.channel(ch) + frames, 0.0f);
        }
        if (frames == 0) {
            break;
        }
        buffers.prepare(static_cast<AUAudioFrameCount>(frames));
        AudioTimeStamp timestamp;
        timestamp.mSampleTime = static_cast<double>(position);
        timestamp.mFlags = kAudioTimeStampSampleTimeValid;
        AudioUnitRenderActionFlags flags = 0;
        const AUAudioUnitStatus status =
            render(&flags, &timestamp, static_cast<AUAudioFrameCount>(frames), 0, buffers.list(), pull);
        if (status != noErr) {
            fail("the effect failed to render at frame " + std::to_string(position) + " (status " +
                 std::to_string(status) + ")");
        }
        const std::int64_t from = std::clamp<std::int64_t>(skip - position, 0, frames);
        if (from < frames) {
            const AudioBufferList* list = buffers.list();
            for (std::uint32_t ch = 0; ch < channels; ++ch) {
                outputChannels[ch] = static_cast<const float*>(list->mBuffers[ch].mData) + from;
            }
            sink.write(outputChannels.data(), frames - from);
            written += frames - from;
        }
        position += frames;
        if (progress && expected && *expected + after > 0) {
            progress(static_cast<double>(position) / static_cast<double>(*expected + after));
        }
    }
    return written;
}

} // namespace auhost
