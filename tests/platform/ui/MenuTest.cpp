#include "platform/ui/Menu.h"

#include <gtest/gtest.h>

using namespace platform::ui;

TEST(Menu, InsertByPositionAndByCommandAndAppendPastTheEnd)
{
    Menu menu;
    menu.AppendString(10, "a");
    EXPECT_TRUE(menu.InsertItem(0, MF_BYPOSITION, MenuItem{MFT_STRING, MFS_ENABLED, 11, "b", nullptr}));
    EXPECT_TRUE(menu.InsertItem(10, MF_BYCOMMAND, MenuItem{MFT_STRING, MFS_ENABLED, 12, "c", nullptr}));
    EXPECT_TRUE(menu.InsertItem(99, MF_BYPOSITION, MenuItem{MFT_STRING, MFS_ENABLED, 13, "d", nullptr}));
    EXPECT_FALSE(menu.InsertItem(77, MF_BYCOMMAND, MenuItem{}));
    ASSERT_EQ(menu.GetItemCount(), 4);
    EXPECT_EQ(menu.GetItem(0)->text, "b");
    EXPECT_EQ(menu.GetItem(1)->text, "c");
    EXPECT_EQ(menu.GetItem(2)->text, "a");
    EXPECT_EQ(menu.GetItem(3)->text, "d");
    EXPECT_EQ(menu.GetItem(4), nullptr);
    EXPECT_EQ(menu.GetItem(-1), nullptr);
    EXPECT_TRUE(menu.RemoveItem(12, MF_BYCOMMAND));
    EXPECT_EQ(menu.GetItemCount(), 3);
}

TEST(Menu, OneDefaultItemAtATimeFoundByCommandOrPosition)
{
    Menu menu;
    menu.AppendString(1, "one");
    menu.AppendSeparator();
    menu.AppendString(2, "two");
    EXPECT_EQ(menu.GetDefaultItem(false), kNoItem);
    EXPECT_TRUE(menu.SetDefaultItem(2, false));
    EXPECT_EQ(menu.GetDefaultItem(false), 2u);
    EXPECT_EQ(menu.GetDefaultItem(true), 2u);
    EXPECT_TRUE(menu.SetDefaultItem(0, true));
    EXPECT_EQ(menu.GetDefaultItem(false), 1u);
    EXPECT_EQ(menu.GetItem(2)->state & MFS_DEFAULT, 0u);
    EXPECT_FALSE(menu.SetDefaultItem(5, false));
    EXPECT_EQ(menu.GetDefaultItem(false), 1u);
    EXPECT_TRUE(menu.SetDefaultItem(kNoItem, false));
    EXPECT_EQ(menu.GetDefaultItem(false), kNoItem);
}

TEST(Menu, StatesAndSubmenusAreFoundThroughTheTree)
{
    Menu menu;
    auto sub = CreatePopupMenu();
    sub->AppendString(7, "inner");
    menu.AppendPopup("&View", std::move(sub));
    EXPECT_EQ(menu.GetItemID(0), kNoItem);
    ASSERT_NE(menu.GetSubMenu(0), nullptr);
    EXPECT_TRUE(menu.CheckItem(7, MF_BYCOMMAND, true));
    EXPECT_TRUE(menu.EnableItem(7, MF_BYCOMMAND, false));
    ASSERT_NE(nullptr, menu.FindItem(7));
    EXPECT_EQ(menu.FindItem(7)->state, MFS_CHECKED | MFS_GRAYED);
    EXPECT_TRUE(menu.EnableItem(7, MF_BYCOMMAND, true));
    EXPECT_EQ(menu.FindItem(7)->state, MFS_CHECKED);
    const MenuPtr copy = menu.Clone();
    menu.CheckItem(7, MF_BYCOMMAND, false);
    ASSERT_NE(nullptr, copy->FindItem(7));
    EXPECT_EQ(copy->FindItem(7)->state, MFS_CHECKED);
}

TEST(MenuResource, ParsesItemsSeparatorsPopupsAndStates)
{
    const std::string text = "# comment\n"
                             "MENU 5\n"
                             "  ITEM 1 \"&First \\\"quoted\\\"\" DEFAULT\n"
                             "  SEPARATOR\n"
                             "  POPUP \"More\"\n"
                             "    ITEM 2 \"Inner\" GRAYED CHECKED\n"
                             "  END\n"
                             "END\n"
                             "MENU 6\n"
                             "END\n";
    const MenuPtr menu = ParseMenu(text, 5);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->GetItemCount(), 3);
    EXPECT_EQ(menu->GetItem(0)->text, "&First \"quoted\"");
    EXPECT_EQ(menu->GetItem(0)->state, MFS_DEFAULT);
    EXPECT_TRUE(menu->GetItem(1)->IsSeparator());
    ASSERT_TRUE(menu->GetItem(2)->IsPopup());
    ASSERT_NE(nullptr, menu->FindItem(2));
    EXPECT_EQ(menu->FindItem(2)->state, MFS_GRAYED | MFS_CHECKED);
    const MenuPtr empty = ParseMenu(text, 6);
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(empty->GetItemCount(), 0);
    EXPECT_EQ(ParseMenu(text, 7), nullptr);
}

// A broken resource yields no menu rather than part of one.
TEST(MenuResource, MalformedTextGivesNoMenu)
{
    for (const char* text : {
             "MENU 1\n  ITEM 1 \"a\"\n", // no END
             "MENU 1\n  ITEM x \"a\"\nEND\n", // id not a number
             "MENU 1\n  ITEM 1 a\nEND\n", // text not quoted
             "MENU 1\n  ITEM 1 \"a\nEND\n", // text not closed
             "MENU 1\n  ITEM 1 \"a\" BOLD\nEND\n", // unknown state
             "ITEM 1 \"a\"\n", // item outside a menu
             "MENU 1\nEND\nEND\n", // END too many
             "MENU 1\n  MENU 2\n  END\nEND\n", // nested MENU
             "MENU 1\nEND\nMENU 1\nEND\n", // id twice
             "MENU 1\n  FOO\nEND\n", // unknown keyword
             "MENU 99999999999\nEND\n", // id out of range
         }) {
        EXPECT_EQ(ParseMenu(text, 1), nullptr) << text;
    }
}

TEST(MenuResource, EachModuleLoadsItsOwnMenusAndUnknownIdsGiveNone)
{
    const MenuPtr first = LoadMenu(ResourceModule("first"), 7);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(first->GetItemCount(), 3);
    EXPECT_EQ(first->GetItem(0)->id, 22u);
    ASSERT_NE(first->GetItem(2)->submenu, nullptr);
    EXPECT_EQ(first->GetItem(2)->submenu->GetItem(0)->text, "Other");
    const MenuPtr second = LoadMenu(ResourceModule("second"), 7);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->GetItemCount(), 1);
    EXPECT_EQ(second->GetItem(0)->text, "Only item");
    EXPECT_EQ(LoadMenu(ResourceModule("first"), 4242), nullptr);
    EXPECT_EQ(LoadMenu(ResourceModule("no-such-module"), 7), nullptr);
}

TEST(Menu, PopupsAreFoundByTheirOwnIdsAtAnyDepth)
{
    Menu menu;
    auto tools = CreatePopupMenu();
    auto find = CreatePopupMenu();
    find->AppendString(7, "entry");
    MenuItem findItem;
    findItem.id = 0x8140;
    findItem.text = "&Find";
    findItem.submenu = std::move(find);
    tools->AppendItem(std::move(findItem));
    MenuItem toolsItem;
    toolsItem.id = 0x80C0;
    toolsItem.text = "&Tools";
    toolsItem.submenu = std::move(tools);
    menu.AppendItem(std::move(toolsItem));
    menu.AppendString(0x8140 + 1, "a command, not a pop-up");

    ASSERT_NE(menu.FindPopup(0x80C0), nullptr);
    ASSERT_NE(menu.FindPopup(0x8140), nullptr);
    EXPECT_EQ(menu.FindPopup(0x8140)->GetItemID(0), 7u);
    EXPECT_EQ(menu.FindPopup(0x8141), nullptr);
    // FindItem looks for commands and passes pop-ups by.
    EXPECT_EQ(menu.FindItem(0x8140), nullptr);
}
