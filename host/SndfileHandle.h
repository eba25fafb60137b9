#pragma once
/// An open libsndfile file, closed when its owner goes.

#include <sndfile.h>

#include <memory>

namespace auhost {

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

} // namespace auhost
