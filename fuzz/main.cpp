// The libFuzzer entry of one target; the build names the target's header and function, so that the
// fuzzer and the regression replay run the very same code.
#include <cstddef>
#include <cstdint>

#include ALDRA_FUZZ_HEADER

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return aldra::fuzz::ALDRA_FUZZ_ENTRY(data, size);
}
