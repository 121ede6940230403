// The drive menu: which selections get Add to Pellidor, and which drives
// choosing it reads, in which order.

#include "reader/ReadMenu.h"

#include "platform/com/ComPtr.h"
#include "platform/shell/DropFiles.h"
#include "platform/ui/Menu.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pellidor::test {
namespace {

std::vector<std::string> g_read;

void RecordRead(const std::string& root)
{
    g_read.push_back(root);
}

struct SelectionCase {
    const char* name;
    std::vector<const char*> drives; // names in the drive table below
    bool itemShown;
    std::vector<const char*> read;
};

class ReadMenuTest : public testing::TestWithParam<SelectionCase> {
protected:
    void SetUp() override
    {
        g_read.clear();
        std::string table;
        // name, type: a fixed disk, two optical drives, a stick.
        for (const auto& [name, type] : {std::pair{"fixed", 3}, {"cd1", 5}, {"cd2", 5}, {"stick", 2}}) {
            const std::string root = TestPath(std::string("drives/") + name + "/x");
            table += root.substr(0, root.size() - 2) + "\t" + std::to_string(type) + "\tLABEL\t1\tFS\t10\t0\t1\n";
        }
        WriteFile(TestRoot() + "/drives.table", table);
    }

    static std::string Root(const char* name) { return TestRoot() + "/drives/" + name; }

    platform::com::ComPtr<CReadMenu> MenuFor(const std::vector<const char*>& drives)
    {
        std::vector<std::string> roots;
        for (const char* name : drives)
            roots.push_back(Root(name));
        auto menu = platform::com::MakeCom<CReadMenu>(&RecordRead);
        const auto data = platform::shell::CreateDropFilesDataObject(roots);
        EXPECT_EQ(menu->Initialize(nullptr, data.Get(), nullptr), S_OK);
        return menu;
    }
};

TEST_P(ReadMenuTest, ShowsTheItemForReadableDrivesAndReadsOnlyThoseInOrder)
{
    const SelectionCase& c = GetParam();
    const auto menu = MenuFor(c.drives);
    const auto popup = platform::ui::CreatePopupMenu();
    popup->AppendString(1, "&Open");
    const HRESULT answer = menu->QueryContextMenu(popup.get(), 0, 0x100, 0x7FFF, 0);
    ASSERT_EQ(HRESULT_CODE(answer), c.itemShown ? 2 : 0) << c.name;
    ASSERT_EQ(popup->GetItemCount(), c.itemShown ? 2 : 1) << c.name;
    if (c.itemShown) {
        const platform::ui::MenuItem* item = popup->GetItem(0);
        EXPECT_EQ(item->id, 0x101u);
        EXPECT_EQ(item->text, "Add to Pellidor");
        EXPECT_FALSE(item->checkedMark.isNull());
        EXPECT_FALSE(item->uncheckedMark.isNull());
    }
    CMINVOKECOMMANDINFO info;
    EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
    std::vector<std::string> expected;
    for (const char* name : c.read)
        expected.push_back(Root(name));
    EXPECT_EQ(g_read, expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Selections, ReadMenuTest,
    testing::Values(SelectionCase{"FixedAndOptical", {"fixed", "cd1"}, true, {"cd1"}},
        SelectionCase{"TwoOptical", {"cd2", "cd1"}, true, {"cd2", "cd1"}},
        SelectionCase{"Removable", {"stick"}, true, {"stick"}}, SelectionCase{"FixedAlone", {"fixed"}, false, {}},
        SelectionCase{"Nothing", {}, false, {}}),
    [](const testing::TestParamInfo<SelectionCase>& param) { return std::string(param.param.name); });

TEST(ReadMenu, ANewSelectionReplacesTheOldAndNoneLeavesNoItem)
{
    WriteFile(TestRoot() + "/drives.table",
        TestPath("cd/x").substr(0, TestPath("cd/x").size() - 2) + "\t5\tDISC\t1\tCDFS\t10\t0\t1\n");
    auto menu = platform::com::MakeCom<CReadMenu>(&RecordRead);
    const auto data = platform::shell::CreateDropFilesDataObject({TestRoot() + "/cd"});
    ASSERT_EQ(menu->Initialize(nullptr, data.Get(), nullptr), S_OK);
    EXPECT_EQ(menu->DropCount(), 1u);
    EXPECT_EQ(menu->Initialize(nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(menu->DropCount(), 0u);
    const auto popup = platform::ui::CreatePopupMenu();
    EXPECT_EQ(menu->QueryContextMenu(popup.get(), 0, 1, 10, 0), MAKE_HRESULT(0, 0, 0));
    EXPECT_EQ(popup->GetItemCount(), 0);
}

} // namespace
} // namespace pellidor::test
