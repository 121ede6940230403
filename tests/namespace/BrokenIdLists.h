#pragma once
// Identifier lists that lie about their elements, the way they can come back
// from a shortcut, a favorite or a command line that someone edited or cut.
// Each is the byte image of the whole list; where it comes from is in its
// name. The tests place each in a heap block exactly as long as the list, so
// the sanitizer build turns any read past it into a failure.

#include "namespace/IdList.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace pellidor::test {

struct BrokenIdList {
    const char* name;
    std::vector<BYTE> bytes; // empty: a null list
};

inline void PutU16(std::vector<BYTE>& bytes, std::size_t at, USHORT value)
{
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

inline void PutU32(std::vector<BYTE>& bytes, std::size_t at, DWORD value)
{
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

// One element of `cb` bytes whose kind field (when it has one) says `kind`,
// the rest filled with `fill`, then the terminator.
inline std::vector<BYTE> ElementOfSize(USHORT cb, DWORD kind, BYTE fill = 'x')
{
    std::vector<BYTE> bytes(cb + kTerminatorSize, fill);
    PutU16(bytes, 0, cb);
    if (cb >= kElementHeaderSize)
        PutU32(bytes, kOffsetKind, kind);
    PutU16(bytes, cb, 0);
    return bytes;
}

// A real element of `kind` as the namespace makes it, with its terminator.
inline std::vector<BYTE> RealElement(DWORD kind, const char* name)
{
    CatRecord record{};
    record.Attributes = kind == kKindFile ? kAttrArchive : kAttrDirectory;
    std::strncpy(record.Name, name, kNameBytes - 1);
    const IdListPtr list = MakeElement(nullptr, &record, kind);
    const auto* bytes = reinterpret_cast<const BYTE*>(list.get());
    return std::vector<BYTE>(bytes, bytes + IdListSize(list.get()));
}

// `count` copies of the element of `element` (a one-element list), then one
// terminator.
inline std::vector<BYTE> Repeated(const std::vector<BYTE>& element, std::size_t count)
{
    const std::size_t cb = element.size() - kTerminatorSize;
    std::vector<BYTE> bytes;
    bytes.reserve(cb * count + kTerminatorSize);
    for (std::size_t i = 0; i < count; ++i)
        bytes.insert(bytes.end(), element.begin(), element.begin() + static_cast<std::ptrdiff_t>(cb));
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

// Two lists joined: the elements of `first`, then `second` whole.
inline std::vector<BYTE> Joined(const std::vector<BYTE>& first, const std::vector<BYTE>& second)
{
    std::vector<BYTE> bytes(first.begin(), first.end() - static_cast<std::ptrdiff_t>(kTerminatorSize));
    bytes.insert(bytes.end(), second.begin(), second.end());
    return bytes;
}

// Every list here must be refused by a method that reads our elements.
inline std::vector<BrokenIdList> BrokenOwnIdLists()
{
    std::vector<BYTE> cutFolder = RealElement(kKindFolder, "Docs");
    cutFolder.resize(100 + kTerminatorSize);
    PutU16(cutFolder, 0, 100);
    PutU16(cutFolder, 100, 0);
    std::vector<BYTE> foreign = ElementOfSize(20, 0);
    for (std::size_t i = 2; i < 20; ++i)
        foreign[i] = static_cast<BYTE>(0xA0 + i);
    return {
        {"null list", {}},
        {"element of 2 bytes", ElementOfSize(2, 0)},
        {"element of 3 bytes", ElementOfSize(3, 0)},
        {"element of 6 bytes", ElementOfSize(6, 0)},
        {"foreign 20-byte element", foreign},
        {"foreign 20-byte element that reads as kind 0", ElementOfSize(20, kKindFile, 0)},
        {"folder element cut short", cutFolder},
        {"catalog element of a file element's size", ElementOfSize(kElementSize, kKindCatalog, 0)},
        {"whole element of an unknown kind", ElementOfSize(kElementSize, 9, 0)},
        {"thousands of tiny elements", Repeated(ElementOfSize(8, kKindFile, 0), 3000)},
        {"good folder, then an element of 6 bytes", Joined(RealElement(kKindFolder, "Docs"), ElementOfSize(6, 0))},
        {"element of 6 bytes, then a good file", Joined(ElementOfSize(6, 0), RealElement(kKindFile, "a.txt"))},
    };
}

// A copy of `bytes` on the heap exactly as long as the list (null for an
// empty image).
inline std::unique_ptr<BYTE[]> ExactCopy(const std::vector<BYTE>& bytes)
{
    if (bytes.empty())
        return nullptr;
    auto block = std::make_unique<BYTE[]>(bytes.size());
    std::memcpy(block.get(), bytes.data(), bytes.size());
    return block;
}

} // namespace pellidor::test
