#pragma once
// Item identifier lists of the catalog namespace: the layout of our elements
// and the operations on lists.
//
// A list is a run of elements, each a u16 size `cb`, two padding bytes, a u32
// `Kind` and the 280-byte item record; catalog elements (kind 2) carry the
// catalog header's volume fields behind the record. A list ends with a u16
// zero. Elements are unaligned byte runs: every field is read and written
// with memcpy.
//
// Lists are allocated with the shell allocator because the shell frees the
// lists we hand out and we free the lists it hands in. Every function that
// returns an IdListPtr returns a new list owned by the caller (release() it
// to hand it to the shell); null means the allocator failed or there was
// nothing to return.

#include "catalog/CatFile.h"
#include "catalog/CatRecord.h"
#include "platform/com/Memory.h"
#include "platform/com/ShellTypes.h"
#include "platform/com/Types.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellidor {

using IdListPtr = platform::com::TaskMemPtr<ITEMIDLIST>;
// A list that several holders read and none changes: a folder's own list is
// the start of every child's own list, so the children share it rather than
// each copying it.
using SharedIdList = std::shared_ptr<const ITEMIDLIST>;

// Element kinds, in the order CompareIdLists reverses: the higher kind sorts
// first.
constexpr DWORD kKindFile = 0;
constexpr DWORD kKindFolder = 1;
constexpr DWORD kKindCatalog = 2;
constexpr DWORD kKindShelfFolder = 3;

// Element sizes.
constexpr std::size_t kElementSize = 288;
constexpr std::size_t kCatalogElementSize = 1104;
constexpr std::size_t kTerminatorSize = 2;

// Field offsets from the start of an element.
constexpr std::size_t kOffsetCb = 0;
constexpr std::size_t kOffsetKind = 4;
constexpr std::size_t kOffsetRecord = 8;
// The size field, the padding and the kind: what every element of ours holds
// before its record.
constexpr std::size_t kElementHeaderSize = kOffsetRecord;
// The volume block of a catalog element: the catalog header's bytes 16 to
// 831, so that element offset = header offset + 272.
constexpr std::size_t kOffsetVolumeSerial = 288;
constexpr std::size_t kOffsetCatalogTime = 292;
constexpr std::size_t kOffsetTotalBytes = 296;
constexpr std::size_t kOffsetFreeBytes = 304;
constexpr std::size_t kOffsetVolumeLabel = 320;
constexpr std::size_t kOffsetUserName = 576;
constexpr std::size_t kOffsetFileSystemName = 832;
constexpr std::size_t kOffsetContent = 841;
constexpr std::size_t kOffsetDriveType = 1100;

constexpr std::size_t kVolumeLabelBytes = 256;
constexpr std::size_t kUserNameBytes = 256;
constexpr std::size_t kFileSystemNameBytes = 9;
constexpr std::size_t kContentBytes = 256;

// --- Lists we made or that passed CheckIdList (trusted layout) ---

// The element behind `element`; null for null and for the terminator.
LPCITEMIDLIST NextElement(LPCITEMIDLIST element);
LPITEMIDLIST NextElement(LPITEMIDLIST element);
// The last element before the terminator; null for null and for an empty list.
LPCITEMIDLIST LastElement(LPCITEMIDLIST list);
LPITEMIDLIST LastElement(LPITEMIDLIST list);
// Sum of the elements' sizes plus the terminator; 0 for null.
std::size_t IdListSize(LPCITEMIDLIST list);
// Null for null.
IdListPtr CopyIdList(LPCITEMIDLIST list);
// Takes over `list` (null stays null); the last holder frees it.
SharedIdList ShareIdList(IdListPtr list);
// The elements of `first` then those of `second`; a copy of the other when
// one is null; null when both are.
IdListPtr JoinIdLists(LPCITEMIDLIST first, LPCITEMIDLIST second);
// A copy of `parent` (none: nothing) with one new element of `kind` for
// `record` (none: a zeroed record) at its end. A catalog element's volume
// block is zeroed for the caller to fill.
IdListPtr MakeElement(LPCITEMIDLIST parent, const CatRecord* record, DWORD kind);
// The bytes an element of `kind` takes, and the element with its terminator
// written at `at` (which must hold that size plus 2): what MakeElement
// appends, for callers that place the list in memory of their own.
std::size_t ElementSizeOf(DWORD kind);
void WriteElement(BYTE* at, const CatRecord* record, DWORD kind);
// A one-element list holding a copy of `element`; null for null and for the
// terminator.
IdListPtr CopyElement(LPCITEMIDLIST element);
// A one-element list holding a copy of the last element of `list` with its
// kind set to `kind` (what a folder hands the shell for itself); null when
// the list has no element.
IdListPtr CopyLastElementAs(LPCITEMIDLIST list, DWORD kind);
// The catalog element behind the leading shelf-folder elements, alone in a
// new list; null when the next element is not a catalog element.
IdListPtr CopyCatalogElement(LPCITEMIDLIST list);
// The catalog element behind the leading shelf-folder elements, pointing
// into `list`; null when there is none.
LPCITEMIDLIST FindCatalogElement(LPCITEMIDLIST list);
// Negative, 0 or positive: higher kinds first, then catalog user names, then
// names, both with A-Z folded to a-z; a list sorts before a longer list that
// starts with it.
int CompareIdLists(LPCITEMIDLIST list1, LPCITEMIDLIST list2);

// --- Lists from outside: the one check at the door ---
//
// A list that arrives from outside the object that made it (from the shell,
// a shortcut, a favorite, the command line, a drop) passes CheckIdList once,
// in the method that receives it, before anything reads it. Behind that door
// the list is trusted: the operations above and the item objects read it
// without checking again.

// What the receiver of a list reads of it.
enum class IdListContent {
    // The shell's own elements (the root list): walked by their sizes only.
    Foreign,
    // Our elements, read field by field: every kind is one of ours and every
    // element holds at least its header and its kind's bytes.
    Own,
};

// No list is walked past kMaxIdListElements elements, and a list handed over
// bare, without the size of its block, not past kMaxIdListBytes. No list of
// ours comes near either bound (that would be a catalog folder thousands of
// levels deep); they stop a list of endless tiny elements, or one without a
// terminator, from being followed through memory.
constexpr std::size_t kMaxIdListElements = 4096;
constexpr std::size_t kMaxIdListBytes = std::size_t{4} << 20;

// A list that passed CheckIdList, and the bytes it takes (elements and
// terminator). Only CheckIdList makes one, so a function that takes it
// cannot be handed an unchecked list. It points into the checked block and
// lives no longer than that.
class CheckedIdList {
public:
    LPCITEMIDLIST Get() const { return list_; }
    std::size_t Size() const { return size_; }

private:
    CheckedIdList(LPCITEMIDLIST list, std::size_t size) : list_(list), size_(size) { }
    friend std::optional<CheckedIdList> CheckIdList(const BYTE* block, std::size_t bound, IdListContent content);

    LPCITEMIDLIST list_;
    std::size_t size_;
};

// The one check of a list from outside: the list at `block`, its elements and
// its terminator all inside `bound` bytes (the size of the block that holds
// it, where the caller knows one), no element shorter than its size field,
// and for our content none shorter than its header or its kind's size and no
// kind but ours; at most kMaxIdListElements elements. Nothing for a null or
// bad list. Never reads past `bound`, nor past an element's own size.
std::optional<CheckedIdList> CheckIdList(const BYTE* block, std::size_t bound, IdListContent content);
// A bare list from the shell, bounded by kMaxIdListBytes.
std::optional<CheckedIdList> CheckIdList(LPCITEMIDLIST list, IdListContent content);

// True when `element` (of a list we made or checked) is one of ours of
// `kind` with exactly that kind's size: 1104 bytes for kind 2, 288 for the
// others. False for null and the terminator.
bool IsOwnElement(LPCITEMIDLIST element, DWORD kind);
// The validity test for a block from outside: true when the list at `block`
// passes CheckIdList inside `blockSize` bytes and its last element is one of
// ours of `kind` (IsOwnElement); false for kinds above 3.
bool IsOwnIdList(const BYTE* block, std::size_t blockSize, DWORD kind);

// --- Lists shared by their start ---

// The list above an entry of a catalog is its folder's list, which is the
// folder's own folder's list and one element more. A search keeps a result
// from nearly every folder it walks, and a copy of the whole path above
// each of those folders would cost more than the results themselves; so
// each level keeps only its own element's record and points to the level
// above, and the list is written out in one piece only when it is asked
// for.
struct IdChain {
    IdChain() = default;
    IdChain(const IdChain&) = delete;
    IdChain& operator=(const IdChain&) = delete;
    // Lets go of the levels above one by one, not each inside the next's
    // release: a catalog may be deeper than the stack.
    ~IdChain();

    std::shared_ptr<const IdChain> up; // the level above; null at the start
    SharedIdList start; // at the start only: the list kept whole
    CatRecord record{}; // below the start: the element's record and kind
    DWORD kind = 0;
};
using SharedIdChain = std::shared_ptr<const IdChain>;

// A chain of `list` alone (null stays null).
SharedIdChain StartIdChain(SharedIdList list);
// `up` followed by one element of `kind` for `record`. After no chain, or
// for a kind whose element is not a plain one, the list is written out at
// once and the chain starts anew.
SharedIdChain ExtendIdChain(SharedIdChain up, const CatRecord& record, DWORD kind);
// The chain's elements in one list, followed by one more of `kind` for
// `record` as MakeElement appends it; null when allocation fails.
IdListPtr MakeElementAfterChain(const IdChain* chain, const CatRecord* record, DWORD kind);
// Calls `visit` with each element of `chain` in order until it returns
// false, and says whether it never did. An element below the start is
// written for the call and gone after it.
template <class Visit>
bool VisitIdChain(const IdChain* chain, Visit&& visit);

// --- Element fields ---

std::size_t ElementSize(LPCITEMIDLIST element);
DWORD ElementKind(LPCITEMIDLIST element);
// The record as stored, with the name forced to end inside its 260 bytes.
CatRecord ElementRecord(LPCITEMIDLIST element);
void SetElementRecord(LPITEMIDLIST element, const CatRecord& record);
// The name, up to its NUL or its 260 bytes.
std::string ElementName(LPCITEMIDLIST element);

// The volume block of a catalog element, as the header fields it copies
// (RootListOffset, IconBlockOffset and CallerFreeBytes stay zero; texts are
// forced to end inside their buffers). Zeroes when `element` is not a
// catalog element.
CatHeader ReadVolumeBlock(LPCITEMIDLIST element);
// Copies the header's volume fields into a catalog element; does nothing to
// any other element.
void WriteVolumeBlock(LPITEMIDLIST element, const CatHeader& header);

template <class Visit>
bool VisitIdChain(const IdChain* chain, Visit&& visit)
{
    // From the bottom up into a list, then walked down: a loop, not a
    // recursion, however deep the catalog.
    std::vector<const IdChain*> levels;
    for (const IdChain* at = chain; at != nullptr; at = at->up.get())
        levels.push_back(at);
    BYTE element[kElementSize + kTerminatorSize];
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        if (!(*level)->up) {
            for (LPCITEMIDLIST at = (*level)->start.get(); at != nullptr && ElementSize(at) != 0;
                 at = NextElement(at)) {
                if (!visit(at))
                    return false;
            }
            continue;
        }
        WriteElement(element, &(*level)->record, (*level)->kind);
        if (!visit(reinterpret_cast<LPCITEMIDLIST>(element)))
            return false;
    }
    return true;
}

} // namespace pellidor
