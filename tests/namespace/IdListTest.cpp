#include "namespace/IdList.h"
#include "tests/namespace/BrokenIdLists.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

using namespace pellidor;
using namespace pellidor::test;

namespace {

struct Step {
    DWORD kind;
    const char* name;
    const char* userName = "";
};

CatRecord Record(const char* name, DWORD attributes = 0)
{
    CatRecord record;
    record.Attributes = attributes;
    record.Size = 1234;
    std::strncpy(record.Name, name, kNameBytes - 1);
    return record;
}

// A list of our own elements, built the way the namespace builds it.
IdListPtr Build(const std::vector<Step>& steps)
{
    IdListPtr list;
    for (const Step& step : steps) {
        const CatRecord record = Record(step.name);
        list = MakeElement(list.get(), &record, step.kind);
        if (step.kind == kKindCatalog) {
            CatHeader header;
            std::strncpy(header.UserName, step.userName, sizeof header.UserName - 1);
            WriteVolumeBlock(LastElement(list.get()), header);
        }
    }
    return list;
}

std::vector<BYTE> BytesOf(LPCITEMIDLIST list)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(list);
    return std::vector<BYTE>(bytes, bytes + IdListSize(list));
}

std::vector<std::string> Names(LPCITEMIDLIST list)
{
    std::vector<std::string> names;
    for (LPCITEMIDLIST at = list; ElementSize(at) != 0; at = NextElement(at))
        names.push_back(ElementName(at));
    return names;
}

// A copy of `bytes` on the heap exactly as long as the block, so that the
// sanitizers see any read past its end.
std::unique_ptr<BYTE[]> ExactBlock(const std::vector<BYTE>& bytes)
{
    auto block = std::make_unique<BYTE[]>(bytes.size());
    std::memcpy(block.get(), bytes.data(), bytes.size());
    return block;
}

} // namespace

TEST(IdListLayout, MakeElementLaysOutSizeKindRecordAndTerminator)
{
    const CatRecord record = Record("readme.txt", kAttrArchive);
    const IdListPtr list = MakeElement(nullptr, &record, kKindFile);
    ASSERT_TRUE(list);
    const std::vector<BYTE> bytes = BytesOf(list.get());
    ASSERT_EQ(bytes.size(), 290u);
    EXPECT_EQ(bytes[0], 0x20); // 288 little-endian
    EXPECT_EQ(bytes[1], 0x01);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(bytes[4], 0);
    EXPECT_EQ(0, std::memcmp(bytes.data() + 8, &record, sizeof record));
    EXPECT_EQ(bytes[288], 0);
    EXPECT_EQ(bytes[289], 0);
}

TEST(IdListLayout, CatalogElementIs1104BytesWithVolumeBlockAtHeaderOffsetPlus272)
{
    const CatRecord record = Record("/home/u/Pellidor/0000ABCD.pld", kAttrDirectory);
    IdListPtr list = MakeElement(nullptr, &record, kKindCatalog);
    ASSERT_TRUE(list);
    CatHeader header;
    header.VolumeSerial = 0x12345678;
    header.CatalogTime = 1000;
    header.TotalBytes = 0x1122334455667788ull;
    header.FreeBytes = 7;
    header.CallerFreeBytes = 99; // not copied
    std::strcpy(header.VolumeLabel, "DISC");
    std::strcpy(header.UserName, "Holidays");
    std::strcpy(header.FileSystemName, "iso9660");
    std::strcpy(header.Content, "photos");
    header.DriveType = 5;
    WriteVolumeBlock(list.get(), header);

    const std::vector<BYTE> bytes = BytesOf(list.get());
    ASSERT_EQ(bytes.size(), 1106u);
    const auto* headerBytes = reinterpret_cast<const BYTE*>(&header);
    EXPECT_EQ(0, std::memcmp(bytes.data() + 288, headerBytes + 16, 24)); // serial, time, sizes
    EXPECT_EQ(std::vector<BYTE>(bytes.begin() + 312, bytes.begin() + 320), std::vector<BYTE>(8, 0));
    EXPECT_EQ(0, std::memcmp(bytes.data() + 320, headerBytes + 48, 832 - 48));
    EXPECT_EQ(bytes[1100], 5);

    const CatHeader back = ReadVolumeBlock(list.get());
    EXPECT_EQ(back.VolumeSerial, 0x12345678u);
    EXPECT_EQ(back.TotalBytes, 0x1122334455667788ull);
    EXPECT_EQ(back.CallerFreeBytes, 0u);
    EXPECT_STREQ(back.UserName, "Holidays");
    EXPECT_STREQ(back.FileSystemName, "iso9660");
    EXPECT_EQ(back.DriveType, 5u);
}

TEST(IdListLayout, MakeElementWithoutRecordZeroesTheRecord)
{
    const IdListPtr list = MakeElement(nullptr, nullptr, kKindFolder);
    ASSERT_TRUE(list);
    const std::vector<BYTE> bytes = BytesOf(list.get());
    EXPECT_EQ(std::vector<BYTE>(bytes.begin() + 8, bytes.end()), std::vector<BYTE>(282, 0));
    EXPECT_EQ(ElementKind(list.get()), kKindFolder);
}

TEST(IdListLayout, ElementNameStopsAtTheEndOfItsBufferWithoutNul)
{
    IdListPtr list = MakeElement(nullptr, nullptr, kKindFile);
    CatRecord record;
    std::memset(record.Name, 'x', kNameBytes);
    SetElementRecord(list.get(), record);
    EXPECT_EQ(ElementName(list.get()).size(), kNameBytes);
    EXPECT_EQ(std::strlen(ElementRecord(list.get()).Name), kNameBytes - 1);
}

TEST(IdListOperations, NextAndLastWalkTheElements)
{
    const IdListPtr list = Build({{kKindCatalog, "c"}, {kKindFolder, "f"}, {kKindFile, "x"}});
    EXPECT_EQ(IdListSize(list.get()), 1104u + 288 + 288 + 2);
    EXPECT_EQ(ElementName(LastElement(list.get())), "x");
    EXPECT_EQ(Names(list.get()), (std::vector<std::string>{"c", "f", "x"}));
    EXPECT_EQ(NextElement(static_cast<LPCITEMIDLIST>(nullptr)), nullptr);
    EXPECT_EQ(LastElement(static_cast<LPCITEMIDLIST>(nullptr)), nullptr);
    EXPECT_EQ(IdListSize(nullptr), 0u);
    const USHORT empty = 0;
    EXPECT_EQ(LastElement(reinterpret_cast<LPCITEMIDLIST>(&empty)), nullptr);
    EXPECT_EQ(IdListSize(reinterpret_cast<LPCITEMIDLIST>(&empty)), 2u);
}

TEST(IdListOperations, JoinsWithNoneCopyTheOtherAndNoneWithNoneIsNone)
{
    const long before = platform::com::TaskMemLiveBlocks();
    {
        const IdListPtr a = Build({{kKindFolder, "a"}});
        const IdListPtr b = Build({{kKindFile, "b"}, {kKindFile, "c"}});
        const IdListPtr left = JoinIdLists(a.get(), nullptr);
        const IdListPtr right = JoinIdLists(nullptr, b.get());
        ASSERT_TRUE(left && right);
        EXPECT_NE(left.get(), a.get());
        EXPECT_EQ(BytesOf(left.get()), BytesOf(a.get()));
        EXPECT_EQ(BytesOf(right.get()), BytesOf(b.get()));
        EXPECT_FALSE(JoinIdLists(nullptr, nullptr));
        EXPECT_FALSE(CopyIdList(nullptr));

        const IdListPtr both = JoinIdLists(a.get(), b.get());
        EXPECT_EQ(Names(both.get()), (std::vector<std::string>{"a", "b", "c"}));
        EXPECT_EQ(IdListSize(both.get()), 3 * 288u + 2);
    }
    EXPECT_EQ(platform::com::TaskMemLiveBlocks(), before);
}

// A chain is the list MakeElement would have built, whatever the kinds and
// whichever level is asked, and its visit stops where the visitor says.
TEST(IdListChain, WritesAndVisitsTheSameElementsAsTheWholeList)
{
    const IdListPtr top = Build({{kKindShelfFolder, "discs"}, {kKindCatalog, "c:\\disc.cat", "Owner"}});
    SharedIdChain chain = StartIdChain(ShareIdList(CopyIdList(top.get())));
    IdListPtr whole = CopyIdList(top.get());
    for (const char* name : {"a", "b", "c"}) {
        const CatRecord record = Record(name);
        chain = ExtendIdChain(chain, record, kKindFolder);
        whole = MakeElement(whole.get(), &record, kKindFolder);
    }
    const CatRecord file = Record("file.txt");
    EXPECT_EQ(BytesOf(MakeElementAfterChain(chain.get(), &file, kKindFile).get()),
        BytesOf(MakeElement(whole.get(), &file, kKindFile).get()));
    EXPECT_EQ(BytesOf(MakeElementAfterChain(chain->up.get(), nullptr, kKindFile).get()),
        BytesOf(MakeElement(Build({{kKindShelfFolder, "discs"}, {kKindCatalog, "c:\\disc.cat", "Owner"},
                                      {kKindFolder, "a"}, {kKindFolder, "b"}})
                                .get(),
            nullptr, kKindFile)
                    .get()));

    std::vector<std::string> visited;
    EXPECT_TRUE(VisitIdChain(chain.get(), [&visited](LPCITEMIDLIST element) {
        visited.push_back(ElementName(element));
        return true;
    }));
    EXPECT_EQ(visited, (std::vector<std::string>{"discs", "c:\\disc.cat", "a", "b", "c"}));
    visited.clear();
    EXPECT_FALSE(VisitIdChain(chain.get(), [&visited](LPCITEMIDLIST element) {
        visited.push_back(ElementName(element));
        return visited.size() < 4;
    }));
    EXPECT_EQ(visited.size(), 4u);
    EXPECT_TRUE(VisitIdChain(nullptr, [](LPCITEMIDLIST) { return false; }));
}

TEST(IdListChain, AnElementOfAnotherSizeStartsTheChainAnewAndNothingStaysNothing)
{
    const CatRecord shelf = Record("discs");
    const CatRecord catalog = Record("c:\\disc.cat");
    const SharedIdChain chain = ExtendIdChain(ExtendIdChain(nullptr, shelf, kKindShelfFolder), catalog, kKindCatalog);
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->up, nullptr);
    EXPECT_EQ(BytesOf(chain->start.get()),
        BytesOf(Build({{kKindShelfFolder, "discs"}, {kKindCatalog, "c:\\disc.cat"}}).get()));
    EXPECT_EQ(StartIdChain(nullptr), nullptr);
    EXPECT_EQ(BytesOf(MakeElementAfterChain(nullptr, &catalog, kKindFile).get()),
        BytesOf(MakeElement(nullptr, &catalog, kKindFile).get()));
}

// Far deeper than any real volume: made, visited and let go without
// running out of stack.
TEST(IdListChain, AChainDeeperThanTheStackIsVisitedAndReleased)
{
    const CatRecord record = Record("d", 0x10);
    SharedIdChain chain = StartIdChain(ShareIdList(Build({{kKindCatalog, "deep.cat"}})));
    constexpr int kLevels = 200000;
    for (int i = 0; i < kLevels; ++i)
        chain = ExtendIdChain(std::move(chain), record, kKindFolder);
    int count = 0;
    VisitIdChain(chain.get(), [&count](LPCITEMIDLIST) {
        ++count;
        return true;
    });
    EXPECT_EQ(count, kLevels + 1);
    chain.reset();
}

TEST(IdListOperations, CatalogElementIsFoundBehindTwoShelfFolderElements)
{
    const IdListPtr list = Build({{kKindShelfFolder, "/s1"}, {kKindShelfFolder, "/s1/s2"},
        {kKindCatalog, "/s1/s2/0000ABCD.pld", "Holidays"}, {kKindFolder, "docs"}});
    const IdListPtr catalog = CopyCatalogElement(list.get());
    ASSERT_TRUE(catalog);
    EXPECT_EQ(IdListSize(catalog.get()), 1106u);
    EXPECT_EQ(ElementName(catalog.get()), "/s1/s2/0000ABCD.pld");
    EXPECT_STREQ(ReadVolumeBlock(catalog.get()).UserName, "Holidays");
}

TEST(IdListOperations, NoCatalogElementWhenTheListStartsWithAFolderOrHasNone)
{
    const IdListPtr folderFirst = Build({{kKindFolder, "docs"}, {kKindCatalog, "/c.pld"}});
    EXPECT_FALSE(CopyCatalogElement(folderFirst.get()));
    const IdListPtr shelfOnly = Build({{kKindShelfFolder, "/s1"}});
    EXPECT_FALSE(CopyCatalogElement(shelfOnly.get()));
    EXPECT_FALSE(CopyCatalogElement(nullptr));
}

// --- Ordering ---

struct OrderCase {
    const char* what;
    std::vector<Step> first;
    std::vector<Step> second;
    int sign; // of CompareIdLists(first, second)
};

void PrintTo(const OrderCase& c, std::ostream* os)
{
    *os << c.what;
}

class IdListOrder : public testing::TestWithParam<OrderCase> { };

TEST_P(IdListOrder, ComparesAsTheRuleSays)
{
    const OrderCase& c = GetParam();
    const IdListPtr a = Build(c.first);
    const IdListPtr b = Build(c.second);
    const int forward = CompareIdLists(a.get(), b.get());
    const int backward = CompareIdLists(b.get(), a.get());
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    EXPECT_EQ(sign(forward), c.sign) << c.what;
    EXPECT_EQ(sign(backward), -c.sign) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, IdListOrder,
    testing::Values(
        OrderCase{"names differing in case only", {{kKindFile, "Readme.TXT"}}, {{kKindFile, "readme.txt"}}, 0},
        OrderCase{"folder before file whatever the names", {{kKindFolder, "zzz"}}, {{kKindFile, "aaa"}}, -1},
        OrderCase{"shelf folder before catalog", {{kKindShelfFolder, "z"}}, {{kKindCatalog, "a"}}, -1},
        OrderCase{"catalog before folder", {{kKindCatalog, "z"}}, {{kKindFolder, "a"}}, -1},
        OrderCase{
            "catalogs by user name first", {{kKindCatalog, "/a.pld", "Zeta"}}, {{kKindCatalog, "/b.pld", "alpha"}}, 1},
        OrderCase{"same user name: by catalog path", {{kKindCatalog, "/b.pld", "Same"}},
            {{kKindCatalog, "/a.pld", "SAME"}}, 1},
        OrderCase{"prefix sorts first", {{kKindFolder, "docs"}}, {{kKindFolder, "docs"}, {kKindFile, "a"}}, -1},
        OrderCase{"underscore before letters", {{kKindFile, "_x"}}, {{kKindFile, "a"}}, -1},
        OrderCase{"bytes above 127 by value", {{kKindFile, "\xC3\xA9"}}, {{kKindFile, "z"}}, 1},
        OrderCase{"only A-Z fold", {{kKindFile, "\xC3\x89"}}, {{kKindFile, "\xC3\xA9"}}, -1},
        OrderCase{"second element decides", {{kKindFolder, "d"}, {kKindFile, "b"}},
            {{kKindFolder, "D"}, {kKindFile, "a"}}, 1}),
    [](const testing::TestParamInfo<OrderCase>& param) { return "Case" + std::to_string(param.index); });

// --- Blocks from outside ---

TEST(IdListBlocks, OwnListsOfEachKindAreAccepted)
{
    for (DWORD kind : {kKindFile, kKindFolder, kKindCatalog, kKindShelfFolder}) {
        const IdListPtr list = Build({{kKindShelfFolder, "/s"}, {kind, "n"}});
        const auto block = BytesOf(list.get());
        const auto exact = ExactBlock(block);
        EXPECT_TRUE(IsOwnIdList(exact.get(), block.size(), kind)) << kind;
        EXPECT_FALSE(IsOwnIdList(exact.get(), block.size(), (kind + 1) % 4)) << kind;
    }
}

TEST(IdListBlocks, KindTwoElementOf288BytesIsRefused)
{
    IdListPtr list = MakeElement(nullptr, nullptr, kKindFile);
    std::vector<BYTE> block = BytesOf(list.get());
    const DWORD two = kKindCatalog;
    std::memcpy(block.data() + kOffsetKind, &two, sizeof two);
    const auto exact = ExactBlock(block);
    EXPECT_FALSE(IsOwnIdList(exact.get(), block.size(), kKindCatalog));
}

TEST(IdListBlocks, KindAboveThreeAndEmptyOrNullBlocksAreRefused)
{
    const IdListPtr list = Build({{kKindFile, "n"}});
    const auto block = BytesOf(list.get());
    const auto exact = ExactBlock(block);
    EXPECT_FALSE(IsOwnIdList(exact.get(), block.size(), 4));
    const BYTE empty[2] = {0, 0};
    EXPECT_FALSE(IsOwnIdList(empty, sizeof empty, kKindFile));
    EXPECT_FALSE(IsOwnIdList(nullptr, 0, kKindFile));
    EXPECT_FALSE(IsOwnIdList(exact.get(), 2, kKindFile));
}

// Every way a block can lie about its length: each must be refused without
// a read past the block's end (the sanitizer build turns such a read into a
// failure).
TEST(IdListBlocks, LyingBlocksAreRefusedWithoutReadingPastTheirEnd)
{
    const IdListPtr list = Build({{kKindCatalog, "/c.pld"}, {kKindFolder, "d"}, {kKindFile, "f"}});
    const std::vector<BYTE> good = BytesOf(list.get());
    ASSERT_TRUE(IsOwnIdList(ExactBlock(good).get(), good.size(), kKindFile));

    // Truncated anywhere, including inside the terminator.
    for (std::size_t size = 0; size < good.size(); ++size) {
        const std::vector<BYTE> shorter(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        const auto exact = ExactBlock(shorter.empty() ? std::vector<BYTE>{0} : shorter);
        EXPECT_FALSE(IsOwnIdList(exact.get(), size, kKindFile)) << size;
        EXPECT_FALSE(CheckIdList(exact.get(), size, IdListContent::Foreign)) << size;
    }

    // The last element claims more than the block holds.
    std::vector<BYTE> lying = good;
    const USHORT big = 0xFFFF;
    std::memcpy(lying.data() + 1104 + 288, &big, sizeof big);
    EXPECT_FALSE(IsOwnIdList(ExactBlock(lying).get(), lying.size(), kKindFile));

    // A one-byte element would make the walk creep; it is refused.
    std::vector<BYTE> creeping = {1, 0, 0, 0, 0};
    EXPECT_FALSE(IsOwnIdList(ExactBlock(creeping).get(), creeping.size(), kKindFile));

    // A short last element that claims kind 0 but is smaller than 288.
    std::vector<BYTE> tiny(12, 0);
    tiny[0] = 10;
    EXPECT_FALSE(IsOwnIdList(ExactBlock(tiny).get(), tiny.size(), kKindFile));
}

TEST(IdListBlocks, RandomMutationsNeverReadPastTheBlock)
{
    const IdListPtr list = Build({{kKindShelfFolder, "/s"}, {kKindCatalog, "/c.pld"}, {kKindFile, "f"}});
    const std::vector<BYTE> good = BytesOf(list.get());
    const std::vector<std::size_t> sizeFields = {0, 288, 288 + 1104, 288 + 1104 + 288};
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    int accepted = 0;
    for (int round = 0; round < 2000; ++round) {
        std::vector<BYTE> mutated = good;
        const std::size_t field = sizeFields[next() % sizeFields.size()];
        const USHORT value = static_cast<USHORT>(next() >> 8);
        std::memcpy(mutated.data() + field, &value, sizeof value);
        mutated.resize(mutated.size() - next() % 4);
        accepted += IsOwnIdList(ExactBlock(mutated).get(), mutated.size(), kKindFile) ? 1 : 0;
    }
    EXPECT_LT(accepted, 2000);
}

// --- The one check at the door ---

struct CheckCase {
    BrokenIdList list;
    bool asForeign; // accepted as the shell's own elements
};

class CheckIdListTable : public testing::TestWithParam<CheckCase> { };

// Every broken list of ours, read as ours and as the shell's: the exact
// outcome of each, with the block bound to the list's bytes.
TEST_P(CheckIdListTable, RefusesWhatItsContentCannotHold)
{
    const std::vector<BYTE>& bytes = GetParam().list.bytes;
    const auto block = ExactCopy(bytes);
    EXPECT_FALSE(CheckIdList(block.get(), bytes.size(), IdListContent::Own));
    const auto foreign = CheckIdList(block.get(), bytes.size(), IdListContent::Foreign);
    EXPECT_EQ(foreign.has_value(), GetParam().asForeign);
    if (foreign) {
        EXPECT_EQ(foreign->Size(), bytes.size());
    }
}

std::vector<CheckCase> CheckCases()
{
    std::vector<CheckCase> cases;
    for (BrokenIdList& list : BrokenOwnIdLists()) {
        // Walked by their sizes, all but the null list are sound lists of
        // the shell's own.
        const bool asForeign = !list.bytes.empty();
        cases.push_back({std::move(list), asForeign});
    }
    std::vector<BYTE> creeping = ElementOfSize(1, 0);
    cases.push_back({{"element of 1 byte", creeping}, false});
    std::vector<BYTE> unterminated = RealElement(kKindFile, "a");
    unterminated.resize(kElementSize);
    cases.push_back({{"no terminator inside the block", unterminated}, false});
    std::vector<BYTE> beyond = RealElement(kKindFile, "a");
    PutU16(beyond, 0, kElementSize + 10);
    cases.push_back({{"element reaching past the block", beyond}, false});
    cases.push_back(
        {{"more elements than any list of ours", Repeated(ElementOfSize(2, 0), kMaxIdListElements + 1)}, false});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(BrokenLists, CheckIdListTable, testing::ValuesIn(CheckCases()),
    [](const testing::TestParamInfo<CheckCase>& param) { return "Case" + std::to_string(param.index); });

TEST(CheckIdList, AcceptsEveryShapeTheNamespaceMakesAndTellsItsSize)
{
    const IdListPtr list
        = Build({{kKindShelfFolder, "/s"}, {kKindCatalog, "/c.pld"}, {kKindFolder, "d"}, {kKindFile, "f"}});
    const std::vector<BYTE> bytes = BytesOf(list.get());
    const auto exact = ExactBlock(bytes);
    for (IdListContent content : {IdListContent::Own, IdListContent::Foreign}) {
        const auto checked = CheckIdList(exact.get(), bytes.size(), content);
        ASSERT_TRUE(checked);
        EXPECT_EQ(checked->Get(), reinterpret_cast<LPCITEMIDLIST>(exact.get()));
        EXPECT_EQ(checked->Size(), bytes.size());
    }
    // An empty list is a list; a bare list is bounded by the sane maximum
    // alone and its size still comes from its terminator.
    const BYTE empty[2] = {0, 0};
    EXPECT_EQ(CheckIdList(empty, sizeof empty, IdListContent::Own)->Size(), kTerminatorSize);
    EXPECT_EQ(CheckIdList(list.get(), IdListContent::Own)->Size(), bytes.size());
    EXPECT_FALSE(CheckIdList(static_cast<LPCITEMIDLIST>(nullptr), IdListContent::Foreign));
    // The most elements a list may hold, each the smallest of ours.
    const std::vector<BYTE> longest = Repeated(RealElement(kKindFolder, "d"), kMaxIdListElements);
    EXPECT_TRUE(CheckIdList(ExactBlock(longest).get(), longest.size(), IdListContent::Own));
}

TEST(CheckIdList, ElementsLargerThanTheirKindAreReadOnlyUpToTheirKindsBytes)
{
    // A newer writer may append fields; nothing here reads them.
    std::vector<BYTE> longer = RealElement(kKindFile, "a");
    longer.insert(longer.end() - kTerminatorSize, 16, 0xEE);
    PutU16(longer, 0, static_cast<USHORT>(kElementSize + 16));
    EXPECT_TRUE(CheckIdList(ExactBlock(longer).get(), longer.size(), IdListContent::Own));
    // IsOwnIdList asks for exactly our size.
    EXPECT_FALSE(IsOwnIdList(ExactBlock(longer).get(), longer.size(), kKindFile));
}
