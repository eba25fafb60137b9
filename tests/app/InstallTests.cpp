// `cmake --install` into a fresh prefix: the layout, libraries found from a clean environment through
// the binaries' own RPATHs, and the installed auhost finding the effect inside the installed application.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string output; // stdout and stderr
};

/// Runs `command` through the shell and collects what it prints.
Result run(const std::string& command) {
    Result r;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return r;
    }
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        r.output.append(buffer, n);
    }
    const int raw = ::pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

/// `env -i`, keeping only the sanitizers' settings (a sanitized build's binaries read them).
std::string cleanEnvironment() {
    std::string env = "env -i";
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) {
            env += std::string(" ") + name + "='" + value + "'";
        }
    }
    return env;
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(Install, PrefixHoldsHostLauncherBundleAndDesktopEntryAndTheHostFindsTheEffectInTheBundle) {
    const fs::path prefix = fs::temp_directory_path() / ("quorbel-install-" + std::to_string(::getpid()));
    fs::remove_all(prefix);
    const Result install =
        run("'" CMAKE_COMMAND "' --install '" QUORBEL_BUILD_DIR "' --prefix '" + prefix.string() + "'");
    ASSERT_EQ(install.status, 0) << install.output;

    const fs::path app = prefix / "lib/quorbel/Quorbel.app";
    const fs::path appex = app / "Contents/PlugIns/QuorbelAUMac.appex";
    for (const fs::path& file :
         {prefix / "bin/auhost", app / "Contents/Info.plist", app / "Contents/MacOS/Quorbel",
          appex / "Contents/Info.plist", appex / "Contents/MacOS/QuorbelAUMac"}) {
        EXPECT_TRUE(fs::is_regular_file(file)) << file;
    }
    EXPECT_EQ(fs::canonical(prefix / "bin/quorbel"), fs::canonical(app / "Contents/MacOS/Quorbel"));
    EXPECT_NE(slurp(prefix / "share/applications/quorbel.desktop")
                  .find("\nExec=" + prefix.string() + "/bin/quorbel\n"),
              std::string::npos);

    // Every library resolves, and the platform's from the prefix, with no library path set.
    for (const fs::path& binary :
         {prefix / "bin/auhost", app / "Contents/MacOS/Quorbel", appex / "Contents/MacOS/QuorbelAUMac"}) {
        const Result ldd = run(cleanEnvironment() + " /usr/bin/ldd '" + binary.string() + "'");
        EXPECT_EQ(ldd.status, 0) << ldd.output;
        EXPECT_EQ(ldd.output.find("not found"), std::string::npos) << ldd.output;
        std::istringstream lines(ldd.output);
        for (std::string line; std::getline(lines, line);) {
            if (line.find("libquorbel_") != std::string::npos) {
                EXPECT_NE(line.find("=> " + prefix.string() + "/"), std::string::npos)
                    << binary << ": " << line;
            }
        }
    }

    const std::string auhost = cleanEnvironment() + " '" + (prefix / "bin/auhost").string() + "'";
    const Result list = run(auhost + " list");
    EXPECT_EQ(list.status, 0) << list.output;
    EXPECT_NE(list.output.find(fs::canonical(appex).string()), std::string::npos) << list.output;
    const std::string in = (prefix / "demo.wav").string();
    const std::string out = (prefix / "out.wav").string();
    const Result demo = run(auhost + " render '" + in + "'");
    ASSERT_EQ(demo.status, 0) << demo.output;
    const Result render = run(auhost + " render '" + in + "' '" + out + "' --raw --set mix=0.5");
    EXPECT_EQ(render.status, 0) << render.output;
    EXPECT_EQ(fs::file_size(out), fs::file_size(in));
    fs::remove_all(prefix);
}
