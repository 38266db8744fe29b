#include "measurement/measurement.h"
#include "tests/support/whole_measurement.h"

#include <gtest/gtest.h>

namespace tintora::measurement {
namespace {

    TEST(RandomWalk, InvariantsHoldAfterEveryStep)
    {
        constexpr unsigned walks = 20;
        constexpr int steps_per_walk = 5000;
        int scores_shown = 0;
        for (unsigned seed = 1; seed <= walks; ++seed) {
            model::Form1 form;
            std::uint64_t tick = seed;
            ClockSeededRandom random([&tick] { return tick += 1000; }, seed);
            Measurement measurement(form, random);
            connect(form, measurement);
            check::ModelHands hands(form);
            scores_shown += check::play_at_random(hands, check::ModelView(form), seed, steps_per_walk);
        }
        EXPECT_GT(scores_shown, walks * 50);
    }

}
}
