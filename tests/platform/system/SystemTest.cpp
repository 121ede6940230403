// Errors, clock, paths and modules.

#include "platform/system/Errors.h"
#include "platform/system/Module.h"
#include "platform/system/Paths.h"
#include "platform/system/Tick.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <thread>

namespace sys = platform::system;

struct ErrorTextCase {
    DWORD error;
    const char* text;
};

void PrintTo(const ErrorTextCase& value, std::ostream* out)
{
    *out << value.error;
}

class ErrorText : public testing::TestWithParam<ErrorTextCase> { };

TEST_P(ErrorText, IsTheSystemsEnglishText)
{
    EXPECT_EQ(sys::ErrorMessage(GetParam().error), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Numbers, ErrorText,
    testing::Values(ErrorTextCase{0, "The operation completed successfully."},
        ErrorTextCase{2, "The system cannot find the file specified."},
        ErrorTextCase{3, "The system cannot find the path specified."}, ErrorTextCase{5, "Access is denied."},
        ErrorTextCase{21, "The device is not ready."},
        ErrorTextCase{32, "The process cannot access the file because it is being used by another process."},
        ErrorTextCase{112, "There is not enough space on the disk."},
        ErrorTextCase{123, "The filename, directory name, or volume label syntax is incorrect."},
        ErrorTextCase{183, "Cannot create a file when that file already exists."},
        ErrorTextCase{234, "More data is available."}, ErrorTextCase{259, "No more data is available."},
        ErrorTextCase{1223, "The operation was canceled by the user."}, ErrorTextCase{99999, "Unknown error 99999."}));

TEST(Errors, EveryDeclaredNumberHasAText)
{
    for (DWORD error : {sys::ERROR_TOO_MANY_OPEN_FILES, sys::ERROR_INVALID_HANDLE, sys::ERROR_NOT_ENOUGH_MEMORY,
             sys::ERROR_INVALID_DATA, sys::ERROR_INVALID_DRIVE, sys::ERROR_NOT_SAME_DEVICE, sys::ERROR_WRITE_PROTECT,
             sys::ERROR_WRITE_FAULT, sys::ERROR_READ_FAULT, sys::ERROR_GEN_FAILURE, sys::ERROR_LOCK_VIOLATION,
             sys::ERROR_HANDLE_EOF, sys::ERROR_HANDLE_DISK_FULL, sys::ERROR_NOT_SUPPORTED, sys::ERROR_FILE_EXISTS,
             sys::ERROR_INVALID_PARAMETER, sys::ERROR_DIR_NOT_EMPTY, sys::ERROR_BUSY, sys::ERROR_FILENAME_EXCED_RANGE,
             sys::ERROR_DIRECTORY, sys::ERROR_BADDB, sys::ERROR_KEY_DELETED, sys::ERROR_IO_DEVICE}) {
        const std::string text = sys::ErrorMessage(error);
        EXPECT_EQ(text.rfind("Unknown error", 0), std::string::npos) << error;
        EXPECT_EQ(text.back(), '.') << error;
    }
}

TEST(Errors, ErrnoMapsToTheWindowsNumber)
{
    EXPECT_EQ(sys::ErrorFromErrno(ENOENT), 2u);
    EXPECT_EQ(sys::ErrorFromErrno(EACCES), 5u);
    EXPECT_EQ(sys::ErrorFromErrno(ENOSPC), 112u);
    EXPECT_EQ(sys::ErrorFromErrno(EEXIST), 183u);
    EXPECT_EQ(sys::ErrorFromErrno(ENOMEDIUM), 21u);
    EXPECT_EQ(sys::ErrorFromErrno(EWOULDBLOCK), 32u);
    EXPECT_EQ(sys::ErrorFromErrno(ENOTEMPTY), 145u);
    EXPECT_EQ(sys::ErrorFromErrno(EPROTO), 31u); // no closer match
}

TEST(Errors, LastErrorBelongsToTheThread)
{
    sys::SetLastError(5);
    std::thread other([] {
        EXPECT_EQ(sys::GetLastError(), 0u);
        sys::SetLastError(32);
    });
    other.join();
    EXPECT_EQ(sys::GetLastError(), 5u);
}

TEST(Tick, CountsMillisecondsForward)
{
    const DWORD start = sys::GetTickCount();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(30);
    while (std::chrono::steady_clock::now() < until) { }
    const DWORD elapsed = sys::GetTickCount() - start; // unsigned: right across the wrap
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(Paths, FollowTheDataHomeAndAreCreated)
{
    const std::string root = pellidor::test::TestRoot();
    EXPECT_EQ(sys::PlatformDataDirectory(), root + "/data/pellidor");
    EXPECT_EQ(sys::SystemDirectory(), root + "/data/pellidor/system");
    EXPECT_TRUE(std::filesystem::is_directory(root + "/data/pellidor/system"));
    EXPECT_EQ(sys::HomeDirectory(), root);
}

TEST(Paths, WithoutDataHomeTheDefaultUnderHomeIsUsed)
{
    const std::string saved = std::getenv("XDG_DATA_HOME");
    setenv("XDG_DATA_HOME", "relative/is/ignored", 1);
    EXPECT_EQ(sys::PlatformDataDirectory(), pellidor::test::TestRoot() + "/.local/share/pellidor");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(sys::PlatformDataDirectory(), pellidor::test::TestRoot() + "/.local/share/pellidor");
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
}

TEST(Module, NamesTheFileAFunctionLivesIn)
{
    const std::string library = sys::ModulePathOf(reinterpret_cast<const void*>(&sys::GetTickCount));
    EXPECT_EQ(library.front(), '/');
    EXPECT_TRUE(library.ends_with("/libpellidor-platform.so")) << library;
    EXPECT_EQ(sys::ModuleNameOf(reinterpret_cast<const void*>(&sys::GetTickCount)), "libpellidor-platform");
    static const int local = 0;
    EXPECT_EQ(sys::ModuleNameOf(&local), "platform_system_tests");
    EXPECT_TRUE(sys::ModulePathOf(nullptr).empty());
}

TEST(Module, LibraryLoadsResolvesAndReportsFailure)
{
    sys::Library missing(pellidor::test::TestPath("none.so"));
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_FALSE(missing.Error().empty());
    EXPECT_EQ(missing.Symbol("anything"), nullptr);

    sys::Library platform(sys::ModulePathOf(reinterpret_cast<const void*>(&sys::GetTickCount)));
    ASSERT_TRUE(platform.IsLoaded()) << platform.Error();
    auto* tick = reinterpret_cast<DWORD (*)()>(platform.Symbol("_ZN8platform6system12GetTickCountEv"));
    ASSERT_NE(tick, nullptr);
    EXPECT_LT(tick() - sys::GetTickCount(), 1000u);
    EXPECT_EQ(platform.Symbol("NoSuchSymbol"), nullptr);
    sys::Library moved(std::move(platform));
    EXPECT_TRUE(moved.IsLoaded());
    EXPECT_FALSE(platform.IsLoaded());
}
