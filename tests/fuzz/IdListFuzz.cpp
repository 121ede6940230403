// Fuzz target: identifier lists from outside, at the one check and at every
// folder method that takes one.
//
// Input: byte 0 chooses the method (bits 0-2) and the folder it is asked of
// (bits 3-4: the shelf root, a catalog, a folder inside the catalog, a shelf
// sub-folder); the rest is the list, or for method 7 an identifier-list block
// as a drag hands it over. A small shelf with two catalogs is made once, in a
// temporary directory, when the target starts.
//
// Besides crashes and reads past the input, the target stops on a broken
// contract: a method that answers E_INVALIDARG for a list the check accepts,
// or anything else for one it refuses.
//
// Setting PELLIDOR_FUZZ_SEEDS to a directory makes the target write there, at
// start, seed inputs made from real lists the fixture's folders hand out
// (tests/fuzz/corpus/idlist/ holds them).

#include "catalog/CatFile.h"
#include "items/DataTransfer.h"
#include "items/ShelfFolder.h"
#include "items/ShelfItem.h"
#include "namespace/CatFolder.h"
#include "namespace/IdList.h"
#include "platform/com/GiveOnlyDataObject.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace pellidor;
using platform::com::ComPtr;
using platform::com::MakeCom;

namespace {

enum Method : BYTE {
    kBindToObject,
    kCompareIDs,
    kGetAttributesOf,
    kGetUIObjectOf,
    kGetDisplayNameOf,
    kSetNameOf,
    kInitialize,
    kDragEnter,
};

enum FolderIndex : std::size_t { kShelfRoot, kCatalog, kCatalogFolder, kShelfSubFolder, kFolderCount };

// The contract broke: stop here, with the input that broke it.
void Broken()
{
    std::abort();
}

class QuietProgress final : public IReadProgress {
public:
    bool IsCancelled() const override { return false; }
    void SetCancelled() override { }
    void ShowPath(const std::string&) override { }
};

// A data object that hands out the input as its identifier-list block.
class BlockData : public platform::com::GiveOnlyDataObject {
public:
    BlockData(const BYTE* bytes, std::size_t size) : bytes_(bytes), size_(size) { }

    HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (format->cfFormat != ShellIdListFormat())
            return DV_E_FORMATETC;
        HGLOBAL global = platform::com::GlobalAlloc(size_);
        if (global == nullptr)
            return E_OUTOFMEMORY;
        if (size_ != 0)
            std::memcpy(platform::com::GlobalData(global), bytes_, size_);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT QueryGetData(FORMATETC*) override { return E_NOTIMPL; }

private:
    const BYTE* bytes_;
    std::size_t size_;
};

// The shell's root list: one foreign element of 20 bytes.
constexpr std::array<BYTE, 22> kRootList
    = {20, 0, 0x1F, 0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0};

LPCITEMIDLIST AsList(const BYTE* bytes)
{
    return reinterpret_cast<LPCITEMIDLIST>(bytes);
}

// A shelf in a temporary directory: the catalog directory with a catalog and
// a sub-folder holding a second catalog, both read from a small tree.
class Fixture {
public:
    bool Make();
    CCatFolder& Folder(std::size_t index) const { return *folders_[index]; }
    // A child's list as the folder hands it out.
    LPCITEMIDLIST Sound(std::size_t index) const { return sound_[index].get(); }
    IDropTarget& DropTarget() const { return *dropTarget_; }
    void WriteSeeds(const QString& directory) const;

private:
    static CCatFolder* ChildOfKind(CCatFolder& folder, DWORD kind);

    QTemporaryDir dir_;
    ComPtr<CShelfFolder> shelf_;
    std::array<ComPtr<CCatFolder>, kFolderCount> folders_;
    std::array<IdListPtr, kFolderCount> sound_;
    ComPtr<IDropTarget> dropTarget_;
};

bool WriteText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

CCatFolder* Fixture::ChildOfKind(CCatFolder& folder, DWORD kind)
{
    if (!folder.LoadChildren(false))
        return nullptr;
    for (int i = 0; i < folder.GetChildCount(); ++i) {
        auto* child = dynamic_cast<CCatFolder*>(folder.GetChild(i));
        const IdListPtr last(child != nullptr ? child->GetLastID() : nullptr);
        if (last && ElementKind(last.get()) == kind)
            return child;
    }
    return nullptr;
}

bool Fixture::Make()
{
    if (!dir_.isValid())
        return false;
    const std::string root = dir_.path().toStdString();
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("PELLIDOR_DRIVES", (root + "/drives.table").c_str(), 1);

    const QString base = dir_.path();
    const std::string volume = root + "/volume";
    const std::string catDir = root + "/Pellidor";
    if (!QDir().mkpath(base + QStringLiteral("/volume/Docs/Sub"))
        || !QDir().mkpath(base + QStringLiteral("/Pellidor/Music"))
        || !WriteText(base + QStringLiteral("/volume/readme.txt"), "read me")
        || !WriteText(base + QStringLiteral("/volume/Docs/note.txt"), "note")
        || !WriteText(base + QStringLiteral("/volume/Docs/Sub/deep.txt"), "deep")
        || !WriteText(base + QStringLiteral("/drives.table"),
            QByteArray::fromStdString(volume + "\t5\tFUZZ\t1A2B3C4D\tCDFS\t1000000\t0\t1\n")))
        return false;
    platform::registry::Key key;
    if (key.Create(platform::registry::Hive::LocalMachine, kCatDirKey) != 0 || key.SetString("", catDir) != 0)
        return false;
    QuietProgress progress;
    if (!CCatFile().Create(volume, catDir + "/a.pld", progress)
        || !CCatFile().Create(volume, catDir + "/Music/b.pld", progress))
        return false;

    shelf_ = MakeCom<CShelfFolder>();
    if (FAILED(shelf_->Initialize(AsList(kRootList.data()))))
        return false;
    folders_[kShelfRoot] = ComPtr<CCatFolder>::AddRefed(shelf_.Get());
    folders_[kCatalog] = ComPtr<CCatFolder>::AddRefed(ChildOfKind(*shelf_, kKindCatalog));
    folders_[kShelfSubFolder] = ComPtr<CCatFolder>::AddRefed(ChildOfKind(*shelf_, kKindShelfFolder));
    if (!folders_[kCatalog] || !folders_[kShelfSubFolder])
        return false;
    folders_[kCatalogFolder] = ComPtr<CCatFolder>::AddRefed(ChildOfKind(*folders_[kCatalog], kKindFolder));
    if (!folders_[kCatalogFolder])
        return false;
    for (std::size_t i = 0; i < kFolderCount; ++i) {
        if (!folders_[i]->LoadChildren(false) || folders_[i]->GetChildCount() == 0)
            return false;
        sound_[i] = IdListPtr(folders_[i]->GetChild(0)->GetLastID());
        if (!sound_[i])
            return false;
    }
    return SUCCEEDED(shelf_->CreateViewObject(nullptr, IDropTarget::kIid, dropTarget_.ReceiveVoid()));
}

void Fixture::WriteSeeds(const QString& directory) const
{
    QDir().mkpath(directory);
    auto write = [&directory](const char* name, BYTE selector, const BYTE* bytes, std::size_t size) {
        QByteArray seed(1, static_cast<char>(selector));
        seed.append(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
        WriteText(directory + QLatin1Char('/') + QLatin1String(name), seed);
    };
    auto select = [](Method method, std::size_t folder) { return static_cast<BYTE>(method | (folder << 3)); };
    auto writeList = [&](const char* name, Method method, std::size_t folder, LPCITEMIDLIST list) {
        write(name, select(method, folder), reinterpret_cast<const BYTE*>(list), IdListSize(list));
    };
    writeList("shelf-bind-child", kBindToObject, kShelfRoot, Sound(kShelfRoot));
    writeList("shelf-name-subfolder", kGetDisplayNameOf, kShelfRoot, Folder(kShelfSubFolder).OwnIdList());
    writeList("catalog-compare-child", kCompareIDs, kCatalog, Sound(kCatalog));
    writeList("catalog-setname-child", kSetNameOf, kCatalog, Sound(kCatalog));
    writeList("folder-attributes-child", kGetAttributesOf, kCatalogFolder, Sound(kCatalogFolder));
    writeList("subfolder-uiobject-catalog", kGetUIObjectOf, kShelfSubFolder, Sound(kShelfSubFolder));
    // An item's whole own list (catalog, folder, item), as the
    // shelf's GetDisplayNameOf gets an item several levels down.
    const CCatItem* deep = Folder(kCatalogFolder).GetChild(0);
    writeList("shelf-name-whole-list", kGetDisplayNameOf, kShelfRoot, deep->OwnIdList());
    writeList("initialize-root", kInitialize, kShelfRoot, AsList(kRootList.data()));
    // The block a catalog's data object hands a drag.
    FORMATETC format;
    format.cfFormat = ShellIdListFormat();
    STGMEDIUM medium;
    if (SUCCEEDED(Folder(kCatalog).GetData(&format, &medium))) {
        write("drag-catalog-block", select(kDragEnter, kShelfRoot), platform::com::GlobalData(medium.hGlobal),
            platform::com::GlobalSize(medium.hGlobal));
        ReleaseStgMedium(&medium);
    }
}

Fixture* g_fixture = nullptr;

int Sign(HRESULT compared)
{
    const auto value = static_cast<short>(HRESULT_CODE(compared));
    return (value > 0) - (value < 0);
}

// Calls `method` of `folder` with the list; the answer that the contract
// asks for is checked where the method has one.
void CallWithList(Method method, CCatFolder& folder, LPCITEMIDLIST list, LPCITEMIDLIST sound)
{
    const bool refused = !CheckIdList(list, IdListContent::Own);
    auto expect = [refused](HRESULT result) {
        if (refused != (result == E_INVALIDARG))
            Broken();
    };
    switch (method) {
    case kBindToObject: {
        ComPtr<IUnknown> object;
        expect(folder.BindToObject(list, nullptr, IUnknown::kIid, object.ReceiveVoid()));
        void* storage = nullptr;
        expect(folder.BindToStorage(list, nullptr, IUnknown::kIid, &storage));
        break;
    }
    case kCompareIDs: {
        const HRESULT forth = folder.CompareIDs(0, list, sound);
        const HRESULT back = folder.CompareIDs(0, sound, list);
        expect(forth);
        expect(back);
        if (!refused && (Sign(forth) != -Sign(back) || Sign(folder.CompareIDs(0, list, list)) != 0))
            Broken();
        break;
    }
    case kGetAttributesOf: {
        LPCITEMIDLIST ids[2] = {sound, list};
        ULONG mask = 0xFFFFFFFF;
        expect(folder.GetAttributesOf(2, ids, &mask));
        if (refused && mask != 0xFFFFFFFF)
            Broken();
        break;
    }
    case kGetUIObjectOf: {
        ComPtr<IContextMenu> menu;
        ComPtr<IDropTarget> target;
        expect(folder.GetUIObjectOf(nullptr, 1, &list, IContextMenu::kIid, nullptr, menu.ReceiveVoid()));
        const HRESULT forTarget
            = folder.GetUIObjectOf(nullptr, 1, &list, IDropTarget::kIid, nullptr, target.ReceiveVoid());
        if (refused && forTarget != E_INVALIDARG)
            Broken();
        break;
    }
    case kGetDisplayNameOf: {
        STRRET name;
        expect(folder.GetDisplayNameOf(list, SHGDN_FORADDRESSBAR, &name));
        if (!refused && std::memchr(name.cStr, 0, sizeof name.cStr) == nullptr)
            Broken();
        break;
    }
    case kSetNameOf: {
        // No new name: whatever the list names, nothing on the disk is
        // renamed, yet the list is checked and its object made.
        LPITEMIDLIST out = nullptr;
        const HRESULT result = folder.SetNameOf(nullptr, list, nullptr, SHGDN_NORMAL, &out);
        if (refused && result != E_INVALIDARG)
            Broken();
        break;
    }
    case kInitialize: {
        // The root list is the shell's: any walkable list is taken.
        const auto fresh = MakeCom<CShelfFolder>();
        if (fresh->Initialize(list) != S_OK)
            Broken();
        ComPtr<IUnknown> object;
        if (fresh->BindToObject(sound, nullptr, IUnknown::kIid, object.ReceiveVoid()) != S_OK)
            Broken();
        break;
    }
    case kDragEnter:
        break;
    }
}

void DragEnter(const BYTE* bytes, std::size_t size)
{
    const auto block = ReadIdListBlock(bytes, size);
    const auto data = MakeCom<BlockData>(bytes, size);
    DWORD effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
    g_fixture->DropTarget().DragEnter(data.Get(), 0, POINTL{}, &effect);
    if (effect != DROPEFFECT_NONE && (!block || block->items.empty()))
        Broken();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    static Fixture fixture;
    if (!fixture.Make())
        std::abort(); // no fixture, nothing to fuzz
    g_fixture = &fixture;
    if (const char* seeds = std::getenv("PELLIDOR_FUZZ_SEEDS"))
        fixture.WriteSeeds(QString::fromLocal8Bit(seeds));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const auto method = static_cast<Method>(data[0] & 7);
    const std::size_t folder = (data[0] >> 3) & 3;
    const BYTE* bytes = data + 1;
    const std::size_t count = size - 1;

    // The one check, bounded by the input: our content is a strict subset
    // of the shell's.
    const auto own = CheckIdList(bytes, count, IdListContent::Own);
    const auto foreign = CheckIdList(bytes, count, IdListContent::Foreign);
    if (own && (!foreign || foreign->Size() != own->Size()))
        Broken();
    for (DWORD kind = 0; kind <= 4; ++kind) {
        if (IsOwnIdList(bytes, count, kind) && !own)
            Broken();
    }
    if (method == kDragEnter) {
        DragEnter(bytes, count);
        return 0;
    }
    // A bare list from the shell always ends inside its block; only its
    // elements may lie. Anything else is no list the shell could hand over.
    if (!foreign)
        return 0;
    const auto list = std::make_unique<BYTE[]>(foreign->Size());
    std::memcpy(list.get(), bytes, foreign->Size());
    CallWithList(method, g_fixture->Folder(folder), AsList(list.get()), g_fixture->Sound(folder));
    return 0;
}
