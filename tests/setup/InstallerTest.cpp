// Setup's steps: the entries and files Install leaves, the shelf's places,
// failures that are recorded while the later steps still run, and what
// Uninstall takes away (and what it must not).

#include "setup/Installer.h"

#include "platform/registry/Registry.h"
#include "platform/system/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

namespace pellidor::test {
namespace {

using platform::registry::Hive;
using platform::registry::Key;

const std::string kShelf = "{4C7D2A90-83B1-4E6F-9D25-7A0C3E5B8F14}";
const std::string kMenu = "{4C7D2A91-83B1-4E6F-9D25-7A0C3E5B8F14}";
const std::string kFind = "{4C7D2A92-83B1-4E6F-9D25-7A0C3E5B8F14}";

std::string Value(Hive hive, const std::string& path, const std::string& name = "")
{
    Key key;
    std::string value;
    if (key.Open(hive, path) != 0)
        return "<no key>";
    if (key.QueryString(name, value, 4096) != 0)
        return "<no value>";
    return value;
}

bool HasKey(Hive hive, const std::string& path)
{
    Key key;
    return key.Open(hive, path) == 0;
}

void MakeKey(Hive hive, const std::string& path)
{
    Key key;
    ASSERT_EQ(key.Create(hive, path), 0);
    ASSERT_EQ(key.SetString("", "Pellidor"), 0);
}

bool Exists(const std::string& path)
{
    return QFileInfo::exists(QString::fromStdString(path));
}

class InstallerTest : public testing::Test {
protected:
    void SetUp() override
    {
        source_ = TestRoot() + "/source";
        WriteFile(TestPath("source/Pellidor.so"), "library");
        WriteFile(TestPath("source/Setup"), "installer");
        catalogs_ = TestRoot() + "/catalogs";
    }

    setup::CInstaller Installer() const
    {
        setup::CInstaller installer(source_);
        installer.State().catalogDirectory = catalogs_;
        return installer;
    }

    std::string source_;
    std::string catalogs_;
};

TEST_F(InstallerTest, FirstInstallationPutsTheShelfOnTheDesktopOnlyAndWritesEveryEntry)
{
    setup::CInstaller installer = Installer();
    EXPECT_TRUE(installer.State().iconOnDesktop);
    EXPECT_FALSE(installer.State().iconInMyComputer);
    ASSERT_TRUE(installer.Install()) << installer.State().actionText << ": " << installer.State().errorText;

    const std::string target = platform::system::SystemDirectory() + "/ShellExt";
    EXPECT_EQ(ReadFile(target + "/Pellidor.so"), "library");
    EXPECT_EQ(ReadFile(target + "/pldinst.dll"), "installer");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(catalogs_)).isDir());

    const std::string library = target + "/Pellidor.so";
    for (const std::string& clsid : {kShelf, kMenu, kFind}) {
        EXPECT_EQ(Value(Hive::ClassesRoot, "CLSID\\" + clsid), "Pellidor");
        EXPECT_EQ(Value(Hive::ClassesRoot, "CLSID\\" + clsid + "\\InprocServer32"), library);
        EXPECT_EQ(Value(Hive::ClassesRoot, "CLSID\\" + clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
    }
    Key folder;
    DWORD attributes = 0;
    ASSERT_EQ(folder.Open(Hive::ClassesRoot, "CLSID\\" + kShelf + "\\ShellFolder"), 0);
    ASSERT_EQ(folder.QueryDword("Attributes", attributes), 0);
    EXPECT_EQ(attributes, 0xE8000100u);
    EXPECT_EQ(Value(Hive::ClassesRoot, std::string(setup::kDriveMenuHandlersKey) + "\\Pellidor"), kMenu);
    EXPECT_TRUE(HasKey(Hive::LocalMachine, std::string(setup::kDesktopNamespaceKey) + "\\" + kShelf));
    EXPECT_FALSE(HasKey(Hive::LocalMachine, std::string(setup::kMyComputerNamespaceKey) + "\\" + kShelf));
    const std::string find = std::string(setup::kFindExtensionsKey) + "\\Pellidor";
    EXPECT_EQ(Value(Hive::LocalMachine, find), kFind);
    EXPECT_EQ(Value(Hive::LocalMachine, find + "\\0"), "With Pellidor ...");
    EXPECT_EQ(Value(Hive::LocalMachine, find + "\\0\\HelpText"), "Search in Pellidor catalog");
    EXPECT_EQ(Value(Hive::LocalMachine, setup::kCatDirKey), catalogs_);
    EXPECT_EQ(Value(Hive::LocalMachine, setup::kApprovedKey, kShelf), "Pellidor");
    EXPECT_EQ(Value(Hive::LocalMachine, std::string(setup::kUninstallKey) + "\\Pellidor", "UninstallString"),
        target + "/pldinst.dll /uninstall");
    EXPECT_FALSE(installer.State().restartNeeded);
}

TEST_F(InstallerTest, ClearingMyComputerDeletesTheKeyOfAnEarlierInstallation)
{
    MakeKey(Hive::LocalMachine, std::string(setup::kMyComputerNamespaceKey) + "\\" + kShelf);
    MakeKey(Hive::LocalMachine, std::string(setup::kDesktopNamespaceKey) + "\\" + kShelf);
    setup::CInstaller installer = Installer();
    EXPECT_TRUE(installer.State().iconOnDesktop);
    EXPECT_TRUE(installer.State().iconInMyComputer);
    installer.State().iconInMyComputer = false;
    ASSERT_TRUE(installer.Install());
    EXPECT_FALSE(HasKey(Hive::LocalMachine, std::string(setup::kMyComputerNamespaceKey) + "\\" + kShelf));
    EXPECT_TRUE(HasKey(Hive::LocalMachine, std::string(setup::kDesktopNamespaceKey) + "\\" + kShelf));
    // The next run finds the choice again.
    EXPECT_FALSE(Installer().State().iconInMyComputer);
}

TEST_F(InstallerTest, CatalogDirectoryWithoutItsParentFailsThatStepAndTheRestStillRuns)
{
    setup::CInstaller installer = Installer();
    const std::string lost = TestRoot() + "/missing/parent/catalogs";
    installer.State().catalogDirectory = lost;
    EXPECT_FALSE(installer.Install());
    EXPECT_EQ(installer.State().actionText, "CreateDirectory: " + lost);
    EXPECT_EQ(installer.State().errorText, "The system cannot find the path specified.");
    EXPECT_FALSE(Exists(lost));
    EXPECT_TRUE(Exists(platform::system::SystemDirectory() + "/ShellExt/Pellidor.so"));
    EXPECT_EQ(Value(Hive::LocalMachine, setup::kCatDirKey), lost);
}

TEST_F(InstallerTest, AMissingLibraryIsRecordedAsItsCopy)
{
    QFile::remove(QString::fromStdString(source_ + "/Pellidor.so"));
    setup::CInstaller installer = Installer();
    EXPECT_FALSE(installer.Install());
    EXPECT_EQ(
        installer.State().actionText, "CopyFile: " + platform::system::SystemDirectory() + "/ShellExt/Pellidor.so");
    EXPECT_EQ(installer.State().errorText, "The system cannot find the file specified.");
    EXPECT_EQ(Value(Hive::ClassesRoot, "CLSID\\" + kShelf), "Pellidor") << "later steps ran";
}

TEST_F(InstallerTest, UninstallMovesOnlyTheTopLevelCatalogsToTheTrashAndKeepsTheApproval)
{
    ASSERT_TRUE(Installer().Install());
    WriteFile(TestPath("catalogs/0000AAAA.pld"), "PD");
    WriteFile(TestPath("catalogs/0000BBBB.PLD"), "PD");
    WriteFile(TestPath("catalogs/shelf folder/0000CCCC.pld"), "PD");
    WriteFile(TestPath("catalogs/looks like one.pld/inside.txt"), "x");
    WriteFile(TestPath("catalogs/notes.txt"), "x");

    setup::CInstaller installer = Installer();
    installer.State().deleteCatalogs = true;
    ASSERT_TRUE(installer.Uninstall()) << installer.State().actionText << ": " << installer.State().errorText;
    EXPECT_FALSE(Exists(catalogs_ + "/0000AAAA.pld"));
    EXPECT_FALSE(Exists(catalogs_ + "/0000BBBB.PLD"));
    EXPECT_TRUE(Exists(catalogs_ + "/shelf folder/0000CCCC.pld"));
    EXPECT_TRUE(Exists(catalogs_ + "/looks like one.pld/inside.txt"));
    EXPECT_TRUE(Exists(catalogs_ + "/notes.txt"));
    // In the Trash, where they can be restored from.
    const QDir trash(QString::fromStdString(platform::system::PlatformDataDirectory() + "/../Trash/files"));
    EXPECT_TRUE(trash.exists(QStringLiteral("0000AAAA.pld"))) << trash.absolutePath().toStdString();

    EXPECT_FALSE(HasKey(Hive::ClassesRoot, "CLSID\\" + kShelf));
    EXPECT_FALSE(HasKey(Hive::ClassesRoot, std::string(setup::kDriveMenuHandlersKey) + "\\Pellidor"));
    EXPECT_FALSE(HasKey(Hive::LocalMachine, std::string(setup::kDesktopNamespaceKey) + "\\" + kShelf));
    EXPECT_FALSE(HasKey(Hive::LocalMachine, "Software\\Pellidor"));
    EXPECT_FALSE(HasKey(Hive::LocalMachine, std::string(setup::kUninstallKey) + "\\Pellidor"));
    EXPECT_EQ(Value(Hive::LocalMachine, setup::kApprovedKey, kShelf), "Pellidor");
    EXPECT_TRUE(Exists(platform::system::SystemDirectory() + "/ShellExt/Pellidor.so"));
}

TEST_F(InstallerTest, UninstallRemovesTheCatalogDirectoryOnlyWhenItIsLeftEmpty)
{
    ASSERT_TRUE(Installer().Install());
    WriteFile(TestPath("catalogs/0000AAAA.pld"), "PD");
    setup::CInstaller keep = Installer();
    ASSERT_TRUE(keep.Uninstall());
    EXPECT_TRUE(Exists(catalogs_ + "/0000AAAA.pld")) << "not asked to delete catalogs";

    setup::CInstaller remove = Installer();
    remove.State().deleteCatalogs = true;
    ASSERT_TRUE(remove.Uninstall());
    EXPECT_FALSE(Exists(catalogs_));
}

} // namespace
} // namespace pellidor::test
