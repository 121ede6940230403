// The Favorites folder and the paths of file-system identifier lists.

#include "platform/shell/SpecialFolders.h"
#include "platform/com/Memory.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/NamespaceIds.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

using namespace platform::shell;

namespace {

constexpr CLSID kJunction = MakeGuid(0x4C7D2A90, 0x83B1, 0x4E6F, 0x9D, 0x25, 0x7A, 0x0C, 0x3E, 0x5B, 0x8F, 0x14);

std::vector<BYTE> Folders(std::vector<BYTE> list, std::initializer_list<const char*> names, bool lastIsFile = false)
{
    std::size_t left = names.size();
    for (const char* name : names)
        list = AppendFileSystemItem(list, name, !(lastIsFile && --left == 0));
    return list;
}

} // namespace

TEST(SpecialFolders, FavoritesIsMadeInTheDataDirectoryAndNamedAsAFolder)
{
    const std::string expected = std::string(std::getenv("XDG_DATA_HOME")) + "/pellidor/Favorites";
    ASSERT_FALSE(QFileInfo::exists(QString::fromStdString(expected)));
    LPITEMIDLIST list = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_FAVORITES, &list), S_OK);
    const platform::com::TaskMemPtr<ITEMIDLIST> owned(list);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(expected)).isDir());
    const std::optional<std::string> path = PathFromIdList(IdListBytes(owned.get()));
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, QDir(QString::fromStdString(expected)).canonicalPath().toStdString());

    list = reinterpret_cast<LPITEMIDLIST>(&list);
    EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, 0x0005, &list), E_INVALIDARG);
    EXPECT_EQ(list, nullptr);
}

struct ListPath {
    const char* name;
    std::vector<BYTE> list;
    std::optional<std::string> path;
};

void PrintTo(const ListPath& list, std::ostream* out)
{
    *out << list.name;
}

class PathOfList : public testing::TestWithParam<ListPath> { };

TEST_P(PathOfList, IsTheFileSystemPathOrNothing)
{
    EXPECT_EQ(PathFromIdList(GetParam().list), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Lists, PathOfList,
    testing::Values(ListPath{"RootDrive", Folders(DriveIdList("/"), {"home", "ann"}), "/home/ann"},
        ListPath{"MountedDrive", Folders(DriveIdList("/media/stick"), {"photos", "beach.jpg"}, true),
            "/media/stick/photos/beach.jpg"},
        ListPath{"DriveAlone", DriveIdList("/media/stick"), "/media/stick"},
        ListPath{"HomeOnTheDesktop", Folders(DesktopFolderIdList("/home/ann"), {"Music"}), "/home/ann/Music"},
        ListPath{"MyComputer", MyComputerIdList(), std::nullopt}, ListPath{"Desktop", DesktopIdList(), std::nullopt},
        ListPath{"Junction", MyComputerJunctionIdList(kJunction), std::nullopt},
        ListPath{"Truncated", std::vector<BYTE>{30, 0, kElementPath, '/', 0}, std::nullopt}),
    [](const testing::TestParamInfo<ListPath>& param) { return std::string(param.param.name); });
