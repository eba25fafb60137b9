#include "host/EffectLoader.h"

#include "audiounit/QuorbelComponent.h"
#include "ui/DispatchQueue.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace auhost {

namespace fs = std::filesystem;
using namespace platform;

namespace {

/// What auhost looks for: the effect's component (a copy of the constant, so that nothing of the effect's
/// own namespace is defined here).
constexpr AudioComponentDescription kEffect = quorbel::kQuorbelComponentDescription;

[[noreturn]] void fail(const std::string& message) {
    throw std::runtime_error(message);
}

/// The folder holding the running auhost, or none when the system does not say.
std::optional<fs::path> executableFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec || self.empty()) {
        return std::nullopt;
    }
    return self.parent_path();
}

} // namespace

std::string describeComponent(const AudioComponentDescription& d) {
    return stringFromFourCharCode(d.componentType) + " " + stringFromFourCharCode(d.componentSubType) + " " +
           stringFromFourCharCode(d.componentManufacturer);
}

std::string versionText(std::uint32_t version) {
    return std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 0xffu) + "." +
           std::to_string(version & 0xffu);
}

std::vector<SearchFolder> pluginSearchPath(const std::optional<std::string>& plugin) {
    std::vector<SearchFolder> folders;
    if (plugin) {
        folders.push_back({*plugin, true});
    }
    if (const char* variable = std::getenv(kPluginPathVariable)) {
        const std::string list = variable;
        for (std::size_t start = 0; start <= list.size();) {
            const std::size_t end = std::min(list.find(':', start), list.size());
            if (end > start) {
                folders.push_back({list.substr(start, end - start), false});
            }
            start = end + 1;
        }
    }
    if (const auto here = executableFolder()) {
        // Build tree: the extension alone, then the application carrying it; install tree: the application.
        for (const fs::path& beside :
             {*here / ".." / "extension", *here / ".." / "app", *here / ".." / "lib" / "quorbel"}) {
            std::error_code ec;
            if (fs::is_directory(beside, ec)) {
                folders.push_back({fs::weakly_canonical(beside, ec).string(), false});
            }
        }
    }
    return folders;
}

EffectLoader::EffectLoader(const std::optional<std::string>& plugin, std::ostream& warnings) {
    for (const SearchFolder& folder : pluginSearchPath(plugin)) {
        const std::size_t skippedBefore = registry_.problems().size();
        NSError error;
        if (!registry_.scan(folder.path, &error)) {
            if (folder.required) {
                fail("--plugin: " + error.localizedDescription());
            }
            warnings << "auhost: warning: " << kPluginPathVariable << ": " << error.localizedDescription()
                     << "\n";
            continue;
        }
        if (folder.required) {
            requireEffectIn(folder.path);
        }
        for (std::size_t i = skippedBefore; i < registry_.problems().size(); ++i) {
            warnings << "auhost: warning: skipped " << registry_.problems()[i].localizedDescription() << "\n";
        }
        searched_.push_back(folder.path);
    }
}

void EffectLoader::requireEffectIn(const std::string& folder) {
    // The folder the user named is scanned first: everything the registry holds comes from it.
    std::vector<std::string> reasons;
    if (const AudioComponentEntry* entry = registry_.find(kEffect)) {
        NSError error;
        if (registry_.loadBundle(*entry, &error)) {
            return;
        }
        reasons.push_back(error.localizedDescription());
    } else {
        for (const NSError& problem : registry_.problems()) {
            reasons.push_back("skipped " + problem.localizedDescription());
        }
        std::string offered;
        for (const AudioComponentEntry& other : registry_.components()) {
            offered += (offered.empty() ? "" : ", ") + describeComponent(other.description);
        }
        if (!offered.empty()) {
            reasons.push_back("its extensions offer only " + offered);
        }
        if (reasons.empty()) {
            reasons.push_back("it holds no extension bundle (.appex)");
        }
    }
    std::string message =
        "--plugin: '" + folder + "' offers no usable effect (" + describeComponent(kEffect) + ")";
    for (std::size_t i = 0; i < reasons.size(); ++i) {
        message += (i == 0 ? ": " : "; ") + reasons[i];
    }
    fail(message);
}

EffectLoader::~EffectLoader() {
    // The principal object queues work for the main queue that holds it (its first connection to a new
    // unit). Run it now, while the objects it refers to live, rather than leave the extension's objects
    // to the queue's end at exit.
    drainMainQueue();
}

void drainMainQueue() {
    // Work may queue more work (a refresh that moves a knob sets its parameter, whose notification queues
    // one more refresh, which changes nothing): drain until nothing is left, within reason.
    for (int round = 0; round < 1000 && !DispatchQueue::main().empty(); ++round) {
        DispatchQueue::main().drain();
    }
}

const AudioComponentEntry& EffectLoader::effect() const {
    if (const AudioComponentEntry* entry = registry_.find(kEffect)) {
        return *entry;
    }
    std::string message = "the effect (" + describeComponent(kEffect) + ") was not found; searched:";
    for (const std::string& folder : searched_) {
        message += "\n  " + folder;
    }
    if (searched_.empty()) {
        message += " nothing (give --plugin PATH or set " + std::string(kPluginPathVariable) + ")";
    }
    fail(message);
}

std::string EffectLoader::origin() const {
    const AudioComponentEntry& used = effect();
    std::string lines = "loaded from: " + used.bundlePath + ", version " + versionText(used.version) + "\n";
    for (const AudioComponentEntry& entry : registry_.components()) {
        if (&entry != &used && entry.description == used.description) {
            lines += "shadowed: " + entry.bundlePath + ", version " + versionText(entry.version) +
                     " (it offers the effect too, and was found later)\n";
        }
    }
    return lines;
}

std::shared_ptr<AUAudioUnit> EffectLoader::createUnit() {
    NSError error;
    auto unit = registry_.instantiate(effect().description, &error);
    if (!unit) {
        fail("cannot create the effect: " + error.localizedDescription());
    }
    return unit;
}

AUExtensionPrincipalObject EffectLoader::principalObject() {
    NSError error;
    auto principal = registry_.principalObject(effect(), &error);
    if (!principal) {
        fail("cannot load the effect: " + error.localizedDescription());
    }
    return *principal;
}

} // namespace auhost
