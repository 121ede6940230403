#include "platform/ui/MessageBox.h"

#include <gtest/gtest.h>

#include <string>

using namespace platform::ui;

TEST(MessageBox, TheHookAnswersEveryBox)
{
    std::string seen;
    UINT seenType = 0;
    SetMessageBoxHook([&](std::string_view text, std::string_view caption, UINT type) {
        seen = std::string(caption) + ": " + std::string(text);
        seenType = type;
        return IDNO;
    });
    EXPECT_EQ(MessageBox(nullptr, "Delete the catalog?", "Pellidor", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(seen, "Pellidor: Delete the catalog?");
    EXPECT_EQ(seenType, MB_YESNO | MB_ICONQUESTION);
    SetMessageBoxHook(nullptr);
}
