// A catalog file is untrusted input. Each broken catalog below is made from
// a valid one written by CCatFile::Create for a known tree, then damaged in
// one stated way; the expected outcome is exact. A deterministic mutation
// loop then damages valid catalogs thousands of times: nothing may crash,
// read outside the file (the sanitizer build checks), or read more entries
// than the file could hold.

#include "catalog/CatFile.h"
#include "catalog/ListWalkGuard.h"
#include "platform/ui/Icon.h"
#include "tests/catalog/CatalogFixture.h"
#include "tests/items/ShelfTestCatalogs.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>

namespace pellidor::test {
namespace {

void Put32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

struct Outcome {
    bool opens = false;
    int rootEntries = -1; // -1: ReadFirst fails
    bool rootDamaged = false;
    bool iconsRead = false;
    bool largeIcon = false;
};

struct BrokenCase {
    const char* name;
    std::function<void(std::string&, std::uint32_t rootList)> damage;
    Outcome expected;
};

Outcome Observe(const std::string& path)
{
    Outcome outcome;
    {
        CCatFile file;
        outcome.opens = file.Open(path, CCatFile::OpenMode::Read);
        if (!outcome.opens)
            return outcome;
        HICON large = nullptr;
        HICON small = nullptr;
        outcome.iconsRead = file.ReadIcons(&large, &small);
        outcome.largeIcon = large != nullptr;
        platform::ui::DestroyIcon(large);
        platform::ui::DestroyIcon(small);
    }
    CCatFile file;
    file.SetPath(path);
    CatRecord record;
    int count = 0;
    bool more = file.ReadFirst(kRootList, &record);
    outcome.rootEntries = more ? 0 : -1;
    for (; more; more = file.ReadNext(&record))
        ++count;
    if (outcome.rootEntries == 0)
        outcome.rootEntries = count;
    outcome.rootDamaged = file.ListDamaged();
    return outcome;
}

class CorruptCatalogTest : public CatalogTest {
protected:
    // A catalog of five files and no folders: its root list is the last
    // thing in the file, so reading past the list's end meets the file's.
    std::string FlatCatalog()
    {
        for (int i = 0; i < 5; ++i)
            Make("file" + std::to_string(i) + ".txt", "x");
        const std::string path = CreateCatalog(tree_);
        EXPECT_FALSE(path.empty());
        return ReadFile(path);
    }
    std::string NestedCatalog()
    {
        Make("a/b/c/deep.txt", "x");
        Make("a/one.txt", "x");
        Make("d/two.txt", "x");
        Make("top.txt", "x");
        const std::string path = CreateCatalog(tree_);
        EXPECT_FALSE(path.empty());
        return ReadFile(path);
    }
};

TEST_F(CorruptCatalogTest, BrokenCatalogsGiveTheirExactOutcome)
{
    const std::string valid = FlatCatalog();
    const std::uint32_t rootList = U32At(valid, 8);
    const bool themed = U32At(valid, 832) != 0;
    const std::size_t size = valid.size();
    const BrokenCase cases[] = {
        {"empty file", [](std::string& b, std::uint32_t) { b.clear(); }, {false}},
        {"cut inside the header", [](std::string& b, std::uint32_t) { b.resize(100); }, {false}},
        {"version-2 header cut at 500 bytes", [](std::string& b, std::uint32_t) { b.resize(500); }, {false}},
        {"magic changed", [](std::string& b, std::uint32_t) { b[0] = 'X'; }, {false}},
        {"version 3", [](std::string& b, std::uint32_t) { b[2] = 3; }, {false}},
        {"version 0", [](std::string& b, std::uint32_t) { b[2] = 0; }, {false}},
        {"only the header", [](std::string& b, std::uint32_t) { b.resize(832); }, {true, -1, false, true, false}},
        {"root list offset past the end",
            [size](std::string& b, std::uint32_t) { Put32(b, 8, static_cast<std::uint32_t>(size) + 10); },
            {true, -1, false, true, themed}},
        {"root list offset 2 bytes before the end",
            [size](std::string& b, std::uint32_t) { Put32(b, 8, static_cast<std::uint32_t>(size) - 2); },
            {true, -1, false, true, themed}},
        {"root list offset -2", [](std::string& b, std::uint32_t) { Put32(b, 8, kNoList); },
            {true, -1, false, true, themed}},
        {"root count 0", [](std::string& b, std::uint32_t root) { Put32(b, root, 0); },
            {true, -1, false, true, themed}},
        // The count is signed: these two are negative and hold no entries.
        {"root count -1", [](std::string& b, std::uint32_t root) { Put32(b, root, 0xFFFFFFFF); },
            {true, -1, false, true, themed}},
        {"root count -2^31", [](std::string& b, std::uint32_t root) { Put32(b, root, 0x80000000); },
            {true, -1, false, true, themed}},
        {"root count 2^31-1", [](std::string& b, std::uint32_t root) { Put32(b, root, 0x7FFFFFFF); },
            {true, 5, true, true, themed}},
        {"root count 6 of 5", [](std::string& b, std::uint32_t root) { Put32(b, root, 6); },
            {true, 5, true, true, themed}},
        {"last entry cut by 3 bytes", [](std::string& b, std::uint32_t) { b.resize(b.size() - 3); },
            {true, 4, true, true, themed}},
        {"last name length 255 past the end",
            [](std::string& b, std::uint32_t) { b[b.size() - 10] = static_cast<char>(255); },
            {true, 4, true, true, themed}},
        {"icon block offset past the end",
            [size](std::string& b, std::uint32_t) { Put32(b, 12, static_cast<std::uint32_t>(size) + 1); },
            {true, 5, false, false, false}},
        {"icon record of 2^32-16 bytes", [](std::string& b, std::uint32_t) { Put32(b, 832, 0xFFFFFFF0); },
            {true, 5, false, true, false}},
        {"icon record one byte longer than the file",
            [size](std::string& b, std::uint32_t) { Put32(b, 832, static_cast<std::uint32_t>(size)); },
            {true, 5, false, true, false}},
        {"icon bitmap 100000 pixels wide", [](std::string& b, std::uint32_t) { Put32(b, 832 + 4 + 18, 100000); },
            {true, 5, false, true, false}},
        {"icon bitmap run-length compressed", [](std::string& b, std::uint32_t) { Put32(b, 832 + 4 + 30, 2); },
            {true, 5, false, true, false}},
        {"icon pixels said to start past the record",
            [](std::string& b, std::uint32_t) { Put32(b, 832 + 4 + 10, 100000); }, {true, 5, false, true, false}},
    };
    for (const auto& c : cases) {
        if (!themed && std::string(c.name).rfind("icon", 0) == 0)
            continue; // without an icon theme there are no image records to break
        std::string bytes = valid;
        c.damage(bytes, rootList);
        const std::string path = TestPath("broken.pld");
        WriteFile(path, bytes);
        const Outcome got = Observe(path);
        EXPECT_EQ(got.opens, c.expected.opens) << c.name;
        if (!got.opens || !c.expected.opens)
            continue;
        EXPECT_EQ(got.rootEntries, c.expected.rootEntries) << c.name;
        EXPECT_EQ(got.rootDamaged, c.expected.rootDamaged) << c.name;
        EXPECT_EQ(got.iconsRead, c.expected.iconsRead) << c.name;
        EXPECT_EQ(got.largeIcon, c.expected.largeIcon) << c.name;
    }
}

TEST_F(CorruptCatalogTest, FoldersPointingInACircleStillReadOneListAtATime)
{
    std::string bytes = NestedCatalog();
    const std::uint32_t root = U32At(bytes, 8);
    const RawList list = ParseList(bytes, root);
    // Every folder of the root list now points back at the root list.
    std::size_t at = root + 4;
    for (const RawEntry& entry : list.entries) {
        if (entry.attributes & kAttrDirectory)
            Put32(bytes, at + 16, root);
        at += 21 + entry.name.size();
    }
    const std::string path = TestPath("circle.pld");
    WriteFile(path, bytes);
    const auto entries = ReadList(path, kRootList);
    ASSERT_EQ(entries.size(), list.entries.size());
    for (const auto& entry : entries) {
        if (entry.IsFolder()) {
            EXPECT_EQ(ReadList(path, entry.Size).size(), list.entries.size());
        }
    }
}

// A list's Count is a signed 32-bit number: a negative one holds no
// entries. Reading it as a huge unsigned count would parse the lists that
// follow it as its entries.
TEST_F(CorruptCatalogTest, NegativeCountReadsAsAnEmptyListNotAsTheListsAfterIt)
{
    for (const DWORD count : {0x80000000u, 0xFFFFFFFFu, 0xFFFFFFF0u}) {
        const std::string path = WriteCatalog(TestPath("signed.pld"), TestVolume{},
            {CountedFolder("Negative", {File("one"), File("two")}, count), Folder("After", {File("three")}),
                File("top")});
        const auto root = ReadList(path, kRootList);
        ASSERT_EQ(root.size(), 3u);
        {
            CCatFile file;
            file.SetPath(path);
            CatRecord record;
            EXPECT_FALSE(file.ReadFirst(root[0].Size, &record)) << std::hex << count;
            EXPECT_FALSE(file.ListDamaged()) << std::hex << count;
            EXPECT_FALSE(file.ReadNext(&record));
        }
        EXPECT_EQ(ReadList(path, root[1].Size).size(), 1u); // the list after it is whole
    }
}

// A walk with the guard reads each list once, however the folders of a
// damaged catalog point back: at the list that holds them, at an
// ancestor's, at the root list by its offset or as "the root list" (-1).
TEST_F(CorruptCatalogTest, AGuardedWalkReadsEachListOnce)
{
    auto cases = LinkedBackCatalogs();
    cases.push_back({"RootAsMinusOne", {File("top.txt"), Folder("Docs", {File("a.doc"), LinkedFolder("Up", 1)})}});
    for (const auto& c : cases) {
        const std::string path = TestPath(std::string(c.name) + ".pld");
        std::string bytes = CatalogWriter().Build(TestVolume{}, c.root);
        if (std::string(c.name) == "RootAsMinusOne")
            Put32(bytes, bytes.find("\x02Up") - 4, kRootList);
        WriteFile(path, bytes);
        std::size_t lists = 1; // the root's
        for (const auto& walked : WalkOnce(c.root))
            lists += (walked.entry->attributes & kAttrDirectory) != 0 && walked.entry->linkBack < 0 ? 1 : 0;

        CListWalkGuard guard = CListWalkGuard::ForCatalog(path);
        std::vector<DWORD> pending{kRootList};
        std::size_t read = 0;
        while (!pending.empty()) {
            const DWORD offset = pending.back();
            pending.pop_back();
            if (!guard.Enter(offset))
                continue;
            ++read;
            for (const CatRecord& record : ReadList(path, offset)) {
                if (record.IsFolder())
                    pending.push_back(record.Size);
            }
        }
        EXPECT_EQ(read, lists) << c.name;
        EXPECT_EQ(guard.ListsEntered(), lists) << c.name;
    }
}

// Reads everything reachable, as a browser or the search would, following
// each list once; checks what a reader may never do.
void ReadEverything(const std::string& path, std::size_t fileSize)
{
    {
        CCatFile file;
        if (!file.Open(path, CCatFile::OpenMode::Read))
            return;
        HICON large = nullptr;
        HICON small = nullptr;
        file.ReadIcons(&large, &small);
        for (HICON icon : {large, small}) {
            if (icon != nullptr) {
                EXPECT_LE(icon->colour.width(), 256);
            }
        }
        platform::ui::DestroyIcon(large);
        platform::ui::DestroyIcon(small);
    }
    CListWalkGuard guard = CListWalkGuard::ForCatalog(path);
    std::vector<DWORD> pending{kRootList};
    while (!pending.empty() && guard.ListsEntered() < 64) {
        const DWORD offset = pending.back();
        pending.pop_back();
        if (!guard.Enter(offset))
            continue;
        CCatFile file;
        file.SetPath(path);
        CatRecord record;
        std::size_t count = 0;
        for (bool more = file.ReadFirst(offset, &record); more; more = file.ReadNext(&record)) {
            ++count;
            ASSERT_LE(count * 21, fileSize) << "more entries than the file holds";
            ASSERT_LT(std::strlen(record.Name), 256u);
            if (record.IsFolder())
                pending.push_back(record.Size);
        }
    }
}

TEST_F(CorruptCatalogTest, ThousandsOfMutationsNeverReadOutsideTheFile)
{
    const std::string nested = NestedCatalog();
    // In memory when there is a tmpfs: thousands of rewrites of one file on
    // a busy disk take far longer than the reading they test.
    char shm[] = "/dev/shm/pellidor-mutants-XXXXXX";
    const bool inMemory = mkdtemp(shm) != nullptr;
    const std::string path = inMemory ? std::string(shm) + "/mutant.pld" : TestPath("mutant.pld");
    struct Cleanup {
        std::string dir;
        ~Cleanup()
        {
            if (!dir.empty())
                QDir(QString::fromStdString(dir)).removeRecursively();
        }
    } cleanup{inMemory ? std::string(shm) : std::string()};
    std::mt19937 random(20240611); // fixed: every run tries the same mutations
    constexpr int kMutations = 4000;
    for (int i = 0; i < kMutations; ++i) {
        std::string bytes = nested;
        const int kind = static_cast<int>(random() % 4);
        const std::size_t at = random() % bytes.size();
        switch (kind) {
        case 0: // one byte changed
            bytes[at] = static_cast<char>(random());
            break;
        case 1: // cut at any length
            bytes.resize(at);
            break;
        case 2: // a 32-bit field anywhere set to a telling value
            if (at + 4 <= bytes.size()) {
                static const std::uint32_t kValues[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF, 832};
                Put32(bytes, at, kValues[random() % std::size(kValues)]);
            }
            break;
        default: // a few bytes scrambled
            for (int n = 0; n < 8; ++n)
                bytes[random() % bytes.size()] = static_cast<char>(random());
            break;
        }
        WriteFile(path, bytes);
        ReadEverything(path, bytes.size());
        if (HasFatalFailure())
            FAIL() << "mutation " << i << " of kind " << kind << " at " << at;
    }
}

} // namespace
} // namespace pellidor::test
