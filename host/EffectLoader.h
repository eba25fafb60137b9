#pragma once
/// How auhost finds the effect: it scans folders for extension bundles through the platform's component
/// registry and loads the effect's extension from there, never linking the effect's code.

#include "audiotoolbox/AudioComponentRegistry.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace auhost {

/// The environment variable holding further folders to search, separated by colons.
inline constexpr const char* kPluginPathVariable = "AUHOST_PLUGIN_PATH";

/// A folder to search and whether it must exist (the one the user named with --plugin).
struct SearchFolder {
    std::string path;
    bool required = false;
};

/// The folders to search, in order: `plugin` (--plugin) when given, then each non-empty entry of
/// AUHOST_PLUGIN_PATH, then the folders beside auhost's own build tree (../extension, and ../app, whose
/// Quorbel.app carries the extension) and install tree (../lib/quorbel, holding the installed Quorbel.app),
/// those only when they exist.
std::vector<SearchFolder> pluginSearchPath(const std::optional<std::string>& plugin);

/// The component registry after a scan of the search path, and the effect loaded through it.
class EffectLoader {
public:
    /// Scans every folder of the search path. Throws std::runtime_error, naming `plugin` and the reason,
    /// when it is given and offers no usable effect (it cannot be scanned, holds no bundle offering the
    /// effect, or that bundle's library does not load or lacks the entry point): what the user names is
    /// what runs. A folder of AUHOST_PLUGIN_PATH that cannot be scanned, and every bundle skipped, are
    /// reported to `warnings`.
    EffectLoader(const std::optional<std::string>& plugin, std::ostream& warnings);
    ~EffectLoader();
    EffectLoader(const EffectLoader&) = delete;
    EffectLoader& operator=(const EffectLoader&) = delete;

    platform::AudioComponentRegistry& registry() { return registry_; }
    /// The folders scanned, in order.
    const std::vector<std::string>& searched() const { return searched_; }

    /// The effect's component as the first bundle that offers it describes it. Throws
    /// std::runtime_error, naming the folders searched, when none offers it.
    const platform::AudioComponentEntry& effect() const;
    /// Which bundle the effect comes from, with its version, and each later bundle that offers it too
    /// and is shadowed by it; one line each.
    std::string origin() const;
    /// A new unit of the effect, made by its extension's factory. Throws std::runtime_error with the
    /// registry's reason when the extension cannot be loaded or refuses.
    std::shared_ptr<platform::AUAudioUnit> createUnit();
    /// The effect's extension's principal object (its factory and view controller), loaded if need be.
    platform::AUExtensionPrincipalObject principalObject();

private:
    /// Throws unless the effect, found first in `folder` (scanned first), is usable.
    void requireEffectIn(const std::string& folder);

    platform::AudioComponentRegistry registry_;
    std::vector<std::string> searched_;
};

/// Runs the work queued on the main queue, and the work that it queues, until the queue is empty. Main
/// thread.
void drainMainQueue();

/// A component's four-character codes, "aufx qrbl Qrbl".
std::string describeComponent(const platform::AudioComponentDescription& description);
/// A component version as major.minor.patch.
std::string versionText(std::uint32_t version);

} // namespace auhost
