// Replays every kept input of each fuzz target — the committed corpus and every crash input that a fuzzing
// run copied into regressions/ — through the same entry points, in every build. A broken promise stops the
// process (fuzzCheck), which fails the test; the input being replayed is printed first.
#include "FuzzTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace quorbel::fuzz {
namespace {

namespace fs = std::filesystem;

struct FuzzTarget {
    const char* name; // also the name of its folders under corpus/ and regressions/
    int (*entry)(const std::uint8_t*, std::size_t);
};

void PrintTo(const FuzzTarget& target, std::ostream* os) {
    *os << target.name;
}

std::vector<std::uint8_t> readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class FuzzRegressions : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzRegressions, EveryKeptInputStillPasses) {
    // Proves: no input that once crashed a fuzz target (nor any corpus seed) breaks the unit again.
    std::vector<fs::path> inputs;
    for (const char* folder : {"corpus", "regressions"}) {
        const fs::path dir = fs::path(QUORBEL_FUZZ_DIR) / folder / GetParam().name;
        if (fs::is_directory(dir)) {
            for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
                if (entry.is_regular_file() && entry.path().filename().string().front() != '.' &&
                    entry.path().extension() != ".md") {
                    inputs.push_back(entry.path());
                }
            }
        }
    }
    std::sort(inputs.begin(), inputs.end());
    EXPECT_FALSE(inputs.empty()) << "no corpus for " << GetParam().name;
    for (const fs::path& path : inputs) {
        std::cerr << "replaying " << path.string() << std::endl;
        const std::vector<std::uint8_t> bytes = readFile(path);
        EXPECT_EQ(GetParam().entry(bytes.data(), bytes.size()), 0) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(Replay, FuzzRegressions,
                         ::testing::Values(FuzzTarget{"value_from_string", valueFromStringTarget},
                                           FuzzTarget{"full_state", fullStateTarget},
                                           FuzzTarget{"full_state_xml", fullStateXmlTarget},
                                           FuzzTarget{"render_block", renderBlockTarget}),
                         [](const ::testing::TestParamInfo<FuzzTarget>& tested) {
                             return tested.param.name;
                         });

} // namespace
} // namespace quorbel::fuzz
