#include "audiotoolbox/AudioComponentRegistry.h"

#include "audiotoolbox/NSPropertyListSerialization.h"

#include <algorithm>
#include <cerrno>
#include <dlfcn.h>
#include <exception>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <sys/stat.h>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

struct AudioComponentRegistry::Bundle {
    std::string path;
    std::string executablePath;
    std::string principalClass;
    void* library = nullptr;
    std::optional<AUExtensionPrincipalObject> principal;
};

namespace {

NSError cocoaError(NSInteger code, std::string message) {
    return NSError(NSCocoaErrorDomain, code, std::move(message));
}

template <typename T> T failWith(NSError* outError, NSError error) {
    if (outError != nullptr) {
        *outError = std::move(error);
    }
    return T{};
}

std::string inQuotes(const std::string& text) {
    return "'" + text + "'";
}

std::string describe(const AudioComponentDescription& d) {
    return stringFromFourCharCode(d.componentType) + " " + stringFromFourCharCode(d.componentSubType) + " " +
           stringFromFourCharCode(d.componentManufacturer);
}

bool hasExtension(const fs::path& path, const char* extension) {
    return path.extension() == extension;
}

/// The folder's entries in name order, or none and the system's reason when it cannot be read.
std::optional<std::vector<fs::path>> sortedEntries(const fs::path& folder, std::error_code& ec) {
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        entries.push_back(it->path());
    }
    if (ec) {
        return std::nullopt;
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

/// What a bundle's Info.plist offers, or the reason it cannot be used.
struct BundleInfo {
    std::string executable;
    std::string principalClass;
    std::vector<AudioComponentEntry> components;
};

const std::string* textAt(const PropertyListDictionary& dict, const char* key) {
    const PropertyList* value = dict.find(key);
    return value != nullptr ? value->string() : nullptr;
}

std::optional<AudioComponentEntry> componentFrom(const PropertyList& item, std::size_t index,
                                                 std::string& why) {
    const std::string where = "AudioComponents item " + std::to_string(index);
    const PropertyListDictionary* dict = item.dictionary();
    if (dict == nullptr) {
        why = where + " is not a dictionary";
        return std::nullopt;
    }
    AudioComponentEntry entry;
    const std::pair<const char*, OSType*> codes[] = {
        {"type", &entry.description.componentType},
        {"subtype", &entry.description.componentSubType},
        {"manufacturer", &entry.description.componentManufacturer}};
    for (const auto& [key, field] : codes) {
        const std::string* text = textAt(*dict, key);
        const auto code = text != nullptr ? fourCharCodeFromString(*text) : std::nullopt;
        if (!code) {
            why = where + ": \"" + key + "\" must be a text of four printable characters";
            return std::nullopt;
        }
        *field = *code;
    }
    const std::string* name = textAt(*dict, "name");
    if (name == nullptr || name->empty()) {
        why = where + ": \"name\" must be a non-empty text";
        return std::nullopt;
    }
    entry.name = *name;
    const PropertyList* version = dict->find("version");
    const std::int64_t* number = version != nullptr ? version->integer() : nullptr;
    if (number == nullptr || *number < 0 || *number > std::numeric_limits<std::uint32_t>::max()) {
        why = where + ": \"version\" must be an integer from 0 to 4294967295";
        return std::nullopt;
    }
    entry.version = static_cast<std::uint32_t>(*number);
    return entry;
}

std::optional<BundleInfo> readBundleInfo(const fs::path& bundle, std::string& why) {
    const fs::path plistPath = bundle / "Contents" / "Info.plist";
    std::ifstream in(plistPath, std::ios::binary);
    if (!in) {
        why = "it has no readable Contents/Info.plist";
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    NSError error;
    const auto plist = NSPropertyListSerialization::dictionaryWithData(text.str(), &error);
    if (!plist) {
        why = "Contents/Info.plist: " + error.localizedDescription();
        return std::nullopt;
    }
    BundleInfo info;
    const std::string* executable = textAt(*plist, "CFBundleExecutable");
    info.executable = executable != nullptr ? *executable : bundle.stem().string();
    if (info.executable.empty() || info.executable.find('/') != std::string::npos) {
        why = "Contents/Info.plist: \"CFBundleExecutable\" must be a plain file name";
        return std::nullopt;
    }
    const PropertyList* extension = plist->find("NSExtension");
    const PropertyListDictionary* ext = extension != nullptr ? extension->dictionary() : nullptr;
    const std::string* principal = ext != nullptr ? textAt(*ext, "NSExtensionPrincipalClass") : nullptr;
    if (principal == nullptr || principal->empty()) {
        why = "Contents/Info.plist has no \"NSExtension\" dictionary with an \"NSExtensionPrincipalClass\" "
              "text";
        return std::nullopt;
    }
    info.principalClass = *principal;
    const PropertyList* attributes = ext->find("NSExtensionAttributes");
    const PropertyListDictionary* attrs = attributes != nullptr ? attributes->dictionary() : nullptr;
    const PropertyList* components = attrs != nullptr ? attrs->find("AudioComponents") : nullptr;
    const PropertyList::Array* list = components != nullptr ? components->array() : nullptr;
    if (list == nullptr || list->empty()) {
        why = "Contents/Info.plist has no \"AudioComponents\" array (in NSExtension, NSExtensionAttributes) "
              "with at least one component";
        return std::nullopt;
    }
    for (std::size_t i = 0; i < list->size(); ++i) {
        auto entry = componentFrom((*list)[i], i, why);
        if (!entry) {
            why = "Contents/Info.plist: " + why;
            return std::nullopt;
        }
        info.components.push_back(std::move(*entry));
    }
    return info;
}

} // namespace

AudioComponentRegistry::AudioComponentRegistry() = default;
AudioComponentRegistry::~AudioComponentRegistry() = default;

bool AudioComponentRegistry::scan(const std::string& path, NSError* outError) {
    const auto unreadable = [&](const std::string& what, const std::error_code& why) {
        return failWith<bool>(
            outError, cocoaError(NSFileReadNoSuchFileError, what + " cannot be read: " + why.message()));
    };
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        const std::error_code why(errno, std::generic_category());
        if (why == std::errc::no_such_file_or_directory) {
            return failWith<bool>(outError,
                                  cocoaError(NSFileReadNoSuchFileError, inQuotes(path) + " does not exist"));
        }
        return unreadable(inQuotes(path), why);
    }
    if (!S_ISDIR(status.st_mode)) {
        return failWith<bool>(outError,
                              cocoaError(NSFileReadNoSuchFileError, inQuotes(path) + " is not a folder"));
    }
    std::error_code ec;
    const fs::path folder = fs::weakly_canonical(fs::path(path), ec);
    if (ec) {
        return unreadable(inQuotes(path), ec);
    }
    if (hasExtension(folder, ".appex")) {
        addBundle(folder.string());
        return true;
    }
    const fs::path listed = hasExtension(folder, ".app") ? folder / "Contents" / "PlugIns" : folder;
    const auto entries = sortedEntries(listed, ec);
    if (!entries) {
        if (hasExtension(folder, ".app") &&
            (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory)) {
            return true; // an application without extensions
        }
        return unreadable("the folder " + inQuotes(listed.string()), ec);
    }
    for (const fs::path& entry : *entries) {
        if (!fs::is_directory(entry, ec)) {
            continue;
        }
        if (hasExtension(entry, ".appex")) {
            addBundle(entry.string());
        } else if (hasExtension(entry, ".app")) {
            if (const auto plugins = sortedEntries(entry / "Contents" / "PlugIns", ec)) {
                for (const fs::path& plugin : *plugins) {
                    if (hasExtension(plugin, ".appex") && fs::is_directory(plugin, ec)) {
                        addBundle(plugin.string());
                    }
                }
            }
        }
    }
    return true;
}

void AudioComponentRegistry::addBundle(const std::string& path) {
    for (const auto& bundle : bundles_) {
        if (bundle->path == path) {
            return;
        }
    }
    std::string why;
    auto info = readBundleInfo(path, why);
    if (!info) {
        problems_.push_back(cocoaError(NSFileReadCorruptFileError,
                                       "the extension " + inQuotes(path) + ": it cannot be used: " + why));
        return;
    }
    auto bundle = std::make_unique<Bundle>();
    bundle->path = path;
    bundle->executablePath = (fs::path(path) / "Contents" / "MacOS" / info->executable).string();
    bundle->principalClass = info->principalClass;
    for (AudioComponentEntry& entry : info->components) {
        entry.bundlePath = bundle->path;
        entry.executablePath = bundle->executablePath;
        entry.principalClass = bundle->principalClass;
        const AudioComponentEntry* earlier = find(entry.description);
        if (earlier == nullptr) {
            AudioComponentRegister(entry.description, entry.name, entry.version);
        }
        components_.push_back(std::move(entry));
    }
    bundles_.push_back(std::move(bundle));
}

const AudioComponentEntry* AudioComponentRegistry::find(const AudioComponentDescription& description) const {
    const auto matches = [](OSType wanted, OSType actual) { return wanted == 0 || wanted == actual; };
    for (const AudioComponentEntry& entry : components_) {
        const AudioComponentDescription& d = entry.description;
        if (matches(description.componentType, d.componentType) &&
            matches(description.componentSubType, d.componentSubType) &&
            matches(description.componentManufacturer, d.componentManufacturer)) {
            return &entry;
        }
    }
    return nullptr;
}

AudioComponentRegistry::Bundle* AudioComponentRegistry::bundleOf(const AudioComponentEntry& entry,
                                                                 NSError* outError) {
    for (const auto& bundle : bundles_) {
        if (bundle->path == entry.bundlePath) {
            return bundle.get();
        }
    }
    return failWith<Bundle*>(outError,
                             cocoaError(NSFileNoSuchFileError, "the extension " + inQuotes(entry.bundlePath) +
                                                                   " was not found by this registry"));
}

AUExtensionEntryPoint AudioComponentRegistry::entryPointOf(Bundle& bundle, NSError* outError) {
    const std::string where = "the extension " + inQuotes(bundle.path);
    if (bundle.library == nullptr) {
        // Resolved at once, so that a missing symbol shows here and not in the middle of rendering.
        bundle.library = dlopen(bundle.executablePath.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (bundle.library == nullptr) {
            const char* why = dlerror();
            return failWith<AUExtensionEntryPoint>(
                outError, cocoaError(NSExecutableLoadError, where + ": its library does not load: " +
                                                                (why != nullptr ? why : "unknown reason")));
        }
    }
    void* symbol = dlsym(bundle.library, AUExtensionEntryPointName);
    if (symbol == nullptr) {
        return failWith<AUExtensionEntryPoint>(
            outError,
            cocoaError(NSExecutableLinkError, where + ": its library " + inQuotes(bundle.executablePath) +
                                                  " exports no " + AUExtensionEntryPointName));
    }
    return reinterpret_cast<AUExtensionEntryPoint>(symbol);
}

bool AudioComponentRegistry::loadBundle(const AudioComponentEntry& entry, NSError* outError) {
    Bundle* bundle = bundleOf(entry, outError);
    return bundle != nullptr && (bundle->principal || entryPointOf(*bundle, outError) != nullptr);
}

std::optional<AUExtensionPrincipalObject>
AudioComponentRegistry::principalObject(const AudioComponentEntry& entry, NSError* outError) {
    Bundle* bundle = bundleOf(entry, outError);
    if (bundle == nullptr) {
        return std::nullopt;
    }
    if (bundle->principal) {
        return bundle->principal;
    }
    const AUExtensionEntryPoint entryPoint = entryPointOf(*bundle, outError);
    if (entryPoint == nullptr) {
        return std::nullopt;
    }
    const std::string where = "the extension " + inQuotes(bundle->path);
    AUExtensionPrincipalObject principal;
    NSError error;
    if (!entryPoint(bundle->principalClass.c_str(), &principal, &error) || !principal.factory) {
        const std::string why =
            error.localizedDescription().empty() ? "no reason given" : error.localizedDescription();
        return failWith<std::optional<AUExtensionPrincipalObject>>(
            outError, NSError(error.domain().empty() ? NSCocoaErrorDomain : error.domain(), error.code(),
                              where + " could not make its principal object " +
                                  inQuotes(bundle->principalClass) + ": " + why));
    }
    bundle->principal = std::move(principal);
    return bundle->principal;
}

std::shared_ptr<AUAudioUnit> AudioComponentRegistry::instantiate(const AudioComponentDescription& description,
                                                                 NSError* outError) {
    const AudioComponentEntry* entry = find(description);
    if (entry == nullptr) {
        return failWith<std::shared_ptr<AUAudioUnit>>(
            outError,
            cocoaError(NSFileNoSuchFileError, "no extension offers the component " + describe(description)));
    }
    const auto principal = principalObject(*entry, outError);
    if (!principal) {
        return nullptr;
    }
    NSError error;
    std::shared_ptr<AUAudioUnit> unit;
    try {
        unit = principal->factory->createAudioUnit(entry->description, &error);
    } catch (const std::exception& e) {
        error = NSError(NSOSStatusErrorDomain, kAudioUnitErr_FailedInitialization, e.what());
    }
    if (!unit) {
        const std::string why =
            error.localizedDescription().empty() ? "no reason given" : error.localizedDescription();
        return failWith<std::shared_ptr<AUAudioUnit>>(
            outError, NSError(error.domain().empty() ? NSOSStatusErrorDomain : error.domain(),
                              error.domain().empty() ? kAudioUnitErr_FailedInitialization : error.code(),
                              inQuotes(entry->name) + " (" + describe(entry->description) + ") in " +
                                  inQuotes(entry->bundlePath) + " could not be created: " + why));
    }
    return unit;
}

} // namespace platform
