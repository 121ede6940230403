#pragma once
// Windows error numbers, the thread's last error, and the English system
// texts for them (what FormatMessage gives for a system error).

#include "platform/com/Types.h"

#include <string>

namespace platform::system {

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_INVALID_DRIVE = 15;
constexpr DWORD ERROR_NOT_SAME_DEVICE = 17;
constexpr DWORD ERROR_NOT_READY = 21;
constexpr DWORD ERROR_WRITE_PROTECT = 19;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_GEN_FAILURE = 31;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_LOCK_VIOLATION = 33;
constexpr DWORD ERROR_HANDLE_EOF = 38;
constexpr DWORD ERROR_HANDLE_DISK_FULL = 39;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_INVALID_NAME = 123;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_BUSY = 170;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_BADDB = 1009;
constexpr DWORD ERROR_KEY_DELETED = 1018;
constexpr DWORD ERROR_IO_DEVICE = 1117;
constexpr DWORD ERROR_CANCELLED = 1223;

// The calling thread's last error, as the platform's calls leave it.
DWORD GetLastError();
void SetLastError(DWORD error);

// The Windows error for an errno value (ENOENT → 2, EACCES → 5, ENOSPC → 112,
// EEXIST → 183, …); 31 (a device error) for what has no closer match.
DWORD ErrorFromErrno(int errnoValue);

// The system's text for the error, without a trailing line end, for example
// "The system cannot find the file specified." for 2. Unknown numbers give
// "Unknown error N.".
std::string ErrorMessage(DWORD error);

} // namespace platform::system
