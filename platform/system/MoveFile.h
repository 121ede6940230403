#pragma once
// Moving files now or at the next start of the platform.
//
// A move "at the next start" (what Setup asks for when a library it replaces
// is in use) is kept in an ordered list in the registry: the key
// HKEY_LOCAL_MACHINE\System\PendingFileRenameOperations, one subkey per move,
// named by an eight-digit sequence number, with the values "Source",
// "Target" (empty: delete the source) and "Replace" (REG_DWORD). The
// platform's first program to start, the explorer, carries the list out
// before it loads any library, in the order it was written, and clears it.

#include "platform/com/Types.h"

#include <string>
#include <vector>

namespace platform::system {

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
constexpr DWORD MOVEFILE_DELAY_UNTIL_REBOOT = 0x4;

inline constexpr const char* kPendingMovesKey = "System\\PendingFileRenameOperations";

// Moves (renames) `existing` to `target`; an existing target is replaced
// only with MOVEFILE_REPLACE_EXISTING (else error 183). With
// MOVEFILE_DELAY_UNTIL_REBOOT nothing moves now: the move is added to the end
// of the list; an empty target then means "delete". False with the last
// error set on failure.
bool MoveFileEx(const std::string& existing, const std::string& target, DWORD flags);

struct PendingMove {
    std::string source;
    std::string target; // empty: delete the source
    bool replace = false;
};

// The list as it stands, in its order.
std::vector<PendingMove> PendingMoves();

// Carries the list out in order and clears it. A move that fails is skipped
// (and named in `failures`, when given) and the rest still run, so one stale
// entry cannot hold the others back at every start. The number of moves made.
int CarryOutPendingMoves(std::vector<std::string>* failures = nullptr);

} // namespace platform::system
