#include "ItemFixture.h"

#include "items/CatItemFormats.h"
#include "items/DataTransfer.h"
#include "platform/ui/Messages.h"
#include "tests/namespace/BrokenIdLists.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cstring>
#include <memory>

using namespace pellidor;
using namespace pellidor::test;
using platform::com::ComPtr;

namespace {

constexpr DWORD kSerial = 0xCAFE0001;

std::vector<BYTE> BlockBytes(HGLOBAL block)
{
    const BYTE* data = platform::com::GlobalData(block);
    return std::vector<BYTE>(data, data + platform::com::GlobalSize(block));
}

DWORD DwordAt(const std::vector<BYTE>& bytes, std::size_t at)
{
    DWORD value;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

FORMATETC Format(CLIPFORMAT format)
{
    FORMATETC f;
    f.cfFormat = format;
    return f;
}

// A medium that receives the block and frees it when the test ends.
struct Medium : STGMEDIUM {
    ~Medium() { ReleaseStgMedium(this); }
};

ComPtr<CCatItem> FileOnDisc(const std::string& name)
{
    return MakeItem({{kKindShelfFolder, "/cat/sub"}, {kKindCatalog, "/cat/sub/0000ABCD.pld", kAttrDirectory, kRootList},
                        {kKindFolder, "docs", kAttrDirectory}, {kKindFile, name, kAttrArchive, 10}},
        MakeHeader(kSerial, "Photos"));
}

} // namespace

TEST(DataTransfer, IdListFormatIsTheRegisteredShellName)
{
    const FORMATETC& format = IdListFormatEtc();
    EXPECT_EQ(format.cfFormat, platform::ui::RegisterClipboardFormat("Shell IDList Array"));
    EXPECT_GE(format.cfFormat, 0xC000);
    EXPECT_EQ(format.ptd, nullptr);
    EXPECT_EQ(format.dwAspect, DVASPECT_CONTENT);
    EXPECT_EQ(format.lindex, -1);
    EXPECT_EQ(format.tymed, TYMED_HGLOBAL);
}

TEST(DataTransfer, EnumerationYieldsOneFormatThenFalseAndAgainAfterReset)
{
    const auto item = FileOnDisc("a.txt");
    IEnumFORMATETC* raw = nullptr;
    ASSERT_EQ(item->EnumFormatEtc(1, &raw), S_OK);
    auto formats = ComPtr<IEnumFORMATETC>::Adopt(raw);
    FORMATETC out[4];
    ULONG fetched = 99;
    EXPECT_EQ(formats->Next(4, out, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(out[0].cfFormat, ShellIdListFormat());
    EXPECT_EQ(formats->Next(1, out, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(formats->Reset(), S_OK);
    EXPECT_EQ(formats->Next(1, out, nullptr), S_OK);
    EXPECT_EQ(formats->Skip(1), E_NOTIMPL);
    IEnumFORMATETC* clone = nullptr;
    EXPECT_EQ(formats->Clone(&clone), E_NOTIMPL);
    // The caller holds the only reference.
    formats->AddRef();
    EXPECT_EQ(formats->Release(), 1u);
}

TEST(DataTransfer, QueryGetDataOffersIdListsAlwaysAndFilesOnlyForFiles)
{
    const auto file = FileOnDisc("a.txt");
    const auto folder = MakeItem({{kKindCatalog, "/c.pld"}, {kKindFolder, "d", kAttrDirectory}});
    FORMATETC idList = Format(ShellIdListFormat());
    FORMATETC drop = Format(CF_HDROP);
    FORMATETC text = Format(1);
    EXPECT_EQ(file->QueryGetData(&idList), S_OK);
    EXPECT_EQ(file->QueryGetData(&drop), S_OK);
    EXPECT_EQ(folder->QueryGetData(&idList), S_OK);
    EXPECT_EQ(folder->QueryGetData(&drop), DV_E_FORMATETC);
    EXPECT_EQ(file->QueryGetData(&text), DV_E_FORMATETC);
}

TEST(DataTransfer, IdListBlockHoldsRootThenEveryOwnElementExactly)
{
    const long before = platform::com::GlobalLiveBlocks();
    for (std::size_t folders = 0; folders < 3; ++folders) {
        std::vector<ElementShape> shapes = {{kKindCatalog, "/c.pld", kAttrDirectory, kRootList}};
        for (std::size_t i = 0; i < folders; ++i)
            shapes.push_back({kKindFolder, "f" + std::to_string(i), kAttrDirectory});
        shapes.push_back({kKindFile, "x.txt"});
        const auto item = MakeItem(shapes);
        const std::size_t k = shapes.size();

        FORMATETC format = IdListFormatEtc();
        Medium medium;
        ASSERT_EQ(item->GetData(&format, &medium), S_OK);
        EXPECT_EQ(medium.tymed, TYMED_HGLOBAL);
        EXPECT_EQ(medium.pUnkForRelease, nullptr);
        const std::vector<BYTE> bytes = BlockBytes(medium.hGlobal);
        const std::vector<BYTE> root = ForeignRoot();
        const std::size_t own = 1104 + 288 * (k - 1) + 2;
        ASSERT_EQ(bytes.size(), 12 + root.size() + own);
        EXPECT_EQ(DwordAt(bytes, 0), 1u);
        EXPECT_EQ(DwordAt(bytes, 4), 12u);
        EXPECT_EQ(DwordAt(bytes, 8), 12u + root.size());
        EXPECT_TRUE(std::equal(root.begin(), root.end(), bytes.begin() + 12));
        const IdListPtr expected = BuildList(shapes);
        EXPECT_EQ(0, std::memcmp(bytes.data() + 12 + root.size(), expected.get(), own));

        const auto parsed = ReadIdListBlock(bytes.data(), bytes.size());
        ASSERT_TRUE(parsed);
        ASSERT_EQ(parsed->items.size(), 1u);
        EXPECT_EQ(parsed->folder.Size(), root.size());
        EXPECT_EQ(parsed->items[0].Size(), own);
        std::size_t elements = 0;
        for (LPCITEMIDLIST at = parsed->items[0].Get(); ElementSize(at) != 0; at = NextElement(at))
            ++elements;
        EXPECT_EQ(elements, k);
        EXPECT_TRUE(IsOwnElement(LastElement(parsed->items[0].Get()), kKindFile));
    }
    EXPECT_EQ(platform::com::GlobalLiveBlocks(), before);
}

TEST(DataTransfer, RequestsWithOtherMembersAreRefused)
{
    const auto item = FileOnDisc("a.txt");
    Medium medium;
    FORMATETC format = IdListFormatEtc();
    format.lindex = 0;
    EXPECT_EQ(item->GetData(&format, &medium), DV_E_FORMATETC);
    format = IdListFormatEtc();
    format.tymed = 4;
    EXPECT_EQ(item->GetData(&format, &medium), DV_E_FORMATETC);
    format = IdListFormatEtc();
    format.dwAspect = 2;
    EXPECT_EQ(item->GetData(&format, &medium), DV_E_FORMATETC);
    EXPECT_EQ(medium.hGlobal, nullptr);
    FORMATETC other = Format(ShellIdListFormat() + 1);
    EXPECT_EQ(item->GetData(&other, &medium), DV_E_FORMATETC);
    EXPECT_EQ(item->GetDataHere(&format, &medium), E_NOTIMPL);
    EXPECT_EQ(item->SetData(&format, &medium, FALSE_), E_NOTIMPL);
    EXPECT_EQ(item->GetCanonicalFormatEtc(&format, &other), E_NOTIMPL);
}

TEST(DataTransfer, DroppedFileOfAFolderIsRefusedWithoutAsking)
{
    PromptRecorder prompt;
    const auto folder = MakeItem({{kKindCatalog, "/c.pld"}, {kKindFolder, "d", kAttrDirectory}});
    FORMATETC drop = Format(CF_HDROP);
    Medium medium;
    EXPECT_EQ(folder->GetData(&drop, &medium), DV_E_FORMATETC);
    EXPECT_TRUE(prompt.questions.empty());
}

class DroppedFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        cd_ = TestPath("media/disc");
        QDir().mkpath(QString::fromStdString(cd_ + "/docs"));
        WriteFile(cd_ + "/docs/photo.jpg", "jpeg");
        WriteFile(TestRoot() + "/drives.table",
            TestPath("usb") + "\t2\tUSB\tCAFE0001\tvfat\t100\t0\n" + cd_ + "\t5\tDISC\tCAFE0001\tiso9660\t100\t0\n");
    }
    std::string cd_;
};

TEST_F(DroppedFileTest, MediumInAnOpticalDriveGivesTheBlockWithoutAsking)
{
    PromptRecorder prompt;
    const auto item = FileOnDisc("photo.jpg");
    FORMATETC drop = Format(CF_HDROP);
    Medium medium;
    ASSERT_EQ(item->GetData(&drop, &medium), S_OK);
    EXPECT_TRUE(prompt.questions.empty());
    const std::string path = cd_ + "/docs/photo.jpg";
    std::vector<BYTE> expected(20, 0);
    expected[0] = 20;
    expected.insert(expected.end(), path.begin(), path.end());
    expected.push_back(0);
    expected.push_back(0);
    EXPECT_EQ(BlockBytes(medium.hGlobal), expected);
    std::vector<std::string> paths;
    ASSERT_TRUE(ReadDropFilesBlock(expected.data(), expected.size(), &paths));
    EXPECT_EQ(paths, std::vector<std::string>{path});
}

TEST_F(DroppedFileTest, CancelledQuestionRefusesTheFile)
{
    PromptRecorder prompt;
    const auto item = FileOnDisc("not-there.jpg");
    FORMATETC drop = Format(CF_HDROP);
    Medium medium;
    EXPECT_EQ(item->GetData(&drop, &medium), DV_E_FORMATETC);
    EXPECT_EQ(prompt.questions, std::vector<std::string>{"not-there.jpg"});
    EXPECT_EQ(medium.hGlobal, nullptr);
}

// --- Blocks from outside ---

namespace {

std::unique_ptr<BYTE[]> Exact(const std::vector<BYTE>& bytes)
{
    auto block = std::make_unique<BYTE[]>(std::max<std::size_t>(bytes.size(), 1));
    if (!bytes.empty())
        std::memcpy(block.get(), bytes.data(), bytes.size());
    return block;
}

std::vector<BYTE> GoodIdListBlock()
{
    const IdListPtr own = BuildList({{kKindCatalog, "/c.pld"}, {kKindFile, "f"}});
    const std::vector<BYTE> root = ForeignRoot();
    platform::com::GlobalPtr block = BuildIdListBlock(reinterpret_cast<LPCITEMIDLIST>(root.data()), own.get());
    return BlockBytes(block.get());
}

} // namespace

// Each lie must be refused without a read past the block's end; the sanitizer
// build turns any such read into a failure.
TEST(DataTransferBlocks, LyingIdListBlocksAreRefusedWithoutReadingPastTheirEnd)
{
    const std::vector<BYTE> good = GoodIdListBlock();
    ASSERT_TRUE(ReadIdListBlock(Exact(good).get(), good.size()));

    for (std::size_t size = 0; size < good.size(); ++size) {
        const std::vector<BYTE> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(ReadIdListBlock(Exact(cut).get(), size)) << size;
    }
    struct Lie {
        std::size_t at;
        DWORD value;
    };
    for (const Lie lie : {Lie{0, 0xFFFFFFFF}, Lie{0, 2}, Lie{4, 0xFFFFFFF0}, Lie{8, static_cast<DWORD>(good.size())},
             Lie{8, static_cast<DWORD>(good.size() - 1)}}) {
        std::vector<BYTE> bad = good;
        std::memcpy(bad.data() + lie.at, &lie.value, sizeof lie.value);
        EXPECT_FALSE(ReadIdListBlock(Exact(bad).get(), bad.size())) << lie.at << " " << lie.value;
    }
    // The item list's element claims more bytes than remain.
    std::vector<BYTE> longElement = good;
    const USHORT big = 0x7FFF;
    std::memcpy(longElement.data() + DwordAt(good, 8), &big, sizeof big);
    EXPECT_FALSE(ReadIdListBlock(Exact(longElement).get(), longElement.size()));
}

namespace {

// A block of the identifier-list layout for `items`, all relative to `folder`.
std::vector<BYTE> BlockOf(const std::vector<BYTE>& folder, const std::vector<std::vector<BYTE>>& items)
{
    std::vector<BYTE> block(4 * (items.size() + 2), 0);
    PutU32(block, 0, static_cast<DWORD>(items.size()));
    PutU32(block, 4, static_cast<DWORD>(block.size()));
    block.insert(block.end(), folder.begin(), folder.end());
    for (std::size_t i = 0; i < items.size(); ++i) {
        PutU32(block, 8 + 4 * i, static_cast<DWORD>(block.size()));
        block.insert(block.end(), items[i].begin(), items[i].end());
    }
    return block;
}

} // namespace

// The items are read as ours and must be whole; the folder's list is the
// shell's, walked by its sizes only.
TEST(DataTransferBlocks, BlockWithAnItemThatIsNotOneOfOursIsRefusedWhole)
{
    const std::vector<BYTE> root = ForeignRoot();
    const std::vector<BYTE> good = RealElement(kKindCatalog, "/c.pld");
    const std::vector<BYTE> sound = BlockOf(root, {good, good});
    const auto parsed = ReadIdListBlock(Exact(sound).get(), sound.size());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->items.size(), 2u);
    for (const BrokenIdList& broken : BrokenOwnIdLists()) {
        if (broken.bytes.empty())
            continue; // a block cannot hold a null list
        SCOPED_TRACE(broken.name);
        const std::vector<BYTE> block = BlockOf(root, {good, broken.bytes});
        EXPECT_FALSE(ReadIdListBlock(Exact(block).get(), block.size()));
        const std::vector<BYTE> asFolder = BlockOf(broken.bytes, {good});
        EXPECT_TRUE(ReadIdListBlock(Exact(asFolder).get(), asFolder.size()));
    }
}

TEST(DataTransferBlocks, LyingDropFileBlocksAreRefused)
{
    std::vector<BYTE> good(20, 0);
    good[0] = 20;
    for (char c : std::string("/a\0/b\0", 6))
        good.push_back(static_cast<BYTE>(c));
    good.push_back(0);
    std::vector<std::string> paths;
    ASSERT_TRUE(ReadDropFilesBlock(Exact(good).get(), good.size(), &paths));
    EXPECT_EQ(paths, (std::vector<std::string>{"/a", "/b"}));
    for (std::size_t size = 0; size < good.size(); ++size) {
        const std::vector<BYTE> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(ReadDropFilesBlock(Exact(cut).get(), size, &paths)) << size;
    }
    std::vector<BYTE> wide = good;
    wide[16] = 1;
    EXPECT_FALSE(ReadDropFilesBlock(Exact(wide).get(), wide.size(), &paths));
    std::vector<BYTE> farOffset = good;
    farOffset[0] = 200;
    EXPECT_FALSE(ReadDropFilesBlock(Exact(farOffset).get(), farOffset.size(), &paths));
}
