// The platform's identifier-list elements and the check that lists from
// outside pass before anything reads them.

#include "platform/shell/NamespaceIds.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace platform::shell;

namespace {

constexpr CLSID kJunction = MakeGuid(0x4C7D2A90, 0x83B1, 0x4E6F, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14);

std::vector<BYTE> Bytes(std::initializer_list<int> values)
{
    std::vector<BYTE> bytes;
    for (int value : values)
        bytes.push_back(static_cast<BYTE>(value));
    return bytes;
}

std::vector<BYTE> Concat(std::vector<BYTE> list, const std::vector<BYTE>& tail)
{
    list.insert(list.end(), tail.begin(), tail.end());
    return list;
}

// The elements of a list without its terminator.
std::vector<BYTE> Elements(std::vector<BYTE> list)
{
    list.resize(list.size() - 2);
    return list;
}

struct BadList {
    const char* why;
    std::vector<BYTE> bytes;
};

void PrintTo(const BadList& value, std::ostream* out)
{
    *out << value.why;
}

class RefusedList : public testing::TestWithParam<BadList> { };

} // namespace

TEST(NamespaceIds, ListsOfThePlatformsPlaces)
{
    EXPECT_EQ(DesktopIdList(), Bytes({0, 0}));
    EXPECT_EQ(MyComputerIdList(),
        Bytes({0x14, 0, 0x1F, 0x0F, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30,
            0x30, 0x9D, 0, 0}));
    EXPECT_EQ(DriveIdList("/media/cd"),
        Concat(
            Elements(MyComputerIdList()), Bytes({13, 0, 0x2F, '/', 'm', 'e', 'd', 'i', 'a', '/', 'c', 'd', 0, 0, 0})));
    const std::vector<BYTE> file = AppendFileSystemItem(DriveIdList("/media/cd"), "a.txt", false);
    EXPECT_EQ(file, Concat(Elements(DriveIdList("/media/cd")), Bytes({9, 0, 0x32, 'a', '.', 't', 'x', 't', 0, 0, 0})));
    EXPECT_EQ(ParentIdList(file), DriveIdList("/media/cd"));
    EXPECT_EQ(ParentIdList(MyComputerIdList()), DesktopIdList());
    EXPECT_EQ(ParentIdList(DesktopIdList()), DesktopIdList());
}

TEST(NamespaceIds, WellFormedListsPassWithTheirSize)
{
    const std::vector<std::vector<BYTE>> lists = {
        DesktopIdList(),
        MyComputerIdList(),
        DriveIdList("/"),
        AppendFileSystemItem(AppendFileSystemItem(DriveIdList("/media/cd"), "dir", true), "f", false),
        AppendFileSystemItem(DesktopFolderIdList("/home/user"), "Documents", true),
        DesktopJunctionIdList(kJunction),
        // Below a junction every element is its extension's: only its bounds
        // count.
        Concat(Elements(MyComputerJunctionIdList(kJunction)), Bytes({5, 0, 0xFF, 0xFF, 0xFF, 0, 0})),
        Concat(Elements(DesktopJunctionIdList(kJunction)), Bytes({2, 0, 0, 0})),
    };
    for (const std::vector<BYTE>& list : lists) {
        EXPECT_EQ(ValidateIdList(list.data(), list.size()), list.size());
        // Bytes behind the terminator are not the list's.
        std::vector<BYTE> padded = Concat(list, Bytes({0xAA, 0xBB}));
        EXPECT_EQ(ValidateIdList(padded.data(), padded.size()), list.size());
    }
    const std::vector<Element> elements = SplitIdList(DriveIdList("/media/cd"));
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(elements[0].clsid, CLSID_MyComputer);
    EXPECT_EQ(elements[1].text, "/media/cd");
    const std::vector<Element> junction
        = SplitIdList(Concat(Elements(MyComputerJunctionIdList(kJunction)), Bytes({5, 0, 0x31, 'x', 0, 0, 0})));
    ASSERT_EQ(junction.size(), 3u);
    EXPECT_EQ(junction[1].clsid, kJunction);
    EXPECT_FALSE(junction[2].platform);
    EXPECT_TRUE(junction[2].text.empty());
}

TEST_P(RefusedList, IsRefusedWithoutReadingPastIt)
{
    const std::vector<BYTE>& bytes = GetParam().bytes;
    // Exactly sized, so a read past the end would be seen by the sanitizers.
    std::unique_ptr<BYTE[]> block(new BYTE[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), block.get());
    EXPECT_EQ(ValidateIdList(block.get(), bytes.size()), 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedList,
    testing::Values(BadList{"empty block", {}}, BadList{"half a terminator", Bytes({0})},
        BadList{"no terminator", Elements(MyComputerIdList())},
        BadList{"element past the end", Bytes({0x30, 0, 0x2F, '/', 0, 0, 0})},
        BadList{"element shorter than its size field", Bytes({1, 0, 0, 0})},
        BadList{"root element of the wrong size",
            Bytes({0x13, 0, 0x1F, 0x0F, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B,
                0x30, 0x30, 0, 0})},
        BadList{"relative drive path", Concat(Elements(MyComputerIdList()), Bytes({6, 0, 0x2F, 'c', 'd', 0, 0, 0}))},
        BadList{"path without its NUL", Concat(Elements(MyComputerIdList()), Bytes({5, 0, 0x2F, '/', 'x', 0, 0}))},
        BadList{"NUL inside a name", AppendFileSystemItem(DriveIdList("/"), std::string("a\0b", 3), true)},
        BadList{"slash inside a name", AppendFileSystemItem(DriveIdList("/"), "a/b", true)},
        BadList{"dot-dot name", AppendFileSystemItem(DriveIdList("/"), "..", true)},
        BadList{"file with something below it",
            AppendFileSystemItem(AppendFileSystemItem(DriveIdList("/"), "f", false), "g", true)},
        BadList{
            "unknown element after My Computer", Concat(Elements(MyComputerIdList()), Bytes({4, 0, 0x70, 1, 0, 0}))},
        BadList{"file-system item straight under the Desktop", AppendFileSystemItem(DesktopIdList(), "x", true)},
        BadList{"junction element first",
            Bytes({0x14, 0, 0x2E, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0, 0})}));
