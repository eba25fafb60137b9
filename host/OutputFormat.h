#pragma once
/// The file formats auhost writes, chosen by the output file's extension.

#include <string>

namespace auhost {

/// What an output file will hold.
struct OutputFormat {
    int format = 0;               ///< libsndfile format word (container | sample format)
    bool keepsChannelMap = false; ///< whether the file stores which speaker each channel feeds
};

/// The extensions auhost writes, comma-separated, for messages.
std::string knownExtensions();

/// The extension of `path` in lower case, with its dot (".wav"); empty when the name has none.
std::string lowercaseExtension(const std::string& path);
/// Whether `extension` (from lowercaseExtension) names a format auhost writes.
bool writesExtension(const std::string& extension);
/// Why `extension` (from lowercaseExtension) names no format auhost writes, for messages: "its name has no
/// extension" or "unknown extension '.x'".
std::string unknownExtensionReason(const std::string& extension);

/// Chooses the format of `path`. The container follows the extension (any case); a name without one
/// takes `fallbackContainer` when that is not 0. The sample format is `subtype` where the container holds
/// it at `channels` and `sampleRate`, else the container's usual one (24-bit for the lossless ones). A
/// .wav with a channel map is written in the extensible form, which stores the map. Throws
/// std::runtime_error naming the known extensions when the extension is unknown or missing, and when the
/// container cannot hold the audio at all.
OutputFormat chooseOutputFormat(const std::string& path, int subtype, int channels, int sampleRate,
                                bool hasChannelMap, int fallbackContainer = 0);

} // namespace auhost
