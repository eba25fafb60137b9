#pragma once
#include "audiotoolbox/PropertyList.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

/// Stand-in for Foundation's bundle: a folder `X/Contents/` holding `Info.plist` (the information
/// dictionary) and `MacOS/` (the executable). The dictionary is read once, when the bundle object is made,
/// with the property-list reader; a bundle without a readable dictionary whose root is a dictionary has
/// none. Immutable once made, so any thread may read it.
class NSBundle {
public:
    /// The bundle of the running program (`NSBundle.mainBundle`), found from the executable's own path
    /// (/proc/self/exe, symbolic links resolved): the folder X when the executable is X/Contents/MacOS/name,
    /// otherwise the folder holding the executable, which has no information dictionary. Made on first
    /// use; allocates then.
    static const NSBundle& mainBundle();

    /// The bundle at the folder `path` (`bundleWithPath:`), or null when there is no such folder. Allocates,
    /// reads the file system.
    static std::shared_ptr<NSBundle> bundleWithPath(const std::string& path);

    /// The bundle folder of an executable at `executablePath`: X for X/Contents/MacOS/name, otherwise the
    /// folder holding the executable. Only the path's text is looked at.
    static std::string bundlePathForExecutable(std::string_view executablePath);

    /// The bundle folder's path.
    const std::string& bundlePath() const { return path_; }
    /// The information dictionary, or null when the bundle has none (no Contents/Info.plist, unreadable,
    /// not a property list, or its root not a dictionary).
    const PropertyListDictionary* infoDictionary() const { return info_ ? &*info_ : nullptr; }
    /// The dictionary's value under `key` (`objectForInfoDictionaryKey:`), or null.
    const PropertyList* objectForInfoDictionaryKey(std::string_view key) const;

    /// A bundle at `path`, its dictionary read from `path`/Contents/Info.plist when `readInfo`.
    NSBundle(std::string path, bool readInfo);

private:
    std::string path_;
    std::optional<PropertyListDictionary> info_;
};

} // namespace platform
