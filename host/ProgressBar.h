#pragma once
#include <chrono>
#include <string>

namespace auhost {

/// A one-line progress bar on stderr, shown only when stderr is a terminal and the work has already
/// taken more than half a second; redrawn at most ten times a second.
class ProgressBar {
public:
    explicit ProgressBar(std::string label);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    /// Reports the fraction done, 0 to 1.
    void update(double fraction);
    /// Clears the bar's line, if it was shown.
    void finish();

private:
    std::string label_;
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};

} // namespace auhost
