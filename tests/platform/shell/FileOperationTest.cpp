#include "platform/shell/FileOperation.h"

#include "platform/system/Errors.h"
#include "platform/system/File.h"
#include "platform/ui/MessageBox.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace platform::shell;
using pellidor::test::ReadFile;
using pellidor::test::TestPath;
using pellidor::test::WriteFile;

namespace {

struct Box {
    std::string text;
    std::string caption;
    UINT type;
};

// Records every message box and answers questions with `answer`.
class FileOperationTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::ui::SetMessageBoxHook([this](std::string_view text, std::string_view caption, UINT type) {
            boxes.push_back({std::string(text), std::string(caption), type});
            return answer;
        });
        SetFileOperationFaults({});
        source = TestPath("shelf/a");
        target = TestPath("shelf/b");
        fs::create_directories(source);
        fs::create_directories(target);
    }
    void TearDown() override
    {
        platform::ui::SetMessageBoxHook(nullptr);
        SetFileOperationFaults({});
    }

    int Questions() const
    {
        int n = 0;
        for (const auto& box : boxes)
            n += (box.type & 0xF) == platform::ui::MB_YESNO ? 1 : 0;
        return n;
    }
    int Errors() const
    {
        int n = 0;
        for (const auto& box : boxes)
            n += (box.type & 0xF0) == platform::ui::MB_ICONERROR ? 1 : 0;
        return n;
    }
    // Every name in `dir`, hidden ones included.
    static std::vector<std::string> Names(const std::string& dir)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // A catalog-like file and a folder holding one, with known bytes.
    void MakeTree(const std::string& root)
    {
        fs::create_directories(root + "/inner");
        WriteFile(root + "/one.pld", std::string(5000, 'x'));
        WriteFile(root + "/inner/two.pld", std::string(70000, 'y'));
    }
    static void ExpectTree(const std::string& root)
    {
        EXPECT_EQ(ReadFile(root + "/one.pld"), std::string(5000, 'x'));
        EXPECT_EQ(ReadFile(root + "/inner/two.pld"), std::string(70000, 'y'));
    }

    int answer = platform::ui::IDYES;
    std::vector<Box> boxes;
    std::string source;
    std::string target;
};

TEST_F(FileOperationTest, DeleteWithUndoGoesToTheTrashAfterOneQuestion)
{
    const std::string file = source + "/cd.pld";
    WriteFile(file, "catalog");
    SHFILEOPSTRUCTA op;
    const std::string from = file + '\0';
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO;

    EXPECT_EQ(SHFileOperation(&op), 0);
    EXPECT_FALSE(op.fAnyOperationsAborted);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(Questions(), 1);
    EXPECT_NE(boxes.at(0).text.find("cd.pld"), std::string::npos);
    const std::string trashed = std::string(getenv("XDG_DATA_HOME")) + "/Trash/files/cd.pld";
    EXPECT_EQ(ReadFile(trashed), "catalog");
}

TEST_F(FileOperationTest, DeleteWithUndoWithoutATrashKeepsTheItemAndFails)
{
    // Something else holds the Trash's name; the working directory is where
    // a lost item would turn up.
    WriteFile(TestPath("data/Trash"), "not a folder");
    const QString workingDirectory = QDir::currentPath();
    const std::string elsewhere = TestPath("elsewhere");
    fs::create_directories(elsewhere);
    QDir::setCurrent(QString::fromStdString(elsewhere));
    const std::string file = source + "/cd.pld";
    WriteFile(file, "catalog");

    EXPECT_NE(FileOperation(nullptr, FO_DELETE, {file}, {}, FOF_ALLOWUNDO), 0);
    QDir::setCurrent(workingDirectory);
    EXPECT_EQ(ReadFile(file), "catalog");
    EXPECT_TRUE(Names(elsewhere).empty());
    ASSERT_EQ(Errors(), 1);
    EXPECT_NE(boxes.back().text.find("Trash"), std::string::npos) << boxes.back().text;
}

TEST_F(FileOperationTest, DeclinedDeleteKeepsEverythingAndReportsAborted)
{
    MakeTree(source + "/folder");
    answer = platform::ui::IDNO;
    bool aborted = false;
    EXPECT_EQ(FileOperation(nullptr, FO_DELETE, {source + "/folder"}, {}, FOF_ALLOWUNDO, &aborted),
        static_cast<int>(platform::system::ERROR_CANCELLED));
    EXPECT_TRUE(aborted);
    ExpectTree(source + "/folder");
}

TEST_F(FileOperationTest, DeleteOfAMissingItemShowsTheErrorAndFails)
{
    EXPECT_EQ(FileOperation(nullptr, FO_DELETE, {source + "/gone.pld"}, {}, FOF_ALLOWUNDO),
        static_cast<int>(platform::system::ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Questions(), 0);
    ASSERT_EQ(Errors(), 1);
    EXPECT_NE(boxes.at(0).text.find("gone.pld"), std::string::npos);
}

TEST_F(FileOperationTest, RenameKeepsTheContentsUnderTheNewName)
{
    MakeTree(source + "/old");
    EXPECT_EQ(FileOperation(nullptr, FO_RENAME, {source + "/old"}, source + "/new", FOF_ALLOWUNDO), 0);
    EXPECT_FALSE(fs::exists(source + "/old"));
    ExpectTree(source + "/new");
}

TEST_F(FileOperationTest, RenameOntoAnExistingNameIsRefusedAndBothStay)
{
    MakeTree(source + "/old");
    fs::create_directories(source + "/taken");
    EXPECT_EQ(FileOperation(nullptr, FO_RENAME, {source + "/old"}, source + "/taken", FOF_ALLOWUNDO),
        static_cast<int>(platform::system::ERROR_ALREADY_EXISTS));
    ExpectTree(source + "/old");
    EXPECT_TRUE(fs::is_empty(source + "/taken"));
    EXPECT_EQ(Errors(), 1);
}

TEST_F(FileOperationTest, RenameThatWouldLeaveTheDirectoryIsRefused)
{
    MakeTree(source + "/old");
    for (const std::string& newPath : {source + "/sub/x", source + "/.", source + "/..", target + "/old"}) {
        SCOPED_TRACE(newPath);
        fs::create_directories(source + "/sub");
        EXPECT_EQ(FileOperation(nullptr, FO_RENAME, {source + "/old"}, newPath, FOF_ALLOWUNDO),
            static_cast<int>(platform::system::ERROR_INVALID_NAME));
        ExpectTree(source + "/old");
    }
    EXPECT_FALSE(fs::exists(source + "/sub/x"));
    EXPECT_FALSE(fs::exists(target + "/old"));
}

TEST_F(FileOperationTest, MoveWithinAFileSystemAsksNothing)
{
    MakeTree(source + "/folder");
    EXPECT_EQ(FileOperation(nullptr, FO_MOVE, {source + "/folder"}, target, FOF_ALLOWUNDO), 0);
    ExpectTree(target + "/folder");
    EXPECT_FALSE(fs::exists(source + "/folder"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FileOperationTest, MoveIntoTheFolderItIsInChangesNothing)
{
    MakeTree(source + "/folder");
    EXPECT_EQ(FileOperation(nullptr, FO_MOVE, {source + "/folder"}, source, FOF_ALLOWUNDO), 0);
    ExpectTree(source + "/folder");
}

TEST_F(FileOperationTest, MoveOfAFolderIntoItselfIsRefused)
{
    MakeTree(source + "/folder");
    EXPECT_NE(FileOperation(nullptr, FO_MOVE, {source + "/folder"}, source + "/folder/inner", FOF_ALLOWUNDO), 0);
    ExpectTree(source + "/folder");
    EXPECT_EQ(Errors(), 1);
}

// Replacing is asked first, within and across file systems alike.
class ReplaceTest : public FileOperationTest, public testing::WithParamInterface<bool> { };

TEST_P(ReplaceTest, DeclinedReplaceKeepsBothItems)
{
    SetFileOperationFaults({GetParam(), -1});
    WriteFile(source + "/cd.pld", "new");
    WriteFile(target + "/cd.pld", "old");
    answer = platform::ui::IDNO;
    bool aborted = false;
    EXPECT_EQ(FileOperation(nullptr, FO_MOVE, {source + "/cd.pld"}, target, FOF_ALLOWUNDO, &aborted),
        static_cast<int>(platform::system::ERROR_CANCELLED));
    EXPECT_TRUE(aborted);
    EXPECT_EQ(Questions(), 1);
    EXPECT_EQ(ReadFile(source + "/cd.pld"), "new");
    EXPECT_EQ(ReadFile(target + "/cd.pld"), "old");
}

TEST_P(ReplaceTest, AcceptedReplaceLeavesOnlyTheNewItem)
{
    SetFileOperationFaults({GetParam(), -1});
    MakeTree(source + "/folder");
    fs::create_directories(target + "/folder");
    WriteFile(target + "/folder/stale.pld", "old");
    EXPECT_EQ(FileOperation(nullptr, FO_MOVE, {source + "/folder"}, target, FOF_ALLOWUNDO), 0);
    EXPECT_EQ(Questions(), 1);
    ExpectTree(target + "/folder");
    EXPECT_FALSE(fs::exists(target + "/folder/stale.pld"));
    EXPECT_FALSE(fs::exists(source + "/folder"));
    EXPECT_EQ(Names(target), std::vector<std::string>{"folder"}); // nothing set aside is left
}

INSTANTIATE_TEST_SUITE_P(WithinAndAcross, ReplaceTest, testing::Bool());

TEST_F(FileOperationTest, MoveAcrossFileSystemsCopiesThenRemovesTheSource)
{
    SetFileOperationFaults({true, -1});
    MakeTree(source + "/folder");
    const auto mtime = fs::last_write_time(source + "/folder/one.pld");
    EXPECT_EQ(FileOperation(nullptr, FO_MOVE, {source + "/folder"}, target, FOF_ALLOWUNDO), 0);
    ExpectTree(target + "/folder");
    EXPECT_EQ(fs::last_write_time(target + "/folder/one.pld"), mtime);
    EXPECT_FALSE(fs::exists(source + "/folder"));
    EXPECT_EQ(Names(target), std::vector<std::string>{"folder"});
}

TEST_F(FileOperationTest, FullDiskDuringAMoveAcrossFileSystemsLosesNothing)
{
    // The copy stops with a full disk after 20 000 of its 75 000 bytes.
    SetFileOperationFaults({true, 20000});
    MakeTree(source + "/folder");
    EXPECT_EQ(FileOperation(nullptr, FO_MOVE, {source + "/folder"}, target, FOF_ALLOWUNDO),
        static_cast<int>(platform::system::ERROR_DISK_FULL));
    ExpectTree(source + "/folder");
    EXPECT_TRUE(fs::is_empty(target)); // no partial copy, not even a hidden one
    ASSERT_EQ(Errors(), 1);
    EXPECT_NE(
        boxes.back().text.find(platform::system::ErrorMessage(platform::system::ERROR_DISK_FULL)), std::string::npos);
}

TEST_F(FileOperationTest, FullDiskWhileReplacingKeepsTheReplacedItem)
{
    SetFileOperationFaults({true, 100});
    WriteFile(source + "/cd.pld", std::string(1000, 'n'));
    WriteFile(target + "/cd.pld", "old");
    EXPECT_EQ(FileOperation(nullptr, FO_MOVE, {source + "/cd.pld"}, target, FOF_ALLOWUNDO),
        static_cast<int>(platform::system::ERROR_DISK_FULL));
    EXPECT_EQ(ReadFile(source + "/cd.pld"), std::string(1000, 'n'));
    EXPECT_EQ(ReadFile(target + "/cd.pld"), "old");
    EXPECT_EQ(Names(target), std::vector<std::string>{"cd.pld"});
}

TEST_F(FileOperationTest, MoveToARealSecondFileSystemKeepsTheBytes)
{
    struct stat a {
    }, b{};
    if (::stat("/dev/shm", &b) != 0 || ::stat(source.c_str(), &a) != 0 || a.st_dev == b.st_dev
        || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no writable second file system at /dev/shm";
    const std::string other = "/dev/shm/pellidor-fileop-" + std::to_string(::getpid());
    fs::create_directories(other);
    MakeTree(source + "/folder");
    EXPECT_EQ(FileOperation(nullptr, FO_MOVE, {source + "/folder"}, other, FOF_ALLOWUNDO), 0);
    ExpectTree(other + "/folder");
    EXPECT_FALSE(fs::exists(source + "/folder"));
    fs::remove_all(other);
}

// An item with a file held open, by a reader or a writer, is refused with
// the sharing violation whatever the operation, says so once, and stays
// where it is; once the file is let go, the same operation goes through.
enum class Operation { MoveWithin, MoveAcross, Rename, Trash, Delete };
using File = platform::system::File;
using HeldItem = std::tuple<Operation, File::Mode, bool>; // operation, holder, item is a folder

class HeldItemTest : public FileOperationTest, public testing::WithParamInterface<HeldItem> {
protected:
    int Run(const std::string& item)
    {
        switch (std::get<0>(GetParam())) {
        case Operation::MoveWithin:
            return FileOperation(nullptr, FO_MOVE, {item}, target, FOF_ALLOWUNDO);
        case Operation::MoveAcross:
            SetFileOperationFaults({true, -1});
            return FileOperation(nullptr, FO_MOVE, {item}, target, FOF_ALLOWUNDO);
        case Operation::Rename:
            return FileOperation(nullptr, FO_RENAME, {item}, item + "-renamed", FOF_ALLOWUNDO);
        case Operation::Trash:
            return FileOperation(nullptr, FO_DELETE, {item}, {}, FOF_ALLOWUNDO);
        case Operation::Delete:
            return FileOperation(nullptr, FO_DELETE, {item}, {}, 0);
        }
        return -1;
    }
    // The Trash and the destination hold nothing.
    void ExpectNothingElsewhere() const
    {
        EXPECT_TRUE(fs::is_empty(target));
        const std::string trash = std::string(getenv("XDG_DATA_HOME")) + "/Trash/files";
        EXPECT_TRUE(!fs::exists(trash) || fs::is_empty(trash));
    }
};

TEST_P(HeldItemTest, IsRefusedWithTheSharingViolationAndStaysInPlace)
{
    const bool folder = std::get<2>(GetParam());
    MakeTree(source + "/folder");
    const std::string heldPath = source + "/folder/inner/cd.pld";
    WriteFile(heldPath, "catalog");
    const std::string item = folder ? source + "/folder" : heldPath;
    {
        File held;
        ASSERT_TRUE(held.Open(heldPath, std::get<1>(GetParam())));
        if (std::get<1>(GetParam()) == File::Mode::CreateAlways) {
            ASSERT_TRUE(held.Write("catalog", 7));
        }
        EXPECT_EQ(Run(item), static_cast<int>(platform::system::ERROR_SHARING_VIOLATION));
        ASSERT_EQ(Errors(), 1);
        EXPECT_NE(boxes.back().text.find(fs::path(item).filename().string()), std::string::npos);
        EXPECT_NE(boxes.back().text.find(platform::system::ErrorMessage(platform::system::ERROR_SHARING_VIOLATION)),
            std::string::npos);
        EXPECT_EQ(ReadFile(heldPath), "catalog");
        ExpectTree(source + "/folder");
        EXPECT_FALSE(fs::exists(item + "-renamed"));
        ExpectNothingElsewhere();
    }
    EXPECT_EQ(Run(item), 0);
    EXPECT_FALSE(fs::exists(item));
}

std::string HeldItemName(const testing::TestParamInfo<HeldItem>& info)
{
    static const char* const operations[] = {"MoveWithin", "MoveAcross", "Rename", "Trash", "Delete"};
    static const char* const modes[] = {"Read", "ReadWrite", "CreateAlways"};
    return std::string(operations[static_cast<int>(std::get<0>(info.param))])
        + modes[static_cast<int>(std::get<1>(info.param))] + (std::get<2>(info.param) ? "Folder" : "File");
}

INSTANTIATE_TEST_SUITE_P(EveryOperationAndHolder, HeldItemTest,
    testing::Combine(testing::Values(Operation::MoveWithin, Operation::MoveAcross, Operation::Rename, Operation::Trash,
                         Operation::Delete),
        testing::Values(File::Mode::Read, File::Mode::ReadWrite, File::Mode::CreateAlways), testing::Bool()),
    HeldItemName);

TEST_F(FileOperationTest, AFileHeldByAnotherProcessKeepsItsFolderInPlace)
{
    MakeTree(source + "/folder");
    QProcess holder;
    holder.start(QString::fromStdString(pellidor::test::BinDirectory() + "/pellidor_platform_helper"),
        {QStringLiteral("hold"), QString::fromStdString(source + "/folder/inner/two.pld"), QStringLiteral("read")});
    ASSERT_TRUE(holder.waitForReadyRead(30000));
    ASSERT_EQ(holder.readLine().trimmed().toStdString(), "held");

    EXPECT_EQ(FileOperation(nullptr, FO_MOVE, {source + "/folder"}, target, FOF_ALLOWUNDO),
        static_cast<int>(platform::system::ERROR_SHARING_VIOLATION));
    ExpectTree(source + "/folder");

    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(30000));
    EXPECT_EQ(FileOperation(nullptr, FO_MOVE, {source + "/folder"}, target, FOF_ALLOWUNDO), 0);
    ExpectTree(target + "/folder");
}

// One held item among several: nothing is deleted, not even the items
// before it.
TEST_F(FileOperationTest, DeletingSeveralItemsOneOfThemHeldDeletesNone)
{
    WriteFile(source + "/a.pld", "a");
    WriteFile(source + "/b.pld", "b");
    File held;
    ASSERT_TRUE(held.Open(source + "/b.pld", File::Mode::Read));
    EXPECT_EQ(FileOperation(nullptr, FO_DELETE, {source + "/a.pld", source + "/b.pld"}, {}, FOF_ALLOWUNDO),
        static_cast<int>(platform::system::ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadFile(source + "/a.pld"), "a");
    EXPECT_EQ(ReadFile(source + "/b.pld"), "b");
}

// The item a move would replace is deleted by it, so it is locked too.
TEST_P(ReplaceTest, AReplacedItemHeldOpenKeepsBothItems)
{
    SetFileOperationFaults({GetParam(), -1});
    WriteFile(source + "/cd.pld", "new");
    WriteFile(target + "/cd.pld", "old");
    File held;
    ASSERT_TRUE(held.Open(target + "/cd.pld", File::Mode::Read));
    EXPECT_EQ(FileOperation(nullptr, FO_MOVE, {source + "/cd.pld"}, target, FOF_ALLOWUNDO),
        static_cast<int>(platform::system::ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadFile(source + "/cd.pld"), "new");
    EXPECT_EQ(ReadFile(target + "/cd.pld"), "old");
    EXPECT_EQ(Names(target), std::vector<std::string>{"cd.pld"});
}

TEST_F(FileOperationTest, CreateDirectoryTellsWhyItFailed)
{
    EXPECT_TRUE(CreateDirectory(source + "/new"));
    EXPECT_TRUE(fs::is_directory(source + "/new"));
    EXPECT_FALSE(CreateDirectory(source + "/new"));
    EXPECT_EQ(platform::system::GetLastError(), platform::system::ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectory(source + "/missing/new"));
    EXPECT_EQ(platform::system::GetLastError(), platform::system::ERROR_PATH_NOT_FOUND);
}

} // namespace
