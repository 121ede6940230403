#pragma once
// Catalog files and shelves for the shelf's tests, written byte by byte in
// the catalog format (not through the reader), so that a test can hold any
// entry it needs: hidden files, folders without a list, 2 GiB sizes, and the
// damage a reader must survive: folders linked back to a list on their own
// path, lists whose stored count is not the number of their entries.

#include "catalog/CatFile.h"
#include "catalog/CatRecord.h"
#include "namespace/IdList.h"
#include "platform/registry/Registry.h"
#include "tests/support/TestEnvironment.h"

#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pellidor::test {

struct TestEntry {
    std::string name;
    DWORD attributes = kAttrArchive;
    DWORD size = 0;
    std::int32_t time = 1000000000; // 2001-09-09
    std::vector<TestEntry> children; // folders only
    bool hasList = true; // false: a folder whose list was never written
    // >= 0: instead of a list of its own, the folder points at the list
    // that many levels above its own place (0: the list that holds it, 1:
    // its grandparent's list, and so on).
    int linkBack = -1;
    // The folder's list stores this Count instead of its number of entries.
    std::optional<DWORD> storedCount;
};

inline TestEntry File(std::string name, DWORD size = 0, DWORD attributes = kAttrArchive)
{
    return TestEntry{std::move(name), attributes, size, 1000000000, {}, true, -1, std::nullopt};
}
inline TestEntry Folder(std::string name, std::vector<TestEntry> children, bool hasList = true)
{
    return TestEntry{std::move(name), kAttrDirectory, 0, 1000000000, std::move(children), hasList, -1, std::nullopt};
}
// A damaged folder: its list offset leads `levels` lists up its own path.
inline TestEntry LinkedFolder(std::string name, int levels)
{
    TestEntry folder = Folder(std::move(name), {}, false);
    folder.linkBack = levels;
    return folder;
}
// A folder whose list stores `count` as its Count.
inline TestEntry CountedFolder(std::string name, std::vector<TestEntry> children, DWORD count)
{
    TestEntry folder = Folder(std::move(name), std::move(children));
    folder.storedCount = count;
    return folder;
}

struct TestVolume {
    std::string userName = "Volume";
    std::string label = "LABEL";
    std::string fileSystem = "CDFS";
    std::string content;
    DWORD serial = 0x12345678;
    std::int32_t catalogTime = 1000000000;
    std::uint64_t totalBytes = 650u * 1024 * 1024;
    std::uint64_t freeBytes = 0;
    DWORD driveType = 5;
};

class CatalogWriter {
public:
    std::string Build(const TestVolume& volume, const std::vector<TestEntry>& root)
    {
        bytes_.assign(kHeaderSize, '\0');
        CatHeader header;
        header.Magic = kCatMagic;
        header.Version = kCatVersion;
        header.VolumeSerial = volume.serial;
        header.CatalogTime = volume.catalogTime;
        header.TotalBytes = volume.totalBytes;
        header.FreeBytes = volume.freeBytes;
        header.DriveType = volume.driveType;
        std::strncpy(header.VolumeLabel, volume.label.c_str(), sizeof header.VolumeLabel - 1);
        std::strncpy(header.UserName, volume.userName.c_str(), sizeof header.UserName - 1);
        std::strncpy(header.FileSystemName, volume.fileSystem.c_str(), sizeof header.FileSystemName - 1);
        std::strncpy(header.Content, volume.content.c_str(), sizeof header.Content - 1);
        header.RootListOffset = WriteList(root, {}, std::nullopt);
        std::memcpy(bytes_.data(), &header, sizeof header);
        return bytes_;
    }

private:
    template <class T>
    void Put(const T& value)
    {
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    template <class T>
    void Patch(std::size_t at, const T& value)
    {
        std::memcpy(bytes_.data() + at, &value, sizeof value);
    }

    // `path`: the offsets of the lists above this one, the root's first.
    DWORD WriteList(const std::vector<TestEntry>& entries, std::vector<DWORD> path, std::optional<DWORD> storedCount)
    {
        const auto offset = static_cast<DWORD>(bytes_.size());
        path.push_back(offset);
        Put(storedCount.value_or(static_cast<DWORD>(entries.size())));
        std::vector<std::size_t> sizeFields;
        for (const auto& entry : entries) {
            Put(entry.attributes);
            Put(entry.time);
            Put(entry.time);
            Put(entry.time);
            sizeFields.push_back(bytes_.size());
            Put((entry.attributes & kAttrDirectory) != 0 ? kNoList : entry.size);
            Put(static_cast<BYTE>(entry.name.size()));
            bytes_ += entry.name;
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const TestEntry& entry = entries[i];
            if (entry.linkBack >= 0)
                Patch(sizeFields[i], path.at(path.size() - 1 - static_cast<std::size_t>(entry.linkBack)));
            else if ((entry.attributes & kAttrDirectory) != 0 && entry.hasList)
                Patch(sizeFields[i], WriteList(entry.children, path, entry.storedCount));
        }
        return offset;
    }

    std::string bytes_;
};

// Damaged catalogs in which a folder leads back to a list on its own path,
// so a walk that followed every link would never end. Every walk over them
// must end having met each entry exactly once.
struct LinkedBackCatalog {
    const char* name;
    std::vector<TestEntry> root;
};

inline std::vector<LinkedBackCatalog> LinkedBackCatalogs()
{
    return {
        {"SelfLinked", // Docs\Self leads to Docs' list, the list that holds it
            {File("top.txt", 1), Folder("Docs", {File("a.doc", 2), LinkedFolder("Self", 0), File("b.doc", 3)}),
                File("z.txt", 4)}},
        {"GrandparentLinked", // Docs\Sub\Back leads to Docs' list
            {File("top.txt", 1),
                Folder("Docs",
                    {File("a.doc", 2), Folder("Sub", {File("deep.txt", 3), LinkedFolder("Back", 1)}),
                        File("b.doc", 4)}),
                File("z.txt", 5)}},
        {"RootLinked", // Docs\Up leads to the root list, its grandparent's
            {File("top.txt", 1), Folder("Docs", {File("a.doc", 2), LinkedFolder("Up", 1), File("b.doc", 3)}),
                File("z.txt", 4)}},
    };
}

inline void PrintTo(const LinkedBackCatalog& catalog, std::ostream* out)
{
    *out << catalog.name;
}

// What a walk that meets each entry once sees of `root`, depth first in
// catalog order: each entry's folder path ("\"-joined, empty in the root)
// and name.
struct WalkedEntry {
    std::string folder;
    const TestEntry* entry;
};

inline void WalkOnce(const std::vector<TestEntry>& list, const std::string& folder, std::vector<WalkedEntry>& out)
{
    for (const TestEntry& entry : list) {
        out.push_back({folder, &entry});
        if (entry.linkBack < 0)
            WalkOnce(entry.children, folder.empty() ? entry.name : folder + "\\" + entry.name, out);
    }
}

inline std::vector<WalkedEntry> WalkOnce(const std::vector<TestEntry>& root)
{
    std::vector<WalkedEntry> out;
    WalkOnce(root, std::string(), out);
    return out;
}

inline std::string WriteCatalog(const std::string& path, const TestVolume& volume, const std::vector<TestEntry>& root)
{
    WriteFile(path, CatalogWriter().Build(volume, root));
    return path;
}

// Sets value `name` of the CatDir key (the default value for "") to `dir`.
inline void SetCatDir(const std::string& name, const std::string& dir)
{
    platform::registry::Key key;
    key.Create(platform::registry::Hive::LocalMachine, kCatDirKey);
    key.SetString(name, dir);
}

// A root identifier as the shell would give: one foreign 20-byte element.
inline std::vector<BYTE> ShellRootIdList()
{
    std::vector<BYTE> list(22, 0);
    list[0] = 20;
    list[2] = 0x1F;
    for (int i = 4; i < 20; ++i)
        list[static_cast<std::size_t>(i)] = static_cast<BYTE>(i);
    return list;
}

inline LPCITEMIDLIST AsIdList(const std::vector<BYTE>& bytes)
{
    return reinterpret_cast<LPCITEMIDLIST>(bytes.data());
}

// The find data of a file or directory as a shelf scan gives it.
inline CatRecord FindDataFor(const std::string& path, DWORD attributes = kAttrArchive)
{
    CatRecord record{};
    record.Attributes = attributes;
    record.LastWriteTime = 1000000000;
    std::strncpy(record.Name, path.c_str(), sizeof record.Name - 1);
    return record;
}

} // namespace pellidor::test
