// libFuzzer's entry point for one fuzz target; the build names the target in QUORBEL_FUZZ_ENTRY.
#include "FuzzTargets.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return QUORBEL_FUZZ_ENTRY(data, size);
}
