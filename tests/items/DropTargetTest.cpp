// Drops on the shelf: only catalogs and shelf folders, only by moving, and
// nothing at all from blocks that do not hold what they claim.

#include "items/DropTarget.h"
#include "items/ShelfFolder.h"
#include "items/ShelfItem.h"
#include "module/ClassObjects.h"
#include "namespace/IdList.h"
#include "platform/com/GiveOnlyDataObject.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Messages.h"
#include "tests/items/ShelfTestCatalogs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using namespace pellidor;
using namespace pellidor::test;
using platform::com::ComPtr;
using platform::com::MakeCom;
namespace fs = std::filesystem;

namespace {

// A data object that hands out a fixed block in the identifier-list format.
class BlockData : public platform::com::GiveOnlyDataObject {
public:
    explicit BlockData(std::vector<BYTE> block) : block_(std::move(block)) { }

    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (format->cfFormat != platform::ui::RegisterClipboardFormat("Shell IDList Array"))
            return DV_E_FORMATETC;
        HGLOBAL global = platform::com::GlobalAlloc(block_.size());
        if (!block_.empty())
            std::memcpy(platform::com::GlobalData(global), block_.data(), block_.size());
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT QueryGetData(FORMATETC*) override { return E_NOTIMPL; }

private:
    std::vector<BYTE> block_;
};

class DropTargetTest : public testing::Test {
protected:
    void SetUp() override
    {
        catDir = TestPath("Pellidor");
        extra = TestPath("Extra");
        fs::create_directories(catDir + "/Music");
        fs::create_directories(catDir + "/Films");
        fs::create_directories(extra);
        SetCatDir("", catDir);
        SetCatDir("Extra", extra);
        catalog = WriteCatalog(extra + "/b.pld", TestVolume{}, {File("song.mp3", 5)});
        platform::ui::SetMessageBoxHook([](std::string_view, std::string_view, UINT) { return platform::ui::IDYES; });

        ComPtr<IClassFactory> factory;
        ASSERT_EQ(GetClassObject(CLSID_ShelfFolder, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
        ComPtr<IPersistFolder> persist;
        ASSERT_EQ(factory->CreateInstance(nullptr, IPersistFolder::kIid, persist.ReceiveVoid()), S_OK);
        persist->Initialize(AsIdList(root));
        shelf = ComPtr<CShelfFolder>::AddRefed(dynamic_cast<CShelfFolder*>(persist.Get()));
        ASSERT_TRUE(shelf->LoadChildren(false));
    }
    void TearDown() override { platform::ui::SetMessageBoxHook(nullptr); }

    CCatFolder* Child(const std::string& name)
    {
        for (int i = 0; i < shelf->GetChildCount(); ++i) {
            if (shelf->GetChild(i)->GetName() == name)
                return dynamic_cast<CCatFolder*>(shelf->GetChild(i));
        }
        return nullptr;
    }
    // The identifier of a shelf child, relative to the shelf.
    IdListPtr IdOf(const std::string& name)
    {
        CCatFolder* child = Child(name);
        return child != nullptr ? IdListPtr(child->GetLastID()) : nullptr;
    }
    ComPtr<IDropTarget> TargetOf(const std::string& name)
    {
        const IdListPtr id = IdOf(name);
        LPCITEMIDLIST ids[1] = {id.get()};
        ComPtr<IDropTarget> target;
        EXPECT_EQ(shelf->GetUIObjectOf(nullptr, 1, ids, IDropTarget::kIid, nullptr, target.ReceiveVoid()), S_OK);
        return target;
    }
    static DWORD Enter(IDropTarget& target, IDataObject* data)
    {
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        EXPECT_EQ(target.DragEnter(data, MK_LBUTTON, POINTL{}, &effect), S_OK);
        return effect;
    }

    std::string catDir;
    std::string extra;
    std::string catalog;
    std::vector<BYTE> root = ShellRootIdList();
    ComPtr<CShelfFolder> shelf;
};

TEST_F(DropTargetTest, CatalogDroppedOnTheRootMovesIntoTheCatalogDirectory)
{
    int notifications = 0;
    platform::shell::ScopedChangeObserver observer(
        [&](LONG, const std::vector<BYTE>&, const std::vector<BYTE>&) { ++notifications; });
    ComPtr<IDropTarget> target;
    ASSERT_EQ(shelf->CreateViewObject(nullptr, IDropTarget::kIid, target.ReceiveVoid()), S_OK);
    const auto data = ComPtr<CCatItem>::AddRefed(Child("Volume")).As<IDataObject>();
    ASSERT_TRUE(data);
    EXPECT_EQ(Enter(*target, data.Get()), DROPEFFECT_MOVE);
    DWORD effect = DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(data.Get(), 0, POINTL{}, &effect), S_OK);
    EXPECT_FALSE(fs::exists(catalog));
    EXPECT_EQ(ReadFile(catDir + "/b.pld").substr(0, 2), "PD");
    EXPECT_EQ(notifications, 2);
}

TEST_F(DropTargetTest, ShelfFolderDroppedOnAShelfFolderMovesInsideIt)
{
    const auto target = TargetOf("Music");
    ASSERT_TRUE(target);
    const auto data = ComPtr<CCatItem>::AddRefed(Child("Films")).As<IDataObject>();
    EXPECT_EQ(Enter(*target, data.Get()), DROPEFFECT_MOVE);
    DWORD effect = 0;
    EXPECT_EQ(target->Drop(data.Get(), 0, POINTL{}, &effect), S_OK);
    EXPECT_TRUE(fs::is_directory(catDir + "/Music/Films"));
    EXPECT_FALSE(fs::exists(catDir + "/Films"));
    EXPECT_EQ(target->DragOver(0, POINTL{}, &effect), E_NOTIMPL);
    EXPECT_EQ(target->DragLeave(), E_NOTIMPL);
}

TEST_F(DropTargetTest, CataloguedFileDraggedOntoTheShelfIsRefused)
{
    auto* volume = Child("Volume");
    ASSERT_TRUE(volume->LoadChildren(false));
    const auto data = ComPtr<CCatItem>::AddRefed(volume->GetChild(0)).As<IDataObject>();
    ComPtr<IDropTarget> target;
    ASSERT_EQ(shelf->CreateViewObject(nullptr, IDropTarget::kIid, target.ReceiveVoid()), S_OK);
    EXPECT_EQ(Enter(*target, data.Get()), DROPEFFECT_NONE);
    DWORD effect = 0;
    EXPECT_EQ(target->Drop(data.Get(), 0, POINTL{}, &effect), S_OK);
    EXPECT_TRUE(fs::exists(catalog));
    EXPECT_EQ(fs::directory_iterator(catDir + "/Music"), fs::directory_iterator());
}

TEST_F(DropTargetTest, AShelfFolderOntoItselfIntoItsOwnSubFolderOrWhereItIsTakesNothing)
{
    fs::create_directories(catDir + "/Films/Shorts");
    int messages = 0;
    platform::ui::SetMessageBoxHook([&messages](std::string_view, std::string_view, UINT) {
        ++messages;
        return platform::ui::IDOK_;
    });
    auto* films = Child("Films");
    ASSERT_TRUE(films->LoadChildren(false));
    ComPtr<IDropTarget> shelfTarget;
    ASSERT_EQ(shelf->CreateViewObject(nullptr, IDropTarget::kIid, shelfTarget.ReceiveVoid()), S_OK);
    const auto data = ComPtr<CCatItem>::AddRefed(films).As<IDataObject>();
    const ComPtr<IDropTarget> targets[] = {TargetOf("Films"), films->GetChild(0)->CreateDropTarget(), shelfTarget};
    for (const auto& target : targets) {
        ASSERT_TRUE(target);
        EXPECT_EQ(Enter(*target, data.Get()), DROPEFFECT_NONE);
        DWORD effect = DROPEFFECT_MOVE;
        EXPECT_EQ(target->Drop(data.Get(), 0, POINTL{}, &effect), S_OK);
    }
    EXPECT_TRUE(fs::is_directory(catDir + "/Films/Shorts"));
    EXPECT_EQ(messages, 0);
}

TEST_F(DropTargetTest, TargetWithoutAFolderAcceptsNothing)
{
    const auto target = MakeCom<CDropTarget>(nullptr);
    const auto data = ComPtr<CCatItem>::AddRefed(Child("Volume")).As<IDataObject>();
    EXPECT_EQ(Enter(*target, data.Get()), DROPEFFECT_NONE);
    DWORD effect = 0;
    EXPECT_EQ(target->Drop(data.Get(), 0, POINTL{}, &effect), S_OK);
    EXPECT_TRUE(fs::exists(catalog));
}

// Blocks from outside that lie about what they hold; where each comes from
// is said in its name. None may be accepted or read past its end.
struct BrokenBlock {
    const char* name;
    std::vector<BYTE> (*make)(const std::vector<BYTE>& good);
};

std::vector<BYTE> Put32(std::vector<BYTE> block, std::size_t at, DWORD value)
{
    std::memcpy(block.data() + at, &value, sizeof value);
    return block;
}

const BrokenBlock kBrokenBlocks[] = {
    {"empty block", [](const std::vector<BYTE>&) { return std::vector<BYTE>{}; }},
    {"shorter than the counts", [](const std::vector<BYTE>&) { return std::vector<BYTE>(11, 0); }},
    {"no items", [](const std::vector<BYTE>& good) { return Put32(good, 0, 0); }},
    {"item offset past the end",
        [](const std::vector<BYTE>& good) { return Put32(good, 8, static_cast<DWORD>(good.size() + 100)); }},
    {"folder offset past the end", [](const std::vector<BYTE>& good) { return Put32(good, 4, 0xFFFFFFF0u); }},
    {"catalog element cut short",
        [](const std::vector<BYTE>& good) { return std::vector<BYTE>(good.begin(), good.end() - 500); }},
    {"catalog kind in a 288-byte element",
        [](const std::vector<BYTE>& good) {
            // A file element relabelled as a catalog.
            std::vector<BYTE> block = good;
            DWORD itemOffset = 0;
            std::memcpy(&itemOffset, block.data() + 8, 4);
            block.resize(itemOffset + kElementSize + kTerminatorSize);
            block[itemOffset] = static_cast<BYTE>(kElementSize & 0xFF);
            block[itemOffset + 1] = static_cast<BYTE>(kElementSize >> 8);
            block[itemOffset + kElementSize] = 0;
            block[itemOffset + kElementSize + 1] = 0;
            return block;
        }},
    {"shelf-folder element of 8 bytes ahead of the catalog",
        [](const std::vector<BYTE>& good) {
            // Only the last element names what moves, but every element is
            // read on the way to it.
            std::vector<BYTE> block = good;
            DWORD itemOffset = 0;
            std::memcpy(&itemOffset, block.data() + 8, 4);
            const BYTE header[8] = {8, 0, 0, 0, static_cast<BYTE>(kKindShelfFolder), 0, 0, 0};
            block.insert(block.begin() + itemOffset, std::begin(header), std::end(header));
            return block;
        }},
};

TEST_F(DropTargetTest, BlocksThatLieAreRefusedWithoutReadingPastThem)
{
    // The good block: what a catalog's data object hands out.
    FORMATETC format;
    format.cfFormat = static_cast<CLIPFORMAT>(platform::ui::RegisterClipboardFormat("Shell IDList Array"));
    STGMEDIUM medium;
    const auto source = ComPtr<CCatItem>::AddRefed(Child("Volume")).As<IDataObject>();
    ASSERT_EQ(source->GetData(&format, &medium), S_OK);
    const BYTE* bytes = platform::com::GlobalData(medium.hGlobal);
    const std::vector<BYTE> good(bytes, bytes + platform::com::GlobalSize(medium.hGlobal));
    ReleaseStgMedium(&medium);

    ComPtr<IDropTarget> target;
    ASSERT_EQ(shelf->CreateViewObject(nullptr, IDropTarget::kIid, target.ReceiveVoid()), S_OK);
    EXPECT_EQ(Enter(*target, MakeCom<BlockData>(good).Get()), DROPEFFECT_MOVE);
    for (const auto& broken : kBrokenBlocks) {
        SCOPED_TRACE(broken.name);
        const auto data = MakeCom<BlockData>(broken.make(good));
        EXPECT_EQ(Enter(*target, data.Get()), DROPEFFECT_NONE);
        DWORD effect = 0;
        EXPECT_EQ(target->Drop(data.Get(), 0, POINTL{}, &effect), S_OK);
        EXPECT_TRUE(fs::exists(catalog));
    }
    // Flipping any single byte of the counts and offsets never crashes.
    for (std::size_t at = 0; at < 12; ++at) {
        std::vector<BYTE> block = good;
        block[at] ^= 0xFF;
        DWORD effect = 0;
        target->DragEnter(MakeCom<BlockData>(block).Get(), 0, POINTL{}, &effect);
    }
    EXPECT_EQ(platform::com::GlobalLiveBlocks(), 0);
}

} // namespace
