#include "measurement/random.h"
#include "measurement/target_draw.h"

#include <gtest/gtest.h>

#include <bitset>
#include <cmath>
#include <string>

namespace tintora::measurement {
namespace {

    TEST(ChannelValue, CoversZeroTo255AndNever256)
    {
        EXPECT_EQ(channel_value(0.0F), 0);
        EXPECT_EQ(channel_value(1.0F / 256.0F), 1);
        EXPECT_EQ(channel_value(std::nextafter(1.0F / 256.0F, 0.0F)), 0);
        EXPECT_EQ(channel_value(150.0F / 256.0F), 150);
        EXPECT_EQ(channel_value(std::nextafter(1.0F, 0.0F)), 255);
    }

    class RecordingRandom final : public RandomSource {
    public:
        void reseed_from_clock() override { log += 'S'; }
        float next() override
        {
            log += 'D';
            return static_cast<float>(++m_draws * 40) / 256.0F;
        }
        std::string log;

    private:
        int m_draws = 0;
    };

    TEST(TargetDraw, ReseedsBeforeEachOfRedGreenBlue)
    {
        RecordingRandom random;
        auto const target = target_draw(random);
        EXPECT_EQ(random.log, "SDSDSD");
        EXPECT_EQ(target.channel, (std::array<int, 3> { 40, 80, 120 }));
        EXPECT_EQ(target.colour(), model::rgb(40, 80, 120));
        EXPECT_EQ(target.colour_with(1, 150), model::rgb(40, 150, 120));
    }

    // A clock too coarse to change between the three reseeds of one draw must
    // not make the three channels equal.
    TEST(ClockSeededRandom, ReseedsWithOneClockReadingDoNotForceEqualChannels)
    {
        ClockSeededRandom random([] { return std::uint64_t { 1234567 }; });
        int all_equal = 0;
        int red_equals_green = 0;
        for (int i = 0; i < 2000; ++i) {
            auto const target = target_draw(random);
            all_equal
                += target.channel[0] == target.channel[1] && target.channel[1] == target.channel[2] ? 1 : 0;
            red_equals_green += target.channel[0] == target.channel[1] ? 1 : 0;
        }
        EXPECT_LE(all_equal, 2);
        EXPECT_LE(red_equals_green, 40); // about 2000 / 256 expected
    }

    TEST(ClockSeededRandom, EveryChannelValueOccursAndNothingOutsideIt)
    {
        std::uint64_t tick = 0;
        ClockSeededRandom random([&tick] { return tick += 997; });
        std::bitset<256> seen;
        for (int i = 0; i < 20000; ++i) {
            random.reseed_from_clock();
            float const r = random.next();
            ASSERT_GE(r, 0.0F);
            ASSERT_LT(r, 1.0F);
            int const value = channel_value(r);
            ASSERT_GE(value, 0);
            ASSERT_LE(value, 255);
            seen.set(static_cast<std::size_t>(value));
        }
        EXPECT_TRUE(seen.all()) << seen.count() << " of 256 values seen";
    }

    TEST(ClockSeededRandom, FollowsBothTheClockAndItsOwnState)
    {
        auto const first_draw = [](std::uint64_t reading, std::uint64_t state) {
            ClockSeededRandom random([reading] { return reading; }, state);
            random.reseed_from_clock();
            return random.next();
        };
        EXPECT_EQ(first_draw(5, 9), first_draw(5, 9)) << "not reproducible";
        EXPECT_NE(first_draw(5, 9), first_draw(6, 9)) << "ignores the clock";
        EXPECT_NE(first_draw(5, 9), first_draw(5, 10)) << "replaces its state with the clock";
    }

}
}
