#pragma once
// The drive table: when PELLIDOR_DRIVES names a file, that file is the whole
// truth about drives (a missing file means no drives). One drive per line,
// fields separated by tabs (docs/drive-table.md):
//
//   root  type  label  serial-hex  file-system  total-bytes  free-bytes  ready
//
// Lines that are empty or start with "#" are skipped; missing trailing fields
// take their defaults (empty texts, 0, ready).

#include "platform/com/Types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::system {

struct DriveEntry {
    std::string root;
    UINT type = 3;
    std::string label;
    DWORD serial = 0;
    std::string fileSystem;
    std::uint64_t total = 0;
    std::uint64_t free = 0;
    bool ready = true;
};

class DriveTable {
public:
    // The table named by PELLIDOR_DRIVES, read now; nullopt when the variable
    // is not set (real detection applies).
    static std::optional<DriveTable> FromEnvironment();
    static DriveTable Parse(const std::string& text);

    const std::vector<DriveEntry>& Drives() const { return drives_; }
    // The drive whose root is `path` or holds it (the longest root that is a
    // whole-component prefix); null when none does.
    const DriveEntry* DriveOf(const std::string& path) const;

private:
    std::vector<DriveEntry> drives_;
};

// Whether `path` is `root` or lies below it.
bool PathIsUnder(const std::string& path, const std::string& root);

} // namespace platform::system
