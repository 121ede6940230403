// Lists are read in chunks sized from their counts: whatever the names'
// lengths, every entry comes back whole and in order, and a list ends at its
// own last entry even when the next list follows right after it.

#include "catalog/CatFile.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace pellidor::test {
namespace {

void Put32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Le32(std::uint32_t value)
{
    std::string bytes(4, '\0');
    Put32(bytes, 0, value);
    return bytes;
}

// Entry i of a list: its name, its length given by the case.
std::string NameOf(std::size_t i, std::size_t length)
{
    std::string name = std::to_string(i) + "_";
    while (name.size() < length)
        name += static_cast<char>('a' + (name.size() + i) % 26);
    name.resize(length);
    return name;
}

struct ListCase {
    const char* what;
    std::size_t count;
    std::function<std::size_t(std::size_t)> nameLength;
};

// A version-2 catalog with empty icons and two lists back to back: the
// root list of the case, then a one-entry list that the root's first entry
// (a folder) points to.
std::string Catalog(const ListCase& list, std::uint32_t& childListOffset)
{
    std::string bytes(kHeaderSize, '\0');
    bytes[0] = 'P';
    bytes[1] = 'D';
    bytes[2] = 2;
    Put32(bytes, 12, kHeaderSize);
    bytes.append(16, '\0');
    Put32(bytes, 8, static_cast<std::uint32_t>(bytes.size()));
    bytes += Le32(static_cast<std::uint32_t>(list.count));
    std::size_t folderSizeField = 0;
    for (std::size_t i = 0; i < list.count; ++i) {
        std::string record(20, '\0');
        Put32(record, 0, i == 0 ? kAttrDirectory : 0);
        Put32(record, 12, static_cast<std::uint32_t>(1000 + i));
        Put32(record, 16, static_cast<std::uint32_t>(i));
        if (i == 0)
            folderSizeField = bytes.size() + 16;
        const std::string name = NameOf(i, list.nameLength(i));
        bytes += record + static_cast<char>(name.size()) + name;
    }
    childListOffset = static_cast<std::uint32_t>(bytes.size());
    Put32(bytes, folderSizeField, childListOffset);
    bytes += Le32(1) + std::string(20, '\0') + '\x04' + "last";
    return bytes;
}

std::vector<CatRecord> ReadAll(const std::string& path, DWORD offset)
{
    std::vector<CatRecord> records;
    CCatFile file;
    file.SetPath(path);
    CatRecord record{};
    if (file.ReadFirst(offset, &record)) {
        do
            records.push_back(record);
        while (file.ReadNext(&record));
    }
    EXPECT_FALSE(file.ListDamaged());
    return records;
}

class ListChunkTest : public testing::TestWithParam<ListCase> { };

TEST_P(ListChunkTest, EveryEntryComesBackWholeAndTheNextListStaysApart)
{
    const ListCase& list = GetParam();
    std::uint32_t childListOffset = 0;
    const std::string path = TestPath("chunks.pld");
    WriteFile(path, Catalog(list, childListOffset));

    const std::vector<CatRecord> records = ReadAll(path, kRootList);
    ASSERT_EQ(records.size(), list.count);
    for (std::size_t i = 0; i < records.size(); ++i) {
        ASSERT_EQ(std::string(records[i].Name), NameOf(i, list.nameLength(i))) << "entry " << i;
        ASSERT_EQ(records[i].LastWriteTime, static_cast<std::int32_t>(1000 + i));
        if (i > 0) {
            ASSERT_EQ(records[i].Size, i);
        }
    }
    EXPECT_EQ(records.front().Size, childListOffset);

    const std::vector<CatRecord> child = ReadAll(path, childListOffset);
    ASSERT_EQ(child.size(), 1u);
    EXPECT_STREQ(child[0].Name, "last");
}

INSTANTIATE_TEST_SUITE_P(Lists, ListChunkTest,
    testing::Values(ListCase{"OneShortName", 1, [](std::size_t) { return std::size_t{3}; }},
        ListCase{"LongNamesBeyondTheFirstChunk", 12, [](std::size_t) { return std::size_t{255}; }},
        ListCase{"EmptyAndLongNamesMixed", 700, [](std::size_t i) { return i % 3 == 0 ? 0 : (i * 37) % 256; }},
        ListCase{"ListLargerThanTheLargestChunk", 3000, [](std::size_t) { return std::size_t{250}; }},
        ListCase{"ManyShortNames", 20000, [](std::size_t i) { return 8 + i % 5; }}),
    [](const testing::TestParamInfo<ListCase>& param) { return std::string(param.param.what); });

} // namespace
} // namespace pellidor::test
