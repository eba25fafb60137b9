#include "foundation/NSBundle.h"

#include "audiotoolbox/NSPropertyListSerialization.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace platform {

namespace {

/// The dictionary in `file`, or none when it cannot be read or is not a property list with a dictionary
/// at its root.
std::optional<PropertyListDictionary> readInfoDictionary(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return std::nullopt;
    }
    return NSPropertyListSerialization::dictionaryWithData(text, nullptr);
}

} // namespace

NSBundle::NSBundle(std::string path, bool readInfo) : path_(std::move(path)) {
    if (readInfo) {
        info_ = readInfoDictionary(std::filesystem::path(path_) / "Contents" / "Info.plist");
    }
}

std::string NSBundle::bundlePathForExecutable(std::string_view executablePath) {
    const std::filesystem::path exe(executablePath);
    const std::filesystem::path folder = exe.parent_path();
    if (folder.filename() == "MacOS" && folder.parent_path().filename() == "Contents" &&
        folder.parent_path().has_parent_path()) {
        return folder.parent_path().parent_path().string();
    }
    return folder.string();
}

const NSBundle& NSBundle::mainBundle() {
    static const NSBundle bundle = [] {
        std::error_code error;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error) {
            return NSBundle(std::string(), false);
        }
        const std::string path = bundlePathForExecutable(exe.string());
        // Only a real bundle has an information dictionary; a bare program's folder has none.
        const bool inBundle = path != exe.parent_path().string();
        return NSBundle(path, inBundle);
    }();
    return bundle;
}

std::shared_ptr<NSBundle> NSBundle::bundleWithPath(const std::string& path) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_directory(path, error)) {
        return nullptr;
    }
    return std::make_shared<NSBundle>(path, true);
}

const PropertyList* NSBundle::objectForInfoDictionaryKey(std::string_view key) const {
    return info_ ? info_->find(key) : nullptr;
}

} // namespace platform
