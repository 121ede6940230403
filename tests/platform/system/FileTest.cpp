#include "platform/system/File.h"

#include "platform/system/Errors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

using pellidor::test::ReadFile;
using pellidor::test::TestPath;
using pellidor::test::WriteFile;
using platform::system::File;
namespace sys = platform::system;

namespace {

QString Helper()
{
    return QString::fromStdString(pellidor::test::BinDirectory() + "/pellidor_platform_helper");
}

QString ModeArgument(File::Mode mode)
{
    static const char* const names[] = {"read", "write", "create"};
    return QString::fromLatin1(names[static_cast<int>(mode)]);
}

// Another process's attempt to open `path`: its exit status is the error.
int OpenInOtherProcess(const std::string& path, File::Mode mode)
{
    QProcess process;
    process.start(Helper(), {QStringLiteral("try-open"), QString::fromStdString(path), ModeArgument(mode)});
    if (!process.waitForFinished(30000))
        return -1;
    return process.exitCode();
}

// Another process that holds `path` open until it is destroyed.
class OtherProcessHolding {
public:
    OtherProcessHolding(const std::string& path, File::Mode mode)
    {
        process_.start(Helper(), {QStringLiteral("hold"), QString::fromStdString(path), ModeArgument(mode)});
        if (process_.waitForReadyRead(30000))
            held_ = process_.readLine().trimmed() == "held";
    }
    ~OtherProcessHolding()
    {
        process_.closeWriteChannel();
        process_.waitForFinished(30000);
    }
    bool Holds() const { return held_; }

private:
    QProcess process_;
    bool held_ = false;
};

} // namespace

// Readers share a file; a writer holds it alone. Every way of holding meets
// every way of opening, in this process and across processes.
struct Sharing {
    File::Mode held;
    File::Mode opened;
    bool shares;
};

void PrintTo(const Sharing& value, std::ostream* out)
{
    *out << static_cast<int>(value.held) << "/" << static_cast<int>(value.opened);
}

class FileSharing : public testing::TestWithParam<Sharing> {
protected:
    void SetUp() override { WriteFile(path, "PD-header"); }

    // What a refused open left: the holder's bytes, never an emptied file.
    void ExpectUntouched() const
    {
        if (GetParam().held != File::Mode::CreateAlways) {
            EXPECT_EQ(ReadFile(path), "PD-header");
        }
    }

    const std::string path = TestPath("catalogs/0000ABCD.pld");
};

std::string SharingName(const testing::TestParamInfo<Sharing>& param)
{
    static const char* const names[] = {"Read", "ReadWrite", "CreateAlways"};
    return std::string(names[static_cast<int>(param.param.held)]) + "Then"
        + names[static_cast<int>(param.param.opened)];
}

TEST_P(FileSharing, InThisProcessASecondOpenSharesOrFailsAtOnceUntilTheFirstCloses)
{
    File first;
    ASSERT_TRUE(first.Open(path, GetParam().held));

    File second;
    if (GetParam().shares) {
        EXPECT_TRUE(second.Open(path, GetParam().opened));
    } else {
        EXPECT_FALSE(second.Open(path, GetParam().opened));
        EXPECT_EQ(second.LastError(), sys::ERROR_SHARING_VIOLATION);
        EXPECT_EQ(sys::GetLastError(), sys::ERROR_SHARING_VIOLATION);
        EXPECT_FALSE(second.IsOpen());
        ExpectUntouched();
    }

    first.Close();
    EXPECT_TRUE(second.IsOpen() || second.Open(path, GetParam().opened));
}

TEST_P(FileSharing, AcrossProcessesBothWays)
{
    const int expected = GetParam().shares ? 0 : static_cast<int>(sys::ERROR_SHARING_VIOLATION);
    {
        File held;
        ASSERT_TRUE(held.Open(path, GetParam().held));
        EXPECT_EQ(OpenInOtherProcess(path, GetParam().opened), expected);
    }
    EXPECT_EQ(OpenInOtherProcess(path, GetParam().opened), 0);

    WriteFile(path, "PD-header");
    {
        OtherProcessHolding other(path, GetParam().held);
        ASSERT_TRUE(other.Holds());
        File file;
        EXPECT_EQ(file.Open(path, GetParam().opened), GetParam().shares);
        if (!GetParam().shares) {
            EXPECT_EQ(file.LastError(), sys::ERROR_SHARING_VIOLATION);
            ExpectUntouched();
        }
    }
    File after;
    EXPECT_TRUE(after.Open(path, GetParam().opened));
}

INSTANTIATE_TEST_SUITE_P(AllModes, FileSharing,
    testing::Values(Sharing{File::Mode::Read, File::Mode::Read, true},
        Sharing{File::Mode::Read, File::Mode::ReadWrite, false},
        Sharing{File::Mode::Read, File::Mode::CreateAlways, false},
        Sharing{File::Mode::ReadWrite, File::Mode::Read, false},
        Sharing{File::Mode::ReadWrite, File::Mode::ReadWrite, false},
        Sharing{File::Mode::ReadWrite, File::Mode::CreateAlways, false},
        Sharing{File::Mode::CreateAlways, File::Mode::Read, false},
        Sharing{File::Mode::CreateAlways, File::Mode::ReadWrite, false},
        Sharing{File::Mode::CreateAlways, File::Mode::CreateAlways, false}),
    SharingName);

TEST(File, AWriterIsRefusedUntilTheLastOfManyReadersCloses)
{
    const std::string path = TestPath("shared.pld");
    WriteFile(path, "data");
    std::vector<File> readers(3);
    for (File& reader : readers)
        ASSERT_TRUE(reader.Open(path, File::Mode::Read));
    File writer;
    for (File& reader : readers) {
        EXPECT_FALSE(writer.Open(path, File::Mode::ReadWrite));
        EXPECT_EQ(writer.LastError(), sys::ERROR_SHARING_VIOLATION);
        reader.Close();
    }
    EXPECT_TRUE(writer.Open(path, File::Mode::ReadWrite));
}

TEST(File, CreateAlwaysTruncatesAndWritesReadBack)
{
    const std::string path = TestPath("new.pld");
    WriteFile(path, "old contents that are long");
    File file;
    ASSERT_TRUE(file.Open(path, File::Mode::CreateAlways));
    EXPECT_EQ(file.Size(), 0);
    ASSERT_TRUE(file.Write("0123456789", 10));
    EXPECT_EQ(file.Position(), 10);
    ASSERT_TRUE(file.Seek(2));
    ASSERT_TRUE(file.Write("AB", 2));
    ASSERT_TRUE(file.Flush());
    EXPECT_EQ(file.Size(), 10);

    ASSERT_TRUE(file.Seek(8));
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 2); // short at the end
    EXPECT_EQ(std::string(buffer, 2), "89");
    ASSERT_TRUE(file.Seek(6));
    EXPECT_FALSE(file.ReadExact(buffer, 8));
    EXPECT_EQ(file.LastError(), sys::ERROR_HANDLE_EOF);
    file.Close();
    EXPECT_EQ(ReadFile(path), "01AB456789");
}

TEST(File, MovedFileKeepsItsLock)
{
    const std::string path = TestPath("moved.pld");
    WriteFile(path, "x");
    File first;
    ASSERT_TRUE(first.Open(path, File::Mode::ReadWrite));
    File second(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    File third;
    EXPECT_FALSE(third.Open(path, File::Mode::Read));
    second = File();
    EXPECT_TRUE(third.Open(path, File::Mode::Read));
}

struct OpenFailure {
    const char* name;
    std::string (*path)();
    File::Mode mode;
    DWORD error;
};

void PrintTo(const OpenFailure& value, std::ostream* out)
{
    *out << value.name;
}

class FileOpenFailure : public testing::TestWithParam<OpenFailure> { };

TEST_P(FileOpenFailure, AnswersTheSystemError)
{
    File file;
    EXPECT_FALSE(file.Open(GetParam().path(), GetParam().mode));
    EXPECT_EQ(file.LastError(), GetParam().error);
    EXPECT_EQ(sys::GetLastError(), GetParam().error);
    EXPECT_FALSE(file.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Paths, FileOpenFailure,
    testing::Values(OpenFailure{"MissingFile", [] { return TestPath("none.pld"); }, File::Mode::Read, 2},
        OpenFailure{"MissingFolder", [] { return TestPath("") + "no/such/x.pld"; }, File::Mode::CreateAlways, 3},
        OpenFailure{"Folder", [] { return std::filesystem::path(TestPath("folder/x")).parent_path().string(); },
            File::Mode::Read, 5},
        OpenFailure{"Empty", [] { return std::string(); }, File::Mode::Read, 3}),
    [](const testing::TestParamInfo<OpenFailure>& param) { return std::string(param.param.name); });

TEST(File, ReadOnlyFileRefusesWriting)
{
    const std::string path = TestPath("ro.pld");
    WriteFile(path, "x");
    File file;
    ASSERT_TRUE(file.Open(path, File::Mode::Read));
    EXPECT_FALSE(file.Write("y", 1));
    EXPECT_EQ(file.LastError(), sys::ERROR_ACCESS_DENIED);
}

// A file being written knows where it is even after it was renamed behind
// its back, and removes itself from there, never a file that took its name.
class OpenFileName : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(file.Open(path, File::Mode::CreateAlways));
        ASSERT_TRUE(file.Write("half", 4));
        std::filesystem::create_directories(TestPath("elsewhere"));
    }

    const std::string path = TestPath("catalogs/new.pld");
    const std::string moved = TestPath("elsewhere/moved.pld");
    File file;
};

TEST_F(OpenFileName, RenamedFileIsDeletedUnderItsNewName)
{
    EXPECT_EQ(file.CurrentPath(), path);
    ASSERT_EQ(::rename(path.c_str(), moved.c_str()), 0);
    EXPECT_EQ(file.CurrentPath(), moved);
    EXPECT_EQ(file.Path(), path);

    EXPECT_TRUE(file.DeleteOpenFile());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(moved));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(OpenFileName, AFileMadeAtTheOldNameIsLeftAlone)
{
    ASSERT_EQ(::rename(path.c_str(), moved.c_str()), 0);
    WriteFile(path, "someone else's");
    EXPECT_TRUE(file.DeleteOpenFile());
    EXPECT_FALSE(std::filesystem::exists(moved));
    EXPECT_EQ(ReadFile(path), "someone else's");
}

TEST_F(OpenFileName, AFileThatReplacedItIsLeftAlone)
{
    WriteFile(moved, "replacement");
    ASSERT_EQ(::rename(moved.c_str(), path.c_str()), 0);
    EXPECT_EQ(file.CurrentPath(), "");
    EXPECT_TRUE(file.DeleteOpenFile()); // no name of it was left
    EXPECT_EQ(ReadFile(path), "replacement");
}
