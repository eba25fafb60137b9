// End to end through auhost: the host's buffer size does not change what the effect renders.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

/// The interleaved float samples of a file (empty when it cannot be read).
std::vector<float> readSamples(const fs::path& file) {
    SF_INFO info{};
    SNDFILE* f = sf_open(file.c_str(), SFM_READ, &info);
    if (f == nullptr) {
        return {};
    }
    std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(f, samples.data(), info.frames);
    sf_close(f);
    return samples;
}

TEST(AuhostBlockSize, CallsBeyond6144FramesRenderAsSmallOnesDo) {
    const fs::path dir = fs::temp_directory_path() / ("auhost-block-size-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);

    // An impulse at 20000 (long after the first tick) in 3 s of silence, both channels, 32-bit float.
    constexpr sf_count_t frames = 3 * 44100;
    constexpr sf_count_t at = 20000;
    std::vector<float> in(static_cast<std::size_t>(frames * 2), 0.0f);
    in[static_cast<std::size_t>(at * 2)] = in[static_cast<std::size_t>(at * 2 + 1)] = 1.0f;
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open((dir / "impulse.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(sf_writef_float(f, in.data(), frames), frames);
    sf_close(f);

    std::vector<float> out[2];
    const char* sizes[2] = {"512", "65536"};
    for (int i = 0; i < 2; ++i) {
        const fs::path rendered = dir / (std::string("out-") + sizes[i] + ".wav");
        const std::string cmd = std::string(AUHOST_PATH) + " render " + (dir / "impulse.wav").string() + " " +
                                rendered.string() + " --block-size " + sizes[i] + " >/dev/null 2>&1";
        const int status = std::system(cmd.c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << cmd;
        out[i] = readSamples(rendered);
    }
    fs::remove_all(dir);

    ASSERT_FALSE(out[0].empty());
    EXPECT_EQ(out[1], out[0]);
    // The wet response is all there: the 16384-point kernel's spectral path answers 24576 samples after
    // the dry impulse (found where it landed, wherever the host aligns the output).
    const auto dry = std::find_if(out[1].begin(), out[1].end(), [](float x) { return std::fabs(x) > 0.1f; });
    ASSERT_NE(dry, out[1].end());
    const auto from = static_cast<std::size_t>(dry - out[1].begin()) + 2 * 24576;
    float late = 0.0f;
    for (std::size_t k = from; k < std::min(out[1].size(), from + 2 * 8192); ++k) {
        late = std::max(late, std::fabs(out[1][k]));
    }
    EXPECT_GT(late, 1e-3f);
}

} // namespace
