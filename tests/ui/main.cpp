#include "ui/application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Headless unless told otherwise, also when ctest lists the tests.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tintora::ui::Application application(argv[0]);
    return RUN_ALL_TESTS();
}
