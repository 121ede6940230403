#pragma once
// The catalog's tree walk: one entry list per folder, depth first, each
// folder's list written before its sub-folders' lists, and the offset of a
// list patched into the field that points to it (RootListOffset or the
// folder entry's Size) once the folder's whole sub-tree is written.
//
// Memory is O(depth × pending sub-folders): a folder's remembered children
// are released as soon as its sub-tree is done. A write error marks the
// progress object cancelled; every folder still to be walked then returns
// at once.

#include "catalog/CatFile.h"
#include "catalog/CatWriter.h"
#include "platform/system/DirectoryListing.h"

#include <string>
#include <vector>

namespace pellidor {

class CTreeWalk {
public:
    CTreeWalk(CCatWriter& writer, IReadProgress& progress);

    // Walks the folder at `root` (no trailing "/" except for "/" itself);
    // its list's offset goes to the 4 bytes at `patchPosition`.
    void Walk(const std::string& root, std::uint64_t patchPosition);

    std::uint64_t Entries() const { return entries_; }

private:
    struct Child {
        std::string name;
        std::uint64_t sizeField; // where the child entry's Size is stored
        platform::system::FileId id;
    };

    void WalkFolder(
        const std::string& path, std::uint64_t patchPosition, platform::system::DirectoryListing& listing, bool isRoot);
    // Writes the folder's entries and answers whether the enumeration
    // started (it yielded anything at all); the sub-folders to walk go to
    // `children`.
    bool WriteEntries(platform::system::DirectoryListing& listing, DWORD& count, std::vector<Child>& children);
    void WriteEntry(const platform::system::FindData& entry);
    void WalkChildren(
        const std::string& path, platform::system::DirectoryListing& listing, std::vector<Child>& children);
    bool IsOnWalkPath(const platform::system::FileId& id) const;
    bool Check();

    CCatWriter& writer_;
    IReadProgress& progress_;
    std::uint64_t entries_ = 0;
    // The folders from the root down to the one being walked: a folder met
    // again below itself (a loop through a bind mount) is not walked twice.
    std::vector<platform::system::FileId> walkPath_;
    // The read volume's device: mounts inside it belong to other volumes.
    std::uint64_t device_ = 0;
};

} // namespace pellidor
