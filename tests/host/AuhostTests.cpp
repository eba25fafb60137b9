// End-to-end tests of the auhost command line, run as a process in a folder of its own: output length and
// latency, formats, what it may replace, memory, damaged input, settings and state files, usage errors.

#include <cairo.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

/// An audio file's contents as libsndfile reads them.
struct Sound {
    SF_INFO info{};
    std::vector<std::vector<float>> channels;
    std::vector<int> map;
    std::int64_t frames() const {
        return channels.empty() ? 0 : static_cast<std::int64_t>(channels[0].size());
    }
};

Sound readSound(const std::string& path) {
    Sound s;
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &s.info);
    if (f == nullptr) {
        ADD_FAILURE() << "cannot read " << path << ": " << sf_strerror(nullptr);
        return s;
    }
    const auto n = static_cast<std::size_t>(s.info.channels);
    std::vector<float> all(static_cast<std::size_t>(s.info.frames) * n);
    const auto got = static_cast<std::size_t>(sf_readf_float(f, all.data(), s.info.frames));
    s.channels.assign(n, std::vector<float>(got));
    for (std::size_t i = 0; i < got; ++i) {
        for (std::size_t ch = 0; ch < n; ++ch) {
            s.channels[ch][i] = all[i * n + ch];
        }
    }
    s.map.resize(n);
    if (sf_command(f, SFC_GET_CHANNEL_MAP_INFO, s.map.data(), static_cast<int>(n * sizeof(int))) != SF_TRUE) {
        s.map.clear();
    }
    sf_close(f);
    return s;
}

void writeSound(const std::string& path, int format, int rate,
                const std::vector<std::vector<float>>& channels, std::vector<int> map = {}) {
    SF_INFO info{};
    info.format = format;
    info.samplerate = rate;
    info.channels = static_cast<int>(channels.size());
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    if (!map.empty()) {
        sf_command(f, SFC_SET_CHANNEL_MAP_INFO, map.data(), static_cast<int>(map.size() * sizeof(int)));
    }
    const std::size_t frames = channels[0].size();
    std::vector<float> all(frames * channels.size());
    for (std::size_t i = 0; i < frames; ++i) {
        for (std::size_t ch = 0; ch < channels.size(); ++ch) {
            all[i * channels.size() + ch] = channels[ch][i];
        }
    }
    sf_writef_float(f, all.data(), static_cast<sf_count_t>(frames));
    sf_close(f);
}

class Auhost : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("auhost-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    /// Runs auhost (or a copy of it at `program`) with `args`; `prefix` goes before the command (a time
    /// limit, an environment, say).
    Result run(const std::string& args, const std::string& prefix = "",
               const std::string& program = AUHOST_PATH) const {
        const std::string out = path("stdout.txt");
        const std::string err = path("stderr.txt");
        const std::string cmd = prefix + program + " " + args + " >" + out + " 2>" + err;
        const int raw = std::system(cmd.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    }

    /// Runs auhost and returns its peak resident set in kilobytes.
    long peakKilobytes(const std::string& args) const {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const std::string cmd = "exec " + std::string(AUHOST_PATH) + " " + args + " >/dev/null 2>&1";
            ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << args;
        return usage.ru_maxrss;
    }

    static std::string slurp(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    /// A stereo 44.1 kHz test file: a sine on the left, a click train on the right.
    std::string writeInput(const std::string& name, std::int64_t frames, int format) const {
        std::vector<std::vector<float>> audio(2, std::vector<float>(static_cast<std::size_t>(frames)));
        for (std::int64_t i = 0; i < frames; ++i) {
            audio[0][static_cast<std::size_t>(i)] = 0.5f * std::sin(0.05f * static_cast<float>(i));
            audio[1][static_cast<std::size_t>(i)] = (i % 1000 == 0) ? 0.9f : 0.0f;
        }
        writeSound(path(name), format, 44100, audio);
        return path(name);
    }

    std::vector<fs::path> files(const fs::path& folder) const {
        std::vector<fs::path> all;
        for (const auto& e : fs::directory_iterator(folder)) {
            all.push_back(e.path().filename());
        }
        return all;
    }
    void expectNoTemporaryIn(const fs::path& folder) const {
        for (const auto& f : files(folder)) {
            EXPECT_NE(f.string().front(), '.') << "temporary file left behind: " << f;
        }
    }

    fs::path dir_;
};

float peakIn(const std::vector<float>& x, std::int64_t from, std::int64_t to) {
    float peak = 0.0f;
    for (std::int64_t i = std::max<std::int64_t>(from, 0); i < to && i < static_cast<std::int64_t>(x.size());
         ++i) {
        peak = std::max(peak, std::fabs(x[static_cast<std::size_t>(i)]));
    }
    return peak;
}

TEST_F(Auhost, OutputKeepsEveryInputFrameAndRingsOutUnlessAskedOtherwise) {
    // An impulse of 0.5 at frame 100 of 4096 (eight whole 512-frame calls).
    const std::int64_t frames = 4096;
    const std::int64_t at = 100;
    std::vector<std::vector<float>> impulse(2, std::vector<float>(frames, 0.0f));
    impulse[0][at] = impulse[1][at] = 0.5f;
    writeSound(path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, impulse);
    for (const auto& [name, mode] :
         {std::pair{"full.wav", ""}, std::pair{"compensated.wav", " --compensate-latency"},
          std::pair{"raw.wav", " --raw"}}) {
        const auto r = run("render " + path("in.wav") + " " + path(name) + mode);
        ASSERT_EQ(r.status, 0) << mode << r.err;
    }
    const auto full = readSound(path("full.wav"));
    const auto compensated = readSound(path("compensated.wav"));
    const auto raw = readSound(path("raw.wav"));

    // The reported latency is 16384 frames, the tail one second.
    const std::int64_t latency = 16384;
    const std::int64_t tail = 44100;
    ASSERT_EQ(full.frames(), frames + latency + tail);
    ASSERT_EQ(compensated.frames(), frames + tail);
    ASSERT_EQ(raw.frames(), frames);

    // The dry impulse stays in place: before the first tick the unit runs at mix 0.5 and volume 0.7, so
    // it leaves as tanh(2.5 x 0.7 x 0.5 x 0.5); the wet paths have sent nothing yet.
    EXPECT_NEAR(full.channels[0][at], std::tanh(0.4375f), 1e-6f);
    EXPECT_EQ(peakIn(full.channels[0], 0, at), 0.0f);
    EXPECT_EQ(peakIn(full.channels[0], at + 1, 2048), 0.0f);
    // The 16384-point path delays by 24576 frames: that wet signal is in the output, and the response has
    // rung out before the output ends.
    EXPECT_GT(peakIn(full.channels[0], at + 24576, at + 24576 + 8192), 1e-3f);
    EXPECT_LT(peakIn(full.channels[0], full.frames() - latency, full.frames()), 1e-4f);

    // Compensated: the same render moved earlier by the latency (the dry impulse falls before the start).
    // Raw: the same render's first frames.
    for (std::size_t ch = 0; ch < 2; ++ch) {
        EXPECT_TRUE(std::equal(compensated.channels[ch].begin(), compensated.channels[ch].end(),
                               full.channels[ch].begin() + latency));
        EXPECT_TRUE(std::equal(raw.channels[ch].begin(), raw.channels[ch].end(), full.channels[ch].begin()));
    }
}

TEST_F(Auhost, BypassedRawRenderIsTheInputSampleForSample) {
    const std::string in = writeInput("in.wav", 5000, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const auto r = run("render " + in + " " + path("out.wav") + " --raw --set bypass=on");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto input = readSound(in);
    const auto output = readSound(path("out.wav"));
    EXPECT_EQ(output.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(output.frames(), input.frames());
    // Settings reach the audio at the first modulation tick: the first 512-frame call (0.0116 s) runs with
    // the defaults, the second reaches 0.02 s, ticks, and is processed with them. From then on the audio
    // passes untouched.
    EXPECT_NE(output.channels[0][511], input.channels[0][511]);
    for (std::size_t ch = 0; ch < 2; ++ch) {
        EXPECT_TRUE(std::equal(output.channels[ch].begin() + 512, output.channels[ch].end(),
                               input.channels[ch].begin() + 512));
    }
}

TEST_F(Auhost, OutputFormatFollowsTheExtensionAndKeepsTheChannelMap) {
    const std::string in16 = writeInput("in16.wav", 3000, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const std::string inFloat = writeInput("inf.wav", 3000, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    struct Case {
        std::string args;
        std::string out;
        int format;
    };
    const Case cases[] = {
        {in16, "a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},      // the input's sample format fits
        {inFloat, "b.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},   // FLAC holds no float: 24-bit
        {inFloat, "c.AIF", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},     // any case
        {in16, "d.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16},        //
        {in16, "e.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},        // lossy: the container's own
        {"", "f.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III}, // the demo signal too
        {"", "g.w64", SF_FORMAT_W64 | SF_FORMAT_FLOAT},           //
    };
    for (const auto& c : cases) {
        const auto r = run("render " + c.args + " " + path(c.out) + " --raw");
        ASSERT_EQ(r.status, 0) << c.out << r.err;
        EXPECT_EQ(readSound(path(c.out)).info.format, c.format) << c.out;
    }

    const auto unknown = run("render " + in16 + " " + path("x.mp4"));
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown extension '.mp4'"), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("wav, flac, aiff, aif, caf, w64, rf64, ogg"), std::string::npos)
        << unknown.err;
    EXPECT_FALSE(fs::exists(path("x.mp4")));

    // Eight channels: front left, right, centre, LFE, back left, right, side left, right (mask 0x63F).
    const std::vector<int> map = {SF_CHANNEL_MAP_LEFT,      SF_CHANNEL_MAP_RIGHT,
                                  SF_CHANNEL_MAP_CENTER,    SF_CHANNEL_MAP_LFE,
                                  SF_CHANNEL_MAP_REAR_LEFT, SF_CHANNEL_MAP_REAR_RIGHT,
                                  SF_CHANNEL_MAP_SIDE_LEFT, SF_CHANNEL_MAP_SIDE_RIGHT};
    writeSound(path("in8.wav"), SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 48000,
               std::vector<std::vector<float>>(8, std::vector<float>(600, 0.1f)), map);
    ASSERT_EQ(run("render " + path("in8.wav") + " " + path("out8.wav") + " --raw").status, 0);
    EXPECT_EQ(readSound(path("out8.wav")).map, map);
    const std::string header = slurp(path("out8.wav")).substr(0, 64);
    EXPECT_NE(header.find(std::string("\x3f\x06\x00\x00", 4)), std::string::npos) << "mask 0x63F";
    const auto flac = run("render " + path("in8.wav") + " " + path("out8.flac") + " --raw");
    EXPECT_EQ(flac.status, 0);
    EXPECT_NE(flac.err.find("warning: '" + path("out8.flac") + "' cannot store which speaker"),
              std::string::npos)
        << flac.err;

    writeSound(path("in1.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, {{0.5f}});
    const auto one = run("render " + path("in1.wav") + " " + path("out1.wav") + " --raw");
    EXPECT_NE(one.out.find("(1 frame, 1 channel, 44100 Hz)"), std::string::npos) << one.out << one.err;
}

TEST_F(Auhost, NeverReplacesWhatIsNotOursToReplace) {
    const std::string in = writeInput("in.wav", 2000, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const std::string original = slurp(in);

    // A FIFO is written through: its reader gets the whole file, and the FIFO stays.
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0644), 0);
    std::string received;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        received = slurp(path("fifo"));
        done = true;
    });
    const auto fifo = run("render " + in + " " + path("fifo") + " --raw", "timeout 60 ");
    while (!done) {
        // A reader still waiting saw no writer: let it go.
        ::close(::open(path("fifo").c_str(), O_WRONLY | O_NONBLOCK));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    reader.join();
    EXPECT_EQ(fifo.status, 0) << fifo.err;
    struct stat st {};
    ASSERT_EQ(::lstat(path("fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(received.size(), original.size()) << "a 16-bit WAV of the input's length, like the input";

    // Device nodes made here (CI runs as root): the null device takes the output, the full device
    // refuses it; both stay device nodes.
    ASSERT_EQ(::mknod(path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0) << "mknod needs root";
    ASSERT_EQ(::mknod(path("full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    EXPECT_EQ(run("render " + in + " " + path("null")).status, 0);
    const auto full = run("render " + in + " " + path("full"));
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
    for (const char* node : {"null", "full"}) {
        ASSERT_EQ(::lstat(path(node).c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode)) << node;
    }

    // A link's target is replaced; the link stays.
    fs::create_directory(path("sub"));
    std::ofstream(path("sub/target.wav")) << "old";
    fs::create_symlink("sub/target.wav", path("link.wav"));
    ASSERT_EQ(run("render " + in + " " + path("link.wav") + " --raw").status, 0);
    EXPECT_TRUE(fs::is_symlink(path("link.wav")));
    EXPECT_EQ(readSound(path("sub/target.wav")).frames(), 2000);
    expectNoTemporaryIn(path("sub"));

    // Refused, with the input untouched: OUT is IN (by name or through a link), a folder, or, with one
    // file argument, an existing file (unless --force).
    fs::create_symlink("in.wav", path("alias.wav"));
    struct Case {
        std::string args;
        std::string message;
    };
    const Case cases[] = {
        {in + " " + in, "it is the same file as the input"},
        {in + " " + path("alias.wav"), "it is the same file as the input"},
        {in + " " + path("sub"), "it is a folder"},
        {in + " " + path("nofolder/out.wav"), "no folder"},
        {in, "exists: with only one file, render writes the demo signal into it"},
    };
    for (const auto& c : cases) {
        const auto r = run("render " + c.args);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
    }
    EXPECT_EQ(slurp(in), original);
    ASSERT_EQ(run("render " + in + " --force").status, 0);
    EXPECT_EQ(readSound(in).info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT) << "the demo signal";
    expectNoTemporaryIn(dir_);
}

TEST_F(Auhost, MemoryStaysFlatWhateverTheLength) {
    // 30 s of 48 kHz stereo would take 23 MB for each of input and output held whole.
    for (const auto& [name, seconds] : {std::pair{"short.wav", 1}, std::pair{"long.wav", 30}}) {
        const std::size_t frames = static_cast<std::size_t>(seconds) * 48000;
        std::vector<std::vector<float>> audio(2, std::vector<float>(frames));
        for (std::size_t i = 0; i < frames; ++i) {
            audio[0][i] = audio[1][i] = 0.3f * std::sin(0.01f * static_cast<float>(i % 628));
        }
        writeSound(path(name), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, audio);
    }
    const long shortPeak = peakKilobytes("render " + path("short.wav") + " " + path("s.wav"));
    const long longPeak = peakKilobytes("render " + path("long.wav") + " " + path("l.wav"));
    EXPECT_LT(longPeak, shortPeak + 8 * 1024)
        << "peak resident set: " << shortPeak << " kB for 1 s, " << longPeak << " kB for 30 s";
}

TEST_F(Auhost, DamagedInputIsRenderedWithAWarning) {
    // Float samples with two NaNs and an infinity.
    std::vector<std::vector<float>> audio(2, std::vector<float>(20000, 0.25f));
    audio[0][100] = audio[1][7000] = std::numeric_limits<float>::quiet_NaN();
    audio[0][9000] = std::numeric_limits<float>::infinity();
    writeSound(path("nan.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, audio);
    const auto nan = run("render " + path("nan.wav") + " " + path("out.wav") + " --raw");
    EXPECT_EQ(nan.status, 0);
    EXPECT_NE(nan.err.find("warning: '" + path("nan.wav") + "' holds 3 non-finite samples"),
              std::string::npos)
        << nan.err;

    // A WAV cut off halfway through its data, and a FLAC cut off halfway.
    for (const char* name : {"cut.wav", "cut.flac"}) {
        writeSound(path("whole"),
                   (std::string(name) == "cut.wav" ? SF_FORMAT_WAV : SF_FORMAT_FLAC) | SF_FORMAT_PCM_16,
                   44100, std::vector<std::vector<float>>(2, std::vector<float>(100000, 0.25f)));
        const std::string whole = slurp(path("whole"));
        std::ofstream(path(name), std::ios::binary) << whole.substr(0, whole.size() / 2);
        const auto cut = run("render " + path(name) + " " + path("out.wav") + " --raw");
        EXPECT_EQ(cut.status, 0) << name;
        EXPECT_NE(cut.err.find("warning: '" + path(name) + "' ends early (premature end of data)"),
                  std::string::npos)
            << cut.err;
        const auto out = readSound(path("out.wav"));
        EXPECT_GT(out.frames(), 30000) << name; // FLAC loses the frame it was cut in
        EXPECT_LT(out.frames(), 60000) << name;
    }
}

TEST_F(Auhost, SettingsGoThroughTheParameterTexts) {
    const std::string in = writeInput("in.wav", 3000, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const auto r = run("render " + in + " " + path("out.wav") +
                       " --raw --set 'filterMode=band pass' --set mix=0.3 --set bypass=YES --set fail=true"
                       " --save-state " +
                       path("state.plist"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string state = slurp(path("state.plist"));
    for (const char* entry :
         {"<key>filterMode</key>\n\t\t<real>1</real>", "<key>bypass</key>\n\t\t<real>1</real>",
          "<key>fail</key>\n\t\t<real>1</real>"}) {
        EXPECT_NE(state.find(entry), std::string::npos) << entry << "\n" << state;
    }
}

TEST_F(Auhost, StateFilesThatApplyNothingFail) {
    const std::string in = writeInput("in.wav", 1000, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(run("render " + in + " " + path("out.wav") + " --save-state " + path("state.plist")).status, 0);
    const std::string state = slurp(path("state.plist"));
    const auto edited = [&](const std::string& from, const std::string& to) {
        std::string text = state;
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    std::ofstream(path("text.plist")) << edited("<real>0.5</real>", "<string>loud</string>");
    std::ofstream(path("huge.plist")) << edited("<real>500</real>", "<real>1e40</real>");
    std::ofstream(path("other.plist"))
        << edited("<key>subtype</key>\n\t<integer>", "<key>subtype</key>\n\t<integer>1");

    const auto text = run("render " + in + " " + path("o.wav") + " --load-state " + path("text.plist"));
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.err.find("\"mix\" holds the text 'loud', not a number"), std::string::npos) << text.err;
    const auto huge = run("render " + in + " " + path("o.wav") + " --load-state " + path("huge.plist"));
    EXPECT_EQ(huge.status, 1);
    EXPECT_NE(huge.err.find("\"tone\" holds the number 1e+40, beyond the 32-bit float range"),
              std::string::npos)
        << huge.err;
    const auto other = run("render " + in + " " + path("o.wav") + " --load-state " + path("other.plist"));
    EXPECT_EQ(other.status, 0);
    EXPECT_NE(other.err.find("warning: state '" + path("other.plist") + "' was saved by another component"),
              std::string::npos)
        << other.err;
    const auto folder = run("render " + in + " " + path("o.wav") + " --load-state " + dir_.string());
    EXPECT_NE(folder.err.find("it is a folder"), std::string::npos) << folder.err;
    const auto missing = run("render " + in + " " + path("o.wav") + " --save-state " + path("no/s.plist"));
    EXPECT_NE(missing.err.find("cannot write '" + path("no/s.plist") + "': no folder"), std::string::npos)
        << missing.err;
}

TEST_F(Auhost, BadInputFailsWithAMessageAndLeavesNoFile) {
    const std::string in = writeInput("in.wav", 1000, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    std::ofstream(path("garbage.wav")) << "this is not audio";
    std::ofstream(path("keep.wav")) << "precious";

    struct Case {
        std::string args;
        int status;
        std::string message;
    };
    // A value or preset that the effect does not take is a command-line error (2), judged on the unit
    // before any file is read: a missing input or state file would otherwise be the complaint.
    const std::string missing = path("missing.wav");
    const std::string noState = " --load-state " + path("missing.plist");
    const Case cases[] = {
        {"render " + missing + " " + path("out.wav"), 1,
         "cannot read '" + missing + "': No such file or directory\n"},
        {"render " + path("garbage.wav") + " " + path("out.wav"), 1, "cannot read"},
        {"render " + missing + " " + path("out.wav") + " --set nosuch=1", 2, "valid: mix, feed, tone"},
        {"render " + in + " " + path("out.wav") + " --set mix=lots", 2, "not a value of mix"},
        {"render " + in + " " + path("out.wav") + " --set mix=nan", 2,
         "not a finite number; mix takes a number from 0 to 1"},
        {"render " + in + " " + path("out.wav") + " --set volume=inf", 2, "not a finite number"},
        {"render " + missing + " " + path("out.wav") + noState + " --set mix=1.5", 2,
         "out of range; mix takes a number from 0 to 1"},
        {"render " + in + " " + path("out.wav") + " --set tone=1e50", 2,
         "out of range; tone takes a number from 200"},
        {"render " + in + " " + path("out.wav") + " --set bypass=maybe", 2,
         "on/off, yes/no, true/false or 1/0"},
        {"render " + in + " " + path("out.wav") + " --set mix", 2, "ID=VALUE"},
        {"render " + in + " " + path("keep.wav") + " --set tone=x", 2, "not a value of tone"},
        {"render " + missing + " " + path("out.wav") + noState + " --preset 99", 2,
         "unknown preset '99'; the factory presets are:\n  0  Default"},
        {"panel " + path("out.png") + noState + " --preset 'No Such'", 2, "unknown preset 'No Such'"},
        {"edit" + noState + " --save-state " + path("out.plist") + " --set mix=5", 2, "out of range"},
    };
    for (const auto& c : cases) {
        const auto r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_TRUE(r.out.find("rendered") == std::string::npos) << c.args;
    }
    for (const char* name : {"out.wav", "out.png", "out.plist"}) {
        EXPECT_FALSE(fs::exists(path(name))) << name;
    }
    EXPECT_EQ(slurp(path("keep.wav")), "precious");
    expectNoTemporaryIn(dir_);
}

/// `auhost render IN OUT --block-size 1 --save-state STATE`, started as from a shell in the foreground
/// whatever the test's own settings (SIGHUP ignored as under nohup when `hangUpIgnored`), stderr in `err`;
/// waits until it writes (its hidden temporary file beside OUT): its process, and false if it ended first.
std::pair<pid_t, bool> startRenderAndWaitUntilItWrites(const fs::path& dir, const std::string& in,
                                                       const std::string& out, const std::string& state,
                                                       const std::string& err, bool hangUpIgnored) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        struct sigaction defaults {};
        defaults.sa_handler = SIG_DFL;
        for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
            ::sigaction(s, &defaults, nullptr);
        }
        if (hangUpIgnored) {
            struct sigaction ignored {};
            ignored.sa_handler = SIG_IGN;
            ::sigaction(SIGHUP, &ignored, nullptr);
        }
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nullFd = ::open("/dev/null", O_WRONLY);
        ::dup2(errFd, STDERR_FILENO);
        ::dup2(nullFd, STDOUT_FILENO);
        ::execl(AUHOST_PATH, AUHOST_PATH, "render", in.c_str(), out.c_str(), "--block-size", "1",
                "--save-state", state.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const std::string temporary = "." + fs::path(out).filename().string() + ".";
    for (int i = 0; i < 6000; ++i) {
        siginfo_t ended{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOHANG | WNOWAIT) != 0 ||
            ended.si_pid != 0) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        for (const auto& e : fs::directory_iterator(dir)) {
            if (e.path().filename().string().rfind(temporary, 0) == 0) {
                return {pid, true};
            }
        }
    }
    return {pid, false};
}

TEST_F(Auhost, ASignalStopsARenderAndLeavesNoTemporaryFile) {
    // 20 s rendered a frame per call: seconds of work, time to interrupt it.
    const std::string in = writeInput("in.wav", 20 * 44100, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const std::string out = path("out.wav");
    const std::string state = path("state.plist");
    const std::string err = path("stderr.txt");
    for (const auto& [signal, name] :
         {std::pair{SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}}) {
        const auto [pid, writing] = startRenderAndWaitUntilItWrites(dir_, in, out, state, err, false);
        ASSERT_TRUE(writing) << name << ": " << slurp(err);
        ::kill(pid, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal)
            << name << ", status " << status;
        EXPECT_NE(slurp(err).find(std::string("auhost: stopped by ") + name + "; the render did not finish"),
                  std::string::npos)
            << slurp(err);
        EXPECT_FALSE(fs::exists(out)) << name;
        EXPECT_FALSE(fs::exists(state)) << name;
        expectNoTemporaryIn(dir_);
    }
}

TEST_F(Auhost, ASighupIgnoredAtTheStartStaysIgnored) {
    // As under nohup: the hang-up comes while it renders, and the render goes on to the end.
    const std::int64_t frames = 20 * 44100;
    const std::string in = writeInput("in.wav", frames, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const std::string out = path("out.wav");
    const std::string state = path("state.plist");
    const std::string err = path("stderr.txt");
    const auto [pid, writing] = startRenderAndWaitUntilItWrites(dir_, in, out, state, err, true);
    ASSERT_TRUE(writing) << slurp(err);
    ::kill(pid, SIGHUP);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << ": " << slurp(err);
    EXPECT_EQ(readSound(out).frames(), frames + 16384 + 44100) << "the input, the latency and the tail";
    EXPECT_TRUE(fs::exists(state));
    expectNoTemporaryIn(dir_);
}

TEST_F(Auhost, UsageErrorsExitWithTwoAndHelpWithZero) {
    for (const char* args : {"", "render", "render a b c", "render x.wav --block-size 0",
                             "render x.wav --raw "
                             "--compensate-latency",
                             "frobnicate", "render frobnicate"}) {
        const auto r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.err.rfind("auhost: error: ", 0), 0u) << args << "\n" << r.err;
    }
    EXPECT_NE(run("frobnicate").err.find("unknown subcommand 'frobnicate'"), std::string::npos);
    EXPECT_NE(run("render frobnicate").err.find("unknown subcommand 'frobnicate'"), std::string::npos);
    EXPECT_EQ(
        run("render a b c").err.rfind("auhost: error: render takes [IN] OUT; it was given 3 files\n", 0), 0u);
    const auto help = run("render --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--compensate-latency"), std::string::npos);
}

TEST_F(Auhost, MalformedOptionsAndPanelNamesAreRefusedBeforeAnyWork) {
    struct Case {
        std::string args;
        int status;
        std::string message;
    };
    const std::string png = path("x.png");
    const std::string wav = path("x.wav"); // never made: no case may read it
    const std::string sizeTakes = "--size takes WIDTHxHEIGHT in points, each above 0";
    const Case cases[] = {
        {"panel " + png + " --size abc", 2, sizeTakes + ", not 'abc'"},
        {"panel " + png + " --size 0x0", 2, sizeTakes + ", not '0x0'"},
        {"edit --size 480x", 2, sizeTakes + ", not '480x'"},
        // 8192 pixels at the scale in effect, and never more than 10000 points.
        {"panel " + png + " --size 4097x10", 2,
         sizeTakes + " and at most 4096 at 2 pixels per point (--scale), not '4097x10'"},
        {"panel " + png + " --size 10x8193 --scale 1", 2,
         sizeTakes + " and at most 8192 at 1 pixel per point (--scale), not '10x8193'"},
        {"panel " + png + " --size 10001x1 --scale 0.5", 2,
         sizeTakes + " and at most 10000 at 0.5 pixels per point (--scale), not '10001x1'"},
        {"panel " + png + " --scale abc", 2,
         "--scale takes a number of pixels per point from 0.1 to 8, not 'abc'"},
        {"render " + path("x.wav") + " --block-size abc", 2,
         "--block-size takes a whole number of frames from 1 to 1048576, not 'abc'"},
        {"--plugin " + dir_.string() + " --plugin " + dir_.string() + " list", 2,
         "--plugin takes one value; it was given 2 times"},
        {"list --plugin " + dir_.string() + " --plugin " + dir_.string(), 2,
         "--plugin takes one value; it was given 2 times"},
        {"panel ''", 2, "panel: OUT is empty"},
        {"panel " + path("x.jpg"), 2,
         "cannot write '" + path("x.jpg") + "': unknown extension '.jpg'; panel writes PNG"},
        {"panel " + path("x"), 2,
         "cannot write '" + path("x") + "': its name has no extension; panel writes PNG"},
        {"render " + wav + " " + path("x.xyz"), 2, "cannot write '" + path("x.xyz") + "': unknown extension"},
        // An empty value is an error, never a value left out.
        {"render " + wav + " " + path("x.wav") + " --save-state ''", 2, "--save-state is empty"},
        {"edit --save-state ''", 2, "--save-state is empty"},
        {"render " + wav + " " + path("x.wav") + " --load-state ''", 2, "--load-state is empty"},
        {"panel " + png + " --load-state ''", 2, "--load-state is empty"},
        {"edit --load-state ''", 2, "--load-state is empty"},
        {"render " + wav + " " + path("x.wav") + " --preset ''", 2, "--preset is empty"},
        {"panel " + png + " --preset ''", 2, "--preset is empty"},
        {"edit --preset ''", 2, "--preset is empty"},
        {"--plugin '' list", 2, "--plugin is empty"},
        {"info --plugin ''", 2, "--plugin is empty"},
        {"panel " + png + " --plugin ''", 2, "--plugin is empty"},
        {"render '' " + path("x.wav"), 2, "render: IN is empty"},
        {"render " + wav + " ''", 2, "render: OUT is empty"},
        {"render ''", 2, "render: OUT is empty"},
    };
    for (const auto& c : cases) {
        const auto r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.err.rfind("auhost: error: " + c.message, 0), 0u) << c.args << "\n" << r.err;
    }
    for (const char* name : {"x.png", "x.wav", "x.jpg", "x", "x.xyz"}) {
        EXPECT_FALSE(fs::exists(path(name))) << name;
    }
    EXPECT_EQ(run("panel " + path("x.PNG")).status, 0);
    EXPECT_EQ(slurp(path("x.PNG")).substr(1, 3), "PNG");
}

TEST_F(Auhost, AFailedWriteToStandardOutputFails) {
    for (const std::string& args : std::vector<std::string>{
             "list", "info", "panel " + path("p.png") + " --frames", "render " + path("d.wav")}) {
        const std::string command = AUHOST_PATH " " + args + " >/dev/full 2>" + path("stderr.txt");
        const int raw = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1) << args;
        EXPECT_NE(slurp(path("stderr.txt"))
                      .find("auhost: error: could not write to standard output: No space left on device\n"),
                  std::string::npos)
            << args << "\n"
            << slurp(path("stderr.txt"));
    }
}

TEST_F(Auhost, InfoListsParametersLatencyAndBusses) {
    const auto r = run("info");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* expected :
         {"filterMode", "Low Pass", "latency: 0.371519", "tail time: 1", "bus 0: 2 ch", "-1 -1", "hertz"}) {
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
    }
}

TEST_F(Auhost, FindsTheEffectWhereToldAndLoadsItFromThere) {
    // A copy of auhost away from its build tree finds nothing of its own.
    fs::create_directories(path("bin"));
    fs::copy_file(AUHOST_PATH, path("bin/auhost"));
    const std::string lonely = path("bin/auhost");
    const auto none = run("list", "env -u AUHOST_PLUGIN_PATH ", lonely);
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("no Audio Unit extensions found"), std::string::npos) << none.err;
    const auto missing = run("info", "env -u AUHOST_PLUGIN_PATH ", lonely);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("the effect (aufx qrbl Qrbl) was not found"), std::string::npos)
        << missing.err;

    // AUHOST_PLUGIN_PATH: a folder holding the extension and a bundle that cannot be used, and a folder
    // that does not exist.
    fs::create_directories(path("plugins/Broken.appex/Contents"));
    fs::create_directory_symlink(QUORBEL_APPEX, path("plugins/QuorbelAUMac.appex"));
    const std::string env = "env AUHOST_PLUGIN_PATH=" + path("gone") + ":" + path("plugins") + " ";
    const auto listed = run("list", env, lonely);
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "aufx qrbl Qrbl  Quorbel  1.0.0  " + path("plugins/QuorbelAUMac.appex") + "\n");
    EXPECT_NE(listed.err.find("AUHOST_PLUGIN_PATH: '" + path("gone") + "' does not exist"), std::string::npos)
        << listed.err;
    EXPECT_NE(
        listed.err.find("skipped the extension '" + path("plugins/Broken.appex") + "': it cannot be used"),
        std::string::npos)
        << listed.err;
    const auto info = run("info", env, lonely);
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out.rfind("Quorbel (aufx qrbl Qrbl) version 1.0.0\n", 0), 0u) << info.out;

    // --plugin, naming the bundle itself; a render through the extension loaded from there.
    const auto rendered = run("--plugin " + std::string(QUORBEL_APPEX) + " render " + path("demo.wav"),
                              "env -u AUHOST_PLUGIN_PATH ", lonely);
    EXPECT_EQ(rendered.status, 0) << rendered.err;
    EXPECT_GT(readSound(path("demo.wav")).frames(), 44100);
    const auto wrong = run("info --plugin " + path("nowhere"), "", lonely);
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("--plugin: '" + path("nowhere") + "' does not exist"), std::string::npos)
        << wrong.err;

    // auhost holds none of the effect's code: it loads it.
    const auto symbols = run("| grep -c quorbel::", "nm -C --defined-only ");
    EXPECT_EQ(symbols.out, "0\n");
}

TEST_F(Auhost, FindsTheEffectAloneAndInsideTheApplication) {
    const std::string carried = QUORBEL_APP_BUNDLE "/Contents/PlugIns/QuorbelAUMac.appex";
    const auto listed = run("list", "env -u AUHOST_PLUGIN_PATH ");
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "aufx qrbl Qrbl  Quorbel  1.0.0  " QUORBEL_APPEX "\n"
                          "aufx qrbl Qrbl  Quorbel  1.0.0  " +
                              carried + "\n");
    fs::create_directories(path("bin"));
    fs::copy_file(AUHOST_PATH, path("bin/auhost"));
    const auto fromApp =
        run("--plugin " QUORBEL_APP_BUNDLE " list", "env -u AUHOST_PLUGIN_PATH ", path("bin/auhost"));
    EXPECT_EQ(fromApp.out, "aufx qrbl Qrbl  Quorbel  1.0.0  " + carried + "\n") << fromApp.err;
}

TEST_F(Auhost, RunsTheExtensionTheUserNamedAndSaysWhyOthersCannotRun) {
    // Bundles of one's own that offer the effect but cannot give it: an Info.plist in the binary format,
    // a library that does not load, a library without the entry point; and a link that loops.
    const std::string plist = slurp(QUORBEL_APPEX "/Contents/Info.plist");
    const auto bundle = [&](const std::string& at, const std::string& info, const std::string& library) {
        fs::create_directories(path(at + "/Contents/MacOS"));
        std::ofstream(path(at + "/Contents/Info.plist"), std::ios::binary) << info;
        fs::create_symlink(library, path(at + "/Contents/MacOS/QuorbelAUMac"));
    };
    std::ofstream(path("garbage.so")) << "not a library";
    bundle("binary/Binary.appex", std::string("bplist00\xd1\x01\x02\x51\x78", 13), path("garbage.so"));
    bundle("broken/Entryless.appex", plist, LIBRARY_WITHOUT_ENTRY_POINT);
    bundle("broken/Unloadable.appex", plist, path("garbage.so"));
    fs::create_symlink("loop", path("loop"));
    const std::string noPath = "env -u AUHOST_PLUGIN_PATH ";
    const std::string skipped =
        "skipped the extension '" + path("binary/Binary.appex") +
        "': it cannot be used: Contents/Info.plist: not a readable property list: it is "
        "a binary property list; only XML property lists are read";

    // --plugin names the extension to run: no falling back on the build tree's.
    const auto binary = run("--plugin " + path("binary") + " info", noPath);
    EXPECT_EQ(binary.status, 1);
    EXPECT_EQ(binary.out, "");
    EXPECT_NE(binary.err.find("auhost: error: --plugin: '" + path("binary") +
                              "' offers no usable effect (aufx qrbl Qrbl): " + skipped),
              std::string::npos)
        << binary.err;
    const auto loop = run("--plugin " + path("loop") + " info", noPath);
    EXPECT_EQ(loop.status, 1);
    EXPECT_NE(
        loop.err.find("--plugin: '" + path("loop") + "' cannot be read: Too many levels of symbolic links"),
        std::string::npos)
        << loop.err;

    // A bundle of AUHOST_PLUGIN_PATH that is skipped is named in every command.
    const auto warned = run("info", "env AUHOST_PLUGIN_PATH=" + path("binary") + " ");
    EXPECT_EQ(warned.status, 0) << warned.err;
    EXPECT_NE(warned.err.find("auhost: warning: " + skipped + "\n"), std::string::npos) << warned.err;

    // list loads each library as a host would, and gives the reason that info gives.
    const auto listed = run("list", "env AUHOST_PLUGIN_PATH=" + path("broken") + " ");
    EXPECT_EQ(listed.status, 0) << listed.err;
    for (const std::string name : {"Entryless", "Unloadable"}) {
        const std::string line =
            "aufx qrbl Qrbl  Quorbel  1.0.0  " + path("broken/" + name + ".appex") + "  unusable: ";
        const auto at = listed.out.find(line);
        ASSERT_NE(at, std::string::npos) << line << "\n" << listed.out;
        const std::string reason =
            listed.out.substr(at + line.size(), listed.out.find('\n', at) - at - line.size());
        const auto info = run("--plugin " + path("broken/" + name + ".appex") + " info", noPath);
        EXPECT_EQ(info.status, 1);
        EXPECT_NE(info.err.find(reason), std::string::npos) << reason << "\n" << info.err;
    }
    EXPECT_NE(listed.out.find("exports no AUExtensionCreatePrincipalObject"), std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find("its library does not load"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("1.0.0  " QUORBEL_APPEX "\n"), std::string::npos) << listed.out;

    // info names the bundle it loaded and the one it shadows.
    const auto info = run("info", noPath);
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("\nloaded from: " QUORBEL_APPEX ", version 1.0.0\n"
                            "shadowed: " QUORBEL_APP_BUNDLE
                            "/Contents/PlugIns/QuorbelAUMac.appex, version 1.0.0"),
              std::string::npos)
        << info.out;
}

TEST_F(Auhost, PanelFramesFollowTheLayoutRules) {
    // The preferred size, 480 x 320 points: knob 115, button 23, margin 11.5, column step 125.5, rows at 23
    // and 193.5; the mix knob at 0.5 shows its cap upright; the filter mode 0 lights low-pass only.
    const auto r = run("panel " + path("panel.png") + " --frames");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "mixKnob x=125.5 y=23 w=115 h=115 value=0.5 angle=0\n"
                     "feedKnob x=11.5 y=23 w=115 h=115 value=5 angle=-92.63157653808594\n"
                     "toneKnob x=239.5 y=23 w=115 h=115 value=500 angle=-40\n"
                     "orbitKnob x=125.5 y=193.5 w=115 h=115 value=0 angle=0\n"
                     "vexityKnob x=11.5 y=193.5 w=115 h=115 value=0 angle=0\n"
                     "confusionKnob x=239.5 y=193.5 w=115 h=115 value=0 angle=0\n"
                     "volumeKnob x=353.5 y=119.75 w=115 h=115 value=0.699999988079071 angle=64\n"
                     "lowPassBtn x=445.5 y=57.5 w=23 h=23 state=on\n"
                     "bandPassBtn x=445.5 y=34.5 w=23 h=23 state=off\n"
                     "highPassBtn x=445.5 y=11.5 w=23 h=23 state=off\n"
                     "brokenBtn x=445.5 y=262.5 w=23 h=23 state=off\n"
                     "bypassBtn x=445.5 y=285.5 w=23 h=23 state=off\n"
                     "lpLabel x=420.5 y=57.5 w=23 h=23\n"
                     "bpLabel x=420.5 y=34.5 w=23 h=23\n"
                     "hpLabel x=420.5 y=11.5 w=23 h=23\n"
                     "brokenLabel x=397.5 y=262.5 w=46 h=23\n"
                     "bypassLabel x=386 y=285.5 w=57.5 h=23\n"
                     "knobSize=115 radioSize=23\n");
    cairo_surface_t* png = cairo_image_surface_create_from_png(path("panel.png").c_str());
    EXPECT_EQ(cairo_image_surface_get_width(png), 960);
    EXPECT_EQ(cairo_image_surface_get_height(png), 640);
    cairo_surface_destroy(png);

    // 800 x 600 at one pixel per point: knob 200, button 40, rows at 40 and 380, master at (580, 230),
    // buttons at x 740; band-pass lit by the settings, which the panel shows.
    const auto big =
        run("panel " + path("big.png") + " --size 800x600 --scale 1 --frames --set filterMode=1");
    ASSERT_EQ(big.status, 0) << big.err;
    for (const char* line :
         {"\nvolumeKnob x=580 y=230 w=200 h=200 ", "\norbitKnob x=206.66666666666666 y=380 ",
          "\nlowPassBtn x=740 y=100 w=40 h=40 state=off\n", "\nbandPassBtn x=740 y=60 w=40 h=40 state=on\n",
          "\nknobSize=200 radioSize=40\n"}) {
        EXPECT_NE(big.out.find(line), std::string::npos) << line << "\n" << big.out;
    }
    png = cairo_image_surface_create_from_png(path("big.png").c_str());
    EXPECT_EQ(cairo_image_surface_get_width(png), 800);
    cairo_surface_destroy(png);

    const auto bad = run("panel " + path("x.png") + " --size 0x320");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--size takes WIDTHxHEIGHT"), std::string::npos) << bad.err;
    EXPECT_EQ(run("panel " + path("x.png") + " --scale nan").status, 2);
    EXPECT_FALSE(fs::exists(path("x.png")));
}

} // namespace
