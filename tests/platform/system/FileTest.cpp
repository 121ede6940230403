#include "platform/system/File.h"

#include "platform/system/Errors.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>

#include <filesystem>
#include <ostream>
#include <string>

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

// Another process's attempt to open `path`: its exit status is the error.
int OpenInOtherProcess(const std::string& path)
{
    QProcess process;
    process.start(Helper(), {QStringLiteral("try-open"), QString::fromStdString(path)});
    if (!process.waitForFinished(30000))
        return -1;
    return process.exitCode();
}

} // namespace

// Every way of opening meets every way of holding: the second open is
// refused whatever the modes.
using Modes = std::pair<File::Mode, File::Mode>;

class ExclusiveOpen : public testing::TestWithParam<Modes> { };

std::string ModesName(const testing::TestParamInfo<Modes>& param)
{
    static const char* const names[] = {"Read", "ReadWrite", "CreateAlways"};
    return std::string(names[static_cast<int>(param.param.first)]) + "Then"
        + names[static_cast<int>(param.param.second)];
}

TEST_P(ExclusiveOpen, SecondOpenInThisProcessFailsUntilTheFirstCloses)
{
    const std::string path = TestPath("catalogs/0000ABCD.pld");
    WriteFile(path, "PD-header");
    File first;
    ASSERT_TRUE(first.Open(path, GetParam().first));

    File second;
    EXPECT_FALSE(second.Open(path, GetParam().second));
    EXPECT_EQ(second.LastError(), sys::ERROR_SHARING_VIOLATION);
    EXPECT_EQ(sys::GetLastError(), sys::ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(second.IsOpen());
    // The refused CreateAlways did not empty the file the first one holds.
    if (GetParam().first != File::Mode::CreateAlways) {
        EXPECT_EQ(ReadFile(path), "PD-header");
    }

    first.Close();
    EXPECT_TRUE(second.Open(path, GetParam().second));
}

INSTANTIATE_TEST_SUITE_P(AllModes, ExclusiveOpen,
    testing::Values(std::pair{File::Mode::Read, File::Mode::Read}, std::pair{File::Mode::Read, File::Mode::ReadWrite},
        std::pair{File::Mode::ReadWrite, File::Mode::Read}, std::pair{File::Mode::Read, File::Mode::CreateAlways},
        std::pair{File::Mode::CreateAlways, File::Mode::ReadWrite}),
    ModesName);

TEST(File, OpenInAnotherProcessFailsWhileHeldAndSucceedsAfter)
{
    const std::string path = TestPath("held.pld");
    WriteFile(path, "data");
    {
        File held;
        ASSERT_TRUE(held.Open(path, File::Mode::Read));
        EXPECT_EQ(OpenInOtherProcess(path), static_cast<int>(sys::ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(OpenInOtherProcess(path), 0);
}

TEST(File, FileHeldByAnotherProcessCannotBeOpenedHereNorEmptied)
{
    const std::string path = TestPath("other.pld");
    WriteFile(path, "keep me");
    QProcess holder;
    holder.start(Helper(), {QStringLiteral("hold"), QString::fromStdString(path)});
    ASSERT_TRUE(holder.waitForReadyRead(30000));
    ASSERT_EQ(holder.readLine().trimmed().toStdString(), "held");

    File file;
    EXPECT_FALSE(file.Open(path, File::Mode::CreateAlways));
    EXPECT_EQ(file.LastError(), sys::ERROR_SHARING_VIOLATION);
    EXPECT_EQ(ReadFile(path), "keep me");

    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(30000));
    EXPECT_TRUE(file.Open(path, File::Mode::ReadWrite));
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
    ASSERT_TRUE(first.Open(path, File::Mode::Read));
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
