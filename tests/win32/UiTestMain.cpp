// The in-process tests of the windows: they create the real windows in this
// process and drive them with the messages a user's actions send.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_CTYPE, "japanese");
    InitCommonControls();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
