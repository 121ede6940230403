#pragma once
// The shell's file operations: delete (to the freedesktop.org Trash when undo
// is allowed), rename, move (within and across file systems), and making a
// directory. The operation asks its own questions and shows its own errors:
// in message boxes when there is a window system, on the terminal for the
// command-line tool (platform/ui/MessageBox.h).
//
// Before an item is moved, renamed or deleted, it is locked as a writer
// locks a file (platform/system/ItemLock.h): a file, or every file below a
// folder. An item with a file that a File holds open, in this process or
// another, is refused with 32 (sharing violation) and stays where it is; the
// locks are held until the item is in place.
//
// Nothing is lost when an operation fails halfway. A move across file
// systems copies into a hidden staging name beside the destination first and
// removes the source only once the copy is complete and in place; a replaced
// item is set aside and removed only after its successor is in place.

#include "platform/com/Types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::shell {

constexpr UINT FO_MOVE = 0x1;
constexpr UINT FO_COPY = 0x2;
constexpr UINT FO_DELETE = 0x3;
constexpr UINT FO_RENAME = 0x4;

constexpr WORD FOF_SILENT = 0x4;
constexpr WORD FOF_NOCONFIRMATION = 0x10;
constexpr WORD FOF_ALLOWUNDO = 0x40;
constexpr WORD FOF_NOERRORUI = 0x400;

struct SHFILEOPSTRUCTA {
    HWND hwnd = nullptr;
    UINT wFunc = 0;
    // Paths, each ended by a NUL, the list ended by a second NUL.
    const char* pFrom = nullptr;
    // FO_MOVE: the destination directory. FO_RENAME: the new full path.
    const char* pTo = nullptr;
    WORD fFlags = 0;
    // Out: the user declined a question.
    BOOL fAnyOperationsAborted = 0;
};

// 0 when every item was done; otherwise the Windows error of the first
// failure (1223 when the user declined). FO_COPY is not offered (50).
int SHFileOperation(SHFILEOPSTRUCTA* op);

// The same over a list of paths.
int FileOperation(HWND owner, UINT function, const std::vector<std::string>& from, const std::string& to, WORD flags,
    bool* aborted = nullptr);

// Makes one directory (not the ones above it). False with the thread's last
// error set: 183 when something of that name exists, 3 when the parent is
// missing, 5 when it may not be written.
bool CreateDirectory(const std::string& path);

// The place staged copies take while a move across file systems runs: a
// hidden name beside the destination, so that a shelf scan skips it.
std::string StagingPathFor(const std::string& destination);

// Test seam: faults the next operations meet. `crossDevice` makes every
// rename between directories fail as if across file systems; `writeLimit`
// (not negative) makes copying fail with a full disk once that many bytes
// were written in all.
struct FileOperationFaults {
    bool crossDevice = false;
    std::int64_t writeLimit = -1;
};
void SetFileOperationFaults(const FileOperationFaults& faults);

} // namespace platform::shell
