#include "support/RegisterModel.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// A long random run of the program's own operations on the register agrees with a plain
// model after every step. TAVLORA_MODEL_SEED replays another seed.
TEST(RegisterModel, RandomStepsAgreeWithAPlainModel) {
    const char* env = std::getenv("TAVLORA_MODEL_SEED");
    const uint32_t seed = env ? uint32_t(std::strtoul(env, nullptr, 10)) : 20261209;
    std::mt19937 random(seed);
    const std::vector<model::Step> steps = model::MakeSteps(3000, [&] { return random(); });
    TempDir t;
    model::Runner runner(t.Path());
    if (const auto failure = runner.Run(steps)) {
        const std::vector<model::Step> fewest = model::Shrink(runner, steps);
        FAIL() << "seed " << seed << ", " << *failure << "\nfails in " << fewest.size()
               << " steps: " << model::Describe(fewest) << "\n"
               << runner.Run(fewest).value_or("");
    }
}

} // namespace
