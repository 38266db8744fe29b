#include "measurement/measurement.h"
#include "measurement/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace tintora::measurement {
namespace {

    struct Reading {
        char const* caption;
        double value;
    };

    TEST(StrictNumber, ReadsWholeDecimalCaptions)
    {
        for (auto const& [caption, value] :
            { Reading { "150", 150 }, Reading { "0", 0 }, Reading { "255", 255 }, Reading { "-50", -50 },
                Reading { " 7 ", 7 }, Reading { "+4", 4 }, Reading { "2.5", 2.5 } }) {
            SCOPED_TRACE(caption);
            EXPECT_EQ(strict_number(caption), value);
        }
    }

    TEST(StrictNumber, RefusesAnythingElse)
    {
        for (char const* caption :
            { "", " ", "Label4", "12abc", "-", ".", "1e3", "inf", "nan", "0x10", "1 2" }) {
            SCOPED_TRACE(caption);
            EXPECT_THROW((void)strict_number(caption), ConversionError);
        }
    }

    TEST(LeadingNumber, TakesTheLeadingNumberOrZero)
    {
        for (auto const& [caption, value] :
            { Reading { "12", 12 }, Reading { "", 0 }, Reading { "abc", 0 }, Reading { "12abc", 12 },
                Reading { "  -3.5x", -3.5 }, Reading { "+4", 4 }, Reading { ".", 0 }, Reading { ".5", 0.5 },
                Reading { "Label7", 0 }, Reading { "255 ", 255 } }) {
            SCOPED_TRACE(caption);
            EXPECT_EQ(leading_number(caption), value);
        }
    }

    TEST(NumberText, WritesPlainShortestDecimals)
    {
        EXPECT_EQ(number_text(100), "100");
        EXPECT_EQ(number_text(-665), "-665");
        EXPECT_EQ(number_text(0), "0");
        EXPECT_EQ(number_text(-0.0), "0");
        EXPECT_EQ(number_text(0.5), "0.5");
        EXPECT_EQ(number_text(255), "255");
        EXPECT_EQ(number_text(100000), "100000");
        EXPECT_EQ(number_text(12.25), "12.25");
        EXPECT_THROW((void)number_text(std::numeric_limits<double>::infinity()), ConversionError);
        EXPECT_THROW((void)number_text(std::nan("")), ConversionError);
    }

    struct Band {
        double error;
        std::optional<model::Mark> mark;
    };

    TEST(MarkForError, BandsAtEveryBoundary)
    {
        using model::Mark;
        for (auto const& [error, mark] : { Band { 0, Mark::Excellent }, Band { 5, Mark::Excellent },
                 Band { 6, Mark::Good }, Band { 10, Mark::Good }, Band { 11, Mark::Poor },
                 Band { 255, Mark::Poor }, Band { -5, Mark::Excellent }, Band { -6, Mark::Good },
                 Band { -10, Mark::Good }, Band { -11, Mark::Poor }, Band { 5.5, std::nullopt },
                 Band { 10.5, std::nullopt }, Band { -5.5, std::nullopt } }) {
            SCOPED_TRACE(error);
            EXPECT_EQ(mark_for_error(error), mark);
        }
    }

}
}
