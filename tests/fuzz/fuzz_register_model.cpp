// The register against the plain model of tests/support/RegisterModel.h, the fuzzer's bytes
// choosing the steps: any failure prints the step list that reproduces it.
#include "FuzzSupport.h"

#include "support/RegisterModel.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t at = 0;
    const auto next = [&] {
        uint32_t value = 0;
        const size_t n = std::min(sizeof value, size - at);
        std::memcpy(&value, data + at, n);
        at += n;
        return value;
    };
    const std::vector<model::Step> steps = model::MakeSteps(std::min<size_t>(size / 8, 64), next);
    static model::Runner runner(ScratchDir());
    if (const auto failure = runner.Run(steps)) {
        std::fprintf(stderr, "%s\nsteps: %s\n", failure->c_str(), model::Describe(steps).c_str());
        std::abort();
    }
    return 0;
}
