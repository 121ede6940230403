#include "platform/system/MoveFile.h"

#include "platform/registry/Registry.h"
#include "platform/system/Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace platform::system {

namespace {

using registry::Hive;
using registry::Key;

constexpr const char* kSource = "Source";
constexpr const char* kTarget = "Target";
constexpr const char* kReplace = "Replace";

bool Fail(DWORD error)
{
    SetLastError(error);
    return false;
}

bool MoveNow(const std::string& existing, const std::string& target, bool replace)
{
    if (target.empty()) {
        if (::unlink(existing.c_str()) != 0)
            return Fail(ErrorFromErrno(errno));
        return true;
    }
    // renameat2 refuses an existing target atomically where rename would
    // replace it.
    const unsigned flags = replace ? 0u : RENAME_NOREPLACE;
    if (::renameat2(AT_FDCWD, existing.c_str(), AT_FDCWD, target.c_str(), flags) != 0)
        return Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : ErrorFromErrno(errno));
    return true;
}

bool Schedule(const std::string& existing, const std::string& target, bool replace)
{
    Key list;
    if (const LONG error = list.Create(Hive::LocalMachine, kPendingMovesKey); error != 0)
        return Fail(static_cast<DWORD>(error));
    // The next number after the last entry's: entries enumerate in the order
    // they were made, and their names keep that order readable.
    unsigned long next = 1;
    std::string name;
    for (DWORD index = 0; list.EnumKey(index, name) == 0; ++index)
        next = std::max(next, std::strtoul(name.c_str(), nullptr, 10) + 1);
    char entryName[16];
    std::snprintf(entryName, sizeof entryName, "%08lu", next);
    Key entry;
    LONG error = entry.Create(Hive::LocalMachine, std::string(kPendingMovesKey) + "\\" + entryName);
    if (error == 0)
        error = entry.SetString(kSource, existing);
    if (error == 0)
        error = entry.SetString(kTarget, target);
    if (error == 0)
        error = entry.SetDword(kReplace, replace ? 1 : 0);
    return error == 0 ? true : Fail(static_cast<DWORD>(error));
}

} // namespace

bool MoveFileEx(const std::string& existing, const std::string& target, DWORD flags)
{
    if (existing.empty())
        return Fail(ERROR_INVALID_PARAMETER);
    const bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
    if ((flags & MOVEFILE_DELAY_UNTIL_REBOOT) != 0)
        return Schedule(existing, target, replace);
    if (target.empty())
        return Fail(ERROR_INVALID_PARAMETER);
    return MoveNow(existing, target, replace);
}

std::vector<PendingMove> PendingMoves()
{
    std::vector<PendingMove> moves;
    Key list;
    if (list.Open(Hive::LocalMachine, kPendingMovesKey) != 0)
        return moves;
    std::string name;
    for (DWORD index = 0; list.EnumKey(index, name) == 0; ++index) {
        Key entry;
        if (entry.Open(Hive::LocalMachine, std::string(kPendingMovesKey) + "\\" + name) != 0)
            continue;
        PendingMove move;
        DWORD replace = 0;
        if (entry.QueryString(kSource, move.source, 4096) != 0 || move.source.empty())
            continue;
        entry.QueryString(kTarget, move.target, 4096);
        entry.QueryDword(kReplace, replace);
        move.replace = replace != 0;
        moves.push_back(std::move(move));
    }
    return moves;
}

int CarryOutPendingMoves(std::vector<std::string>* failures)
{
    const std::vector<PendingMove> moves = PendingMoves();
    int done = 0;
    for (const PendingMove& move : moves) {
        if (MoveNow(move.source, move.target, move.replace))
            ++done;
        else if (failures != nullptr)
            failures->push_back(move.source + ": " + ErrorMessage(GetLastError()));
    }
    registry::DeleteTree(Hive::LocalMachine, kPendingMovesKey);
    return done;
}

} // namespace platform::system
