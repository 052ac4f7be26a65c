// GoogleTest entry point shared by every test executable: one QApplication on the
// offscreen platform, so widget tests render without a display and no test can block on
// a window.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // ctest lists the tests with --gtest_list_tests before it runs them, outside the tests'
    // environment (no display, no sanitizer suppressions): a list needs no application.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
