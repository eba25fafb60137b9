#pragma once
/// The host's side of Audio Unit extensions: finds extension bundles in folders, reads what their
/// Info.plist offers, and instantiates units by component description through the extension's
/// principal object (see AUExtension.h for what an extension is).

#include "audiotoolbox/AUAudioUnit.h"
#include "audiotoolbox/AUExtension.h"
#include "audiotoolbox/AudioComponent.h"
#include "audiotoolbox/NSError.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

/// A unit that an extension offers, as its Info.plist describes it.
struct AudioComponentEntry {
    AudioComponentDescription description;
    std::string name;
    std::uint32_t version = 0;
    /// The extension bundle (the .appex folder) and its library.
    std::string bundlePath;
    std::string executablePath;
    /// The class of the extension's principal object.
    std::string principalClass;
};

/// The components found in the folders scanned so far. Scanning registers each component's name and
/// version with the process's component register (AudioComponentRegister), so that the units made
/// from it report them. An extension's library is loaded (dlopen) on first use, once, and its principal
/// object made once; libraries are never unloaded (objects they made may outlive the registry), the
/// principal objects are released with the registry. One thread at a time (the host's main thread);
/// everything allocates.
class AudioComponentRegistry {
public:
    AudioComponentRegistry();
    ~AudioComponentRegistry();
    AudioComponentRegistry(const AudioComponentRegistry&) = delete;
    AudioComponentRegistry& operator=(const AudioComponentRegistry&) = delete;

    /// Adds the extensions at `path`: an extension bundle (*.appex), an application bundle (*.app, whose
    /// Contents/PlugIns holds extensions), or a folder holding either, in name order. Fails
    /// (NSFileReadNoSuchFileError) when `path` is missing, not a folder or cannot be read (the system's
    /// reason: a loop of symbolic links, a permission). A bundle whose Info.plist is missing or unusable
    /// is skipped, its reason kept in problems(); a bundle already scanned is not added again.
    bool scan(const std::string& path, NSError* outError);

    /// Every component found, in scanning order.
    const std::vector<AudioComponentEntry>& components() const { return components_; }
    /// Why bundles were skipped (NSFileReadCorruptFileError), in scanning order, each as "the extension
    /// 'PATH': it cannot be used: REASON".
    const std::vector<NSError>& problems() const { return problems_; }

    /// The first component whose type, subtype and manufacturer match; a zero field matches any value.
    const AudioComponentEntry* find(const AudioComponentDescription& description) const;

    /// Loads the library of the extension holding `entry` and finds its entry point, without calling it:
    /// what principalObject does first, so that a host can tell a usable extension from one that is not
    /// before it needs a unit. Fails with NSExecutableLoadError (the library does not load) or
    /// NSExecutableLinkError (no entry point), the message naming the bundle.
    bool loadBundle(const AudioComponentEntry& entry, NSError* outError);

    /// The principal object of the extension holding `entry`: loads its library and calls its entry
    /// point the first time, then returns the same object. Fails with loadBundle's errors or the entry
    /// point's own.
    std::optional<AUExtensionPrincipalObject> principalObject(const AudioComponentEntry& entry,
                                                              NSError* outError);

    /// A new unit of the first component matching `description`, made by its extension's factory for
    /// the component's full description. Fails with NSFileNoSuchFileError when nothing matches, with
    /// principalObject's errors, or with the factory's error (its domain and code, the message naming
    /// the component and bundle).
    std::shared_ptr<AUAudioUnit> instantiate(const AudioComponentDescription& description, NSError* outError);

private:
    struct Bundle;

    void addBundle(const std::string& path);
    Bundle* bundleOf(const AudioComponentEntry& entry, NSError* outError);
    AUExtensionEntryPoint entryPointOf(Bundle& bundle, NSError* outError);

    std::vector<std::unique_ptr<Bundle>> bundles_;
    std::vector<AudioComponentEntry> components_;
    std::vector<NSError> problems_;
};

} // namespace platform
