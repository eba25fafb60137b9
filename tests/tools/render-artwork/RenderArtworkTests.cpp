// Runs the render-artwork tool as a developer would and checks its statistics and its PNG output.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

ToolRun run(const std::string& arguments) {
    ToolRun result;
    const std::string command = std::string(RENDER_ARTWORK_PATH) + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        result.out.append(buffer.data(), n);
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace

TEST(RenderArtwork, StatsOfTheKnobCapAndTheRadios) {
    struct Case {
        const char* arguments;
        const char* expected;
    };
    const Case cases[] = {
        {"NeoOverlay 100 100 --stats",
         "group x=19.34 y=19.56 w=61.32 h=60.49\n"
         "shape 1 kind=path subpaths=2 lines=18 curves=22 fx=0,1 fy=-0.00078,1 rule=nonzero miter=4 "
         "fill=0.18,0.082,0.09,1 stroke=0.663,0.518,0.298,1@1\n"
         "shape 2 kind=path subpaths=1 lines=3 curves=0 fx=0.4615,0.5385 fy=0.02373,0.18862 rule=nonzero "
         "miter=4 "
         "fill=0.925,0.863,0.11,1 stroke=none\n"},
        {"RadioOn 30 30 --stats",
         "group x=2 y=2 w=26 h=26\n"
         "shape 1 kind=oval subpaths=0 lines=0 curves=0 fx=0.25,0.75 fy=0.25,0.75 rule=nonzero miter=unset "
         "fill=0,0,0,1 stroke=none\n"
         "shape 2 kind=path subpaths=2 lines=0 curves=8 fx=0,1 fy=0,1 rule=evenodd miter=unset fill=0,0,0,1 "
         "stroke=none\n"},
        {"NeoOverlay 0 0 --stats", nullptr}, // first line checked below
        {"QuorFooter 400 50 --stats", nullptr},
        {"NeoUnderlay 10 10 --stats", "group none\n"},
    };
    for (const Case& c : cases) {
        const ToolRun r = run(c.arguments);
        EXPECT_EQ(r.status, 0) << c.arguments;
        if (c.expected != nullptr) {
            EXPECT_EQ(r.out, c.expected) << c.arguments;
        }
    }
    EXPECT_EQ(run("NeoOverlay 0 0 --stats").out.substr(0, 35), "group x=0.34 y=-0.44 w=-0.68 h=0.49");
    EXPECT_EQ(run("QuorFooter 400 50 --stats").out.substr(0, 39), "group x=17.88 y=15.16 w=366.44 h=24.34\n");
}

TEST(RenderArtwork, WritesAPNGAtTheRequestedScale) {
    const std::string path = ::testing::TempDir() + "render_artwork_cap.png";
    ASSERT_EQ(run("NeoOverlay 64 32 " + path + " --scale 3").status, 0);
    std::ifstream in(path, std::ios::binary);
    std::array<unsigned char, 24> header{};
    in.read(reinterpret_cast<char*>(header.data()), header.size());
    ASSERT_TRUE(in);
    auto be32 = [&](std::size_t at) {
        return (header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3];
    };
    EXPECT_EQ(be32(16), 192); // IHDR width
    EXPECT_EQ(be32(20), 96);  // IHDR height
    std::remove(path.c_str());
}

TEST(RenderArtwork, RejectsUnknownNamesAndMissingOutput) {
    EXPECT_NE(run("NoSuchDrawing 10 10 --stats").status, 0);
    EXPECT_NE(run("NeoOverlay 10 10").status, 0);
    EXPECT_EQ(run("DefaultKnob:MIX 100 100 --stats").status, 0);
}
