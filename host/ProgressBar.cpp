#include "host/ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace auhost {

using Clock = std::chrono::steady_clock;

ProgressBar::ProgressBar(std::string label)
    : label_(std::move(label)), enabled_(isatty(STDERR_FILENO) != 0), start_(Clock::now()),
      lastDraw_(start_) {}

ProgressBar::~ProgressBar() {
    finish();
}

void ProgressBar::update(double fraction) {
    if (!enabled_) {
        return;
    }
    const auto now = Clock::now();
    if (now - start_ < std::chrono::milliseconds(500) ||
        (shown_ && now - lastDraw_ < std::chrono::milliseconds(100))) {
        return;
    }
    lastDraw_ = now;
    shown_ = true;
    constexpr int width = 40;
    const double f = std::clamp(fraction, 0.0, 1.0);
    const int filled = static_cast<int>(f * width);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(width - filled), '.');
    std::fprintf(stderr, "\r%s [%s] %3d%%", label_.c_str(), bar.c_str(), static_cast<int>(f * 100.0));
    std::fflush(stderr);
}

void ProgressBar::finish() {
    if (shown_) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        shown_ = false;
    }
}

} // namespace auhost
