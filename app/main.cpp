// Quorbel: the container application. Shows a small window about the effect (logo, version, caption)
// and ends when that window closes or on Ctrl+Q. It carries the effect in its bundle and never loads it.

#include "app/AppDelegate.h"
#include "ui/NSApplication.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

namespace {

// Set at start-up and held for the life of the process: the application object does not own its delegate.
platform::NSApplication* app = nullptr;
std::shared_ptr<quorbel::AppDelegate> delegate;

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: %s\nShows the Quorbel window; close it or press Ctrl+Q to quit.\n", argv[0]);
            return 0;
        }
        std::fprintf(stderr, "%s: unknown argument '%s' (try --help)\n", program_invocation_short_name,
                     argv[i]);
        return 2;
    }
    try {
        app = &platform::NSApplication::shared();
        delegate = std::make_shared<quorbel::AppDelegate>();
        app->setDelegate(delegate);
        app->setActivationPolicy(platform::NSApplicationActivationPolicyRegular);
        app->run();
    } catch (const std::exception& e) {
        // The prefix of the platform's warnings too: the program's name, not the path it was started by.
        std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, e.what());
        return 1;
    }
    return 0;
}
