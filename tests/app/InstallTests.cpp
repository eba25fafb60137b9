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
#include <vector>

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

/// The arguments of a desktop entry's Exec value as written in the file: the string escapes undone (\s,
/// \n, \t, \r, \\), then the words split, a double-quoted one with \", \`, \$ and \\ unescaped, and %%
/// read as %. Empty when the value is malformed.
std::vector<std::string> execArguments(const std::string& value) {
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            text += value[i];
        } else if (++i < value.size()) {
            const char c = value[i];
            text += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        }
    }
    std::vector<std::string> words;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        std::string word;
        if (text[i] == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size() &&
                    std::string("\"`$\\").find(text[i + 1]) != std::string::npos) {
                    ++i;
                }
                word += text[i];
            }
            if (i++ == text.size()) {
                return {};
            }
        } else {
            for (; i < text.size() && text[i] != ' '; ++i) {
                word += text[i];
            }
        }
        for (std::size_t at = 0; (at = word.find("%%", at)) != std::string::npos; ++at) {
            word.erase(at, 1);
        }
        words.push_back(word);
    }
    return words;
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
                  .find("\nExec=\"" + prefix.string() + "/bin/quorbel\"\n"),
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

TEST(Install, DesktopEntryStartsTheLauncherFromAnyPrefixAndShowsTheLogo) {
    // A relative prefix, with a space, a letter beyond ASCII, and characters that Exec must escape.
    const fs::path base = fs::temp_directory_path() / ("quorbel-install-entry-" + std::to_string(::getpid()));
    const std::string name = "Quorbel \xC3\xA9 $HOME `x` \"q\"";
    fs::remove_all(base);
    fs::create_directories(base);
    const Result install =
        run("cd '" + base.string() + "' && '" CMAKE_COMMAND "' --install '" QUORBEL_BUILD_DIR "' --prefix '" +
            name + "'");
    ASSERT_EQ(install.status, 0) << install.output;
    const fs::path prefix = base / name;

    std::istringstream entry(slurp(prefix / "share/applications/quorbel.desktop"));
    std::vector<std::string> exec;
    std::string icon;
    for (std::string line; std::getline(entry, line);) {
        if (line.rfind("Exec=", 0) == 0) {
            exec = execArguments(line.substr(5));
        } else if (line.rfind("Icon=", 0) == 0) {
            icon = line.substr(5);
        }
    }
    ASSERT_EQ(exec, std::vector<std::string>{(prefix / "bin/quorbel").string()});
    EXPECT_EQ(fs::canonical(exec[0]),
              fs::canonical(prefix / "lib/quorbel/Quorbel.app/Contents/MacOS/Quorbel"));

    // The logo in the hicolor theme, as PNG files of their sizes (the width and height in the header).
    EXPECT_EQ(icon, "quorbel");
    for (const unsigned size : {48u, 128u, 256u}) {
        const std::string side = std::to_string(size);
        const std::string png =
            slurp(prefix / "share/icons/hicolor" / (side + "x" + side) / "apps" / (icon + ".png"));
        ASSERT_GE(png.size(), 24u) << side;
        EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n") << side;
        const auto bigEndian = [&](std::size_t at) {
            unsigned value = 0;
            for (std::size_t i = 0; i < 4; ++i) {
                value = value << 8 | static_cast<unsigned char>(png[at + i]);
            }
            return value;
        };
        EXPECT_EQ(bigEndian(16), size) << "width";
        EXPECT_EQ(bigEndian(20), size) << "height";
    }
    fs::remove_all(base);
}
