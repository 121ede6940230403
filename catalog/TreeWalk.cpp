#include "catalog/TreeWalk.h"

#include <algorithm>
#include <cstring>

namespace pellidor {

using platform::system::DirectoryListing;
using platform::system::FileId;
using platform::system::FindData;

namespace {

// Below this depth a folder's descriptor stays open while its sub-folders are
// walked, so they open relative to it; deeper, they open by path, so a deep
// tree cannot run out of descriptors.
constexpr std::size_t kMaxOpenDepth = 64;
constexpr std::size_t kRecordBytes = 20;

std::string ChildPath(const std::string& folder, const std::string& name)
{
    return folder == "/" ? folder + name : folder + "/" + name;
}

} // namespace

CTreeWalk::CTreeWalk(CCatWriter& writer, IReadProgress& progress) : writer_(writer), progress_(progress)
{
}

bool CTreeWalk::Check()
{
    if (!writer_.Failed())
        return true;
    progress_.SetCancelled();
    return false;
}

bool CTreeWalk::IsOnWalkPath(const FileId& id) const
{
    return std::find(walkPath_.begin(), walkPath_.end(), id) != walkPath_.end();
}

void CTreeWalk::Walk(const std::string& root, std::uint64_t patchPosition)
{
    DirectoryListing listing;
    listing.Open(root);
    const FileId id = listing.Id();
    device_ = id.device;
    walkPath_.assign(1, id);
    WalkFolder(root, patchPosition, listing, true);
    walkPath_.clear();
}

void CTreeWalk::WalkFolder(const std::string& path, std::uint64_t patchPosition, DirectoryListing& listing, bool isRoot)
{
    if (progress_.IsCancelled())
        return;
    progress_.ShowEntryCount(entries_);
    progress_.ShowPath(path);
    const std::uint64_t listOffset = writer_.Position();
    writer_.WriteDword(0);
    if (!Check())
        return;
    // A folder that cannot be read has no list. Neither has an empty volume
    // root: it lists no "." and "..", so its enumeration cannot start.
    if (!listing.IsOpen())
        return;
    DWORD count = 0;
    std::vector<Child> children;
    const bool started = WriteEntries(listing, count, children);
    if (!Check() || (isRoot && !started))
        return;
    WalkChildren(path, listing, children);
    if (!Check())
        return;
    writer_.Patch(patchPosition, static_cast<DWORD>(listOffset));
    writer_.Patch(listOffset, count);
    Check();
}

bool CTreeWalk::WriteEntries(DirectoryListing& listing, DWORD& count, std::vector<Child>& children)
{
    bool started = false;
    FindData entry;
    while (listing.Next(entry)) {
        started = true;
        if (entry.name.empty() || entry.name.front() == '.')
            continue;
        const std::uint64_t sizeField = writer_.Position() + 16;
        WriteEntry(entry);
        if (writer_.Failed())
            return started;
        ++count;
        ++entries_;
        // A folder already on the walk path (a loop) or on another device (a
        // volume mounted inside this one) is listed but not walked.
        if (entry.IsDirectory() && entry.id.device == device_ && !IsOnWalkPath(entry.id))
            children.push_back(Child{std::string(entry.name), sizeField, entry.id});
    }
    return started;
}

void CTreeWalk::WriteEntry(const FindData& entry)
{
    char bytes[kRecordBytes + 1 + 255];
    const std::size_t length = std::min<std::size_t>(entry.name.size(), 255);
    CCatWriter::StoreDword(bytes, entry.attributes);
    CCatWriter::StoreDword(bytes + 4, static_cast<DWORD>(entry.creationTime));
    CCatWriter::StoreDword(bytes + 8, static_cast<DWORD>(entry.lastAccessTime));
    CCatWriter::StoreDword(bytes + 12, static_cast<DWORD>(entry.lastWriteTime));
    CCatWriter::StoreDword(bytes + 16, entry.IsDirectory() ? kNoList : entry.sizeLow);
    bytes[kRecordBytes] = static_cast<char>(length);
    std::memcpy(bytes + kRecordBytes + 1, entry.name.data(), length);
    writer_.Write(bytes, kRecordBytes + 1 + length);
}

void CTreeWalk::WalkChildren(const std::string& path, DirectoryListing& listing, std::vector<Child>& children)
{
    if (walkPath_.size() >= kMaxOpenDepth)
        listing.Close();
    for (const Child& child : children) {
        if (progress_.IsCancelled())
            return;
        const std::string childPath = ChildPath(path, child.name);
        DirectoryListing childListing;
        if (listing.IsOpen())
            childListing.OpenChild(listing, child.name);
        else
            childListing.Open(childPath);
        walkPath_.push_back(child.id);
        WalkFolder(childPath, child.sizeField, childListing, false);
        walkPath_.pop_back();
    }
}

} // namespace pellidor
