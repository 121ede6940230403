// The catalog folder as the shell uses it, and its enumerator.

#include "namespace/CatFolder.h"
#include "items/ShelfItem.h"
#include "namespace/CatList.h"
#include "namespace/IdList.h"
#include "platform/shell/Execute.h"
#include "tests/items/ShelfTestCatalogs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>

using namespace pellidor;
using namespace pellidor::test;
using platform::com::ComPtr;
using platform::com::MakeCom;

namespace {

constexpr DWORD kAllFlags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;

class CatFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        liveBlocks = platform::com::TaskMemLiveBlocks();
        path = WriteCatalog(TestPath("cats/a.pld"), TestVolume{},
            {Folder("Docs", {File("note.txt", 100), Folder("Sub", {File("deep.txt", 1)})}),
                File("readme.txt", 1025, kAttrReadOnly | kAttrArchive), File("secret.sys", 10, kAttrHidden),
                Folder("Empty", {}, false)});
        catalog = MakeCom<CShelfItem>(AsIdList(root), FindDataFor(path));
    }
    void TearDown() override
    {
        catalog.Reset();
        EXPECT_EQ(platform::com::TaskMemLiveBlocks(), liveBlocks) << "an identifier list was not freed";
    }

    // Each enumerated identifier by its name; freed when the map dies.
    static std::map<std::string, IdListPtr> Enumerate(IShellFolder& folder, DWORD flags)
    {
        std::map<std::string, IdListPtr> ids;
        ComPtr<IEnumIDList> list;
        EXPECT_EQ(folder.EnumObjects(nullptr, flags, list.Receive()), S_OK);
        LPITEMIDLIST id = nullptr;
        while (list->Next(1, &id, nullptr) == S_OK)
            ids.emplace(ElementName(id), IdListPtr(id));
        return ids;
    }
    static std::vector<std::string> Names(const std::map<std::string, IdListPtr>& ids)
    {
        std::vector<std::string> names;
        for (const auto& [name, id] : ids)
            names.push_back(name);
        return names;
    }

    long liveBlocks = 0;
    std::vector<BYTE> root = ShellRootIdList();
    std::string path;
    ComPtr<CShelfItem> catalog;
};

TEST_F(CatFolderTest, RootListOfACatalogIsListedInCatalogOrder)
{
    ASSERT_TRUE(catalog->LoadChildren(false));
    ASSERT_EQ(catalog->GetChildCount(), 4);
    std::vector<std::string> names;
    for (int i = 0; i < catalog->GetChildCount(); ++i)
        names.push_back(catalog->GetChild(i)->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"Docs", "readme.txt", "secret.sys", "Empty"}));
    EXPECT_NE(dynamic_cast<CCatFolder*>(catalog->GetChild(0)), nullptr);
    EXPECT_EQ(dynamic_cast<CCatFolder*>(catalog->GetChild(1)), nullptr);
    EXPECT_EQ(catalog->GetChild(4), nullptr);
}

TEST_F(CatFolderTest, FolderWithoutAListIsLoadedWithNoChildren)
{
    ASSERT_TRUE(catalog->LoadChildren(false));
    auto* empty = dynamic_cast<CCatFolder*>(catalog->GetChild(3));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->Size(), kNoList);
    EXPECT_TRUE(empty->LoadChildren(false));
    EXPECT_EQ(empty->GetChildCount(), 0);
}

TEST_F(CatFolderTest, SubFolderReadsItsOwnListThroughTheCatalogElement)
{
    ASSERT_TRUE(catalog->LoadChildren(false));
    auto* docs = dynamic_cast<CCatFolder*>(catalog->GetChild(0));
    ASSERT_TRUE(docs->LoadChildren(false));
    ASSERT_EQ(docs->GetChildCount(), 2);
    auto* sub = dynamic_cast<CCatFolder*>(docs->GetChild(1));
    ASSERT_NE(sub, nullptr);
    ASSERT_TRUE(sub->LoadChildren(false));
    ASSERT_EQ(sub->GetChildCount(), 1);
    EXPECT_EQ(sub->GetChild(0)->GetName(), "deep.txt");
    EXPECT_EQ(sub->GetChild(0)->GetFolderText(), "Docs\\Sub");
}

TEST_F(CatFolderTest, ChildrenShareTheFoldersListYetHandOutTheirWholeOwnList)
{
    ASSERT_TRUE(catalog->LoadChildren(false));
    auto* docs = dynamic_cast<CCatFolder*>(catalog->GetChild(0));
    const IdListPtr docsOwn = CopyIdList(docs->OwnIdList());
    // Loading allocates no list per child: they point at the folder's.
    const long before = platform::com::TaskMemLiveBlocks();
    ASSERT_TRUE(docs->LoadChildren(false));
    ASSERT_EQ(docs->GetChildCount(), 2);
    EXPECT_EQ(platform::com::TaskMemLiveBlocks(), before);

    CCatItem* note = docs->GetChild(0);
    EXPECT_EQ(note->CatalogPath(), path);
    EXPECT_EQ(note->GetFolderText(), "Docs");
    EXPECT_EQ(note->GetPathOnMedium("/media/cd/"), "/media/cd/Docs/note.txt");
    const IdListPtr last(note->GetLastID());
    const IdListPtr expected = JoinIdLists(docsOwn.get(), last.get());
    ASSERT_EQ(IdListSize(note->OwnIdList()), IdListSize(expected.get()));
    EXPECT_EQ(std::memcmp(note->OwnIdList(), expected.get(), IdListSize(expected.get())), 0);
    // A folder's own list, made whole for its children, starts the same way.
    auto* sub = dynamic_cast<CCatFolder*>(docs->GetChild(1));
    ASSERT_TRUE(sub->LoadChildren(false));
    EXPECT_EQ(sub->GetChild(0)->GetPathOnMedium("/m"), "/m/Docs/Sub/deep.txt");
}

TEST_F(CatFolderTest, EnumeratingTwiceReadsTheCatalogOnce)
{
    EXPECT_EQ(Enumerate(*catalog, kAllFlags).size(), 3u);
    ASSERT_EQ(std::remove(path.c_str()), 0);
    EXPECT_EQ(Enumerate(*catalog, kAllFlags).size(), 3u);
    // Only a reload reads again, and now finds nothing.
    EXPECT_TRUE(catalog->LoadChildren(true));
    EXPECT_EQ(catalog->GetChildCount(), 0);
}

TEST_F(CatFolderTest, NextGivesOneIdentifierPerCallWhateverTheCount)
{
    ComPtr<IEnumIDList> list;
    ASSERT_EQ(catalog->EnumObjects(nullptr, kAllFlags, list.Receive()), S_OK);
    LPITEMIDLIST ids[10] = {};
    for (int i = 0; i < 3; ++i) {
        ULONG fetched = 99;
        ASSERT_EQ(list->Next(10, ids, &fetched), S_OK);
        EXPECT_EQ(fetched, 1u);
        EXPECT_EQ(ids[1], nullptr);
        platform::com::TaskMemFree(ids[0]);
    }
    ULONG fetched = 99;
    EXPECT_EQ(list->Next(10, ids, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(ids[0], nullptr);
}

struct FlagCase {
    DWORD flags;
    std::vector<std::string> names;
};

class EnumFlagsTest : public CatFolderTest, public testing::WithParamInterface<FlagCase> { };

TEST_P(EnumFlagsTest, FlagsChooseFoldersOrFilesAndHiddenNever)
{
    EXPECT_EQ(Names(Enumerate(*catalog, GetParam().flags)), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(Flags, EnumFlagsTest,
    testing::Values(FlagCase{SHCONTF_FOLDERS, {"Docs", "Empty"}}, FlagCase{SHCONTF_NONFOLDERS, {"readme.txt"}},
        FlagCase{kAllFlags, {"Docs", "Empty", "readme.txt"}}, FlagCase{0, {}}));

TEST_F(CatFolderTest, ResetGivesTheSameSequenceWithoutReadingAgain)
{
    ComPtr<IEnumIDList> list;
    ASSERT_EQ(catalog->EnumObjects(nullptr, kAllFlags, list.Receive()), S_OK);
    auto drain = [&] {
        std::vector<std::string> names;
        LPITEMIDLIST id = nullptr;
        while (list->Next(1, &id, nullptr) == S_OK) {
            names.push_back(ElementName(id));
            platform::com::TaskMemFree(id);
        }
        return names;
    };
    const auto first = drain();
    ASSERT_EQ(std::remove(path.c_str()), 0);
    EXPECT_EQ(list->Reset(), S_OK);
    EXPECT_EQ(drain(), first);
    EXPECT_EQ(list->Skip(1), E_NOTIMPL);
}

TEST_F(CatFolderTest, EnumeratedIdentifiersAreSingleElementsOfTheirKind)
{
    const auto ids = Enumerate(*catalog, kAllFlags);
    EXPECT_EQ(IdListSize(ids.at("Docs").get()), kElementSize + kTerminatorSize);
    EXPECT_EQ(ElementKind(ids.at("Docs").get()), kKindFolder);
    EXPECT_EQ(ElementKind(ids.at("readme.txt").get()), kKindFile);
}

TEST_F(CatFolderTest, AttributesOfAReadOnlyFileAndAFolderHaveNothingInCommon)
{
    const auto ids = Enumerate(*catalog, kAllFlags);
    LPCITEMIDLIST mixed[2] = {ids.at("readme.txt").get(), ids.at("Docs").get()};
    ULONG mask = 0xFFFFFFFF;
    EXPECT_EQ(catalog->GetAttributesOf(2, mixed, &mask), S_OK);
    EXPECT_EQ(mask, 0u);

    LPCITEMIDLIST folders[2] = {ids.at("Docs").get(), ids.at("Empty").get()};
    mask = 0xFFFFFFFF;
    EXPECT_EQ(catalog->GetAttributesOf(2, folders, &mask), S_OK);
    EXPECT_EQ(mask, SFGAO_FOLDER | SFGAO_HASSUBFOLDER);

    LPCITEMIDLIST file[1] = {ids.at("readme.txt").get()};
    mask = 0xFFFFFFFF;
    EXPECT_EQ(catalog->GetAttributesOf(1, file, &mask), S_OK);
    EXPECT_EQ(mask, SFGAO_READONLY);
}

TEST_F(CatFolderTest, UIObjectOfTwoIdentifiersIsRefused)
{
    const auto ids = Enumerate(*catalog, kAllFlags);
    LPCITEMIDLIST two[2] = {ids.at("readme.txt").get(), ids.at("Docs").get()};
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(catalog->GetUIObjectOf(nullptr, 2, two, IContextMenu::kIid, nullptr, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    ComPtr<IContextMenu> menu;
    EXPECT_EQ(catalog->GetUIObjectOf(nullptr, 1, two, IContextMenu::kIid, nullptr, menu.ReceiveVoid()), S_OK);
    // Only shelf folders get a drop target of their own.
    ComPtr<IDropTarget> target;
    EXPECT_EQ(
        catalog->GetUIObjectOf(nullptr, 1, two + 1, IDropTarget::kIid, nullptr, target.ReceiveVoid()), E_NOINTERFACE);
}

TEST_F(CatFolderTest, CompareIDsPutsFoldersBeforeFilesForEveryColumn)
{
    const auto ids = Enumerate(*catalog, kAllFlags);
    ASSERT_TRUE(catalog->LoadChildren(false));
    CCatItem* folder = catalog->GetChild(3); // "Empty", after "readme.txt" by name
    CCatItem* file = catalog->GetChild(1);
    for (int column = 0; column < 8; ++column) {
        SCOPED_TRACE(column);
        const HRESULT before = catalog->CompareIDs(column, ids.at("Empty").get(), ids.at("readme.txt").get());
        const HRESULT after = catalog->CompareIDs(column, ids.at("readme.txt").get(), ids.at("Empty").get());
        EXPECT_TRUE(SUCCEEDED(before));
        EXPECT_LT(static_cast<short>(HRESULT_CODE(before)), 0);
        EXPECT_GT(static_cast<short>(HRESULT_CODE(after)), 0);
        EXPECT_LT(folder->CompareTo(*file, column), 0);
        EXPECT_GT(file->CompareTo(*folder, column), 0);
    }
    EXPECT_EQ(HRESULT_CODE(catalog->CompareIDs(0, ids.at("Docs").get(), ids.at("Docs").get())), 0);
}

TEST_F(CatFolderTest, AddressBarNameOfAFolderCarriesTheProgramName)
{
    const auto ids = Enumerate(*catalog, kAllFlags);
    STRRET name;
    EXPECT_EQ(catalog->GetDisplayNameOf(ids.at("Docs").get(), SHGDN_FORADDRESSBAR, &name), S_OK);
    EXPECT_EQ(name.uType, STRRET_CSTR);
    EXPECT_STREQ(name.cStr, "Pellidor::Docs");
    EXPECT_EQ(catalog->GetDisplayNameOf(ids.at("Docs").get(), SHGDN_NORMAL, &name), S_OK);
    EXPECT_STREQ(name.cStr, "Docs");
    EXPECT_EQ(catalog->GetDisplayNameOf(ids.at("readme.txt").get(), SHGDN_FORADDRESSBAR, &name), S_OK);
    EXPECT_STREQ(name.cStr, "readme.txt");
}

TEST_F(CatFolderTest, LongAddressBarNameIsCutToFitWithoutSplittingACharacter)
{
    // 251 bytes of name, then a two-byte character at bytes 249 and 250 of
    // the address-bar text's 259 (after the ten of "Pellidor::").
    const std::string longName = std::string(248, 'a') + "\xC3\xA9" + "b";
    STRRET name;
    CatRecord record{};
    record.Attributes = kAttrDirectory;
    std::memcpy(record.Name, longName.data(), longName.size());
    const auto folder = MakeCom<CCatFolder>(AsIdList(root), nullptr, &record, kKindFolder);
    EXPECT_EQ(folder->GetDisplayName(SHGDN_FORADDRESSBAR, &name), S_OK);
    const std::string text = name.cStr;
    EXPECT_EQ(text, "Pellidor::" + std::string(248, 'a'));
}

TEST_F(CatFolderTest, ParsingAndStorageBindingAreNotOffered)
{
    LPITEMIDLIST out = nullptr;
    EXPECT_EQ(catalog->ParseDisplayName(nullptr, nullptr, u"Docs", nullptr, &out, nullptr), E_NOTIMPL);
    void* storage = nullptr;
    const auto ids = Enumerate(*catalog, kAllFlags);
    EXPECT_EQ(catalog->BindToStorage(ids.at("Docs").get(), nullptr, IUnknown::kIid, &storage), E_NOTIMPL);
    EXPECT_EQ(storage, nullptr);
}

TEST_F(CatFolderTest, BindingGivesAFolderForAFolderAndNoFolderForAFile)
{
    const auto ids = Enumerate(*catalog, kAllFlags);
    ComPtr<IShellFolder> docs;
    ASSERT_EQ(catalog->BindToObject(ids.at("Docs").get(), nullptr, IShellFolder::kIid, docs.ReceiveVoid()), S_OK);
    EXPECT_EQ(Names(Enumerate(*docs, kAllFlags)), (std::vector<std::string>{"Sub", "note.txt"}));
    ComPtr<IShellFolder> file;
    EXPECT_EQ(catalog->BindToObject(ids.at("readme.txt").get(), nullptr, IShellFolder::kIid, file.ReceiveVoid()),
        E_NOINTERFACE);
}

TEST_F(CatFolderTest, OpenAndExploreAskTheShellForTheFolderByItsFullList)
{
    std::vector<platform::shell::IdListRequest> requests;
    std::vector<std::vector<BYTE>> lists;
    platform::shell::SetIdListHandler([&](const platform::shell::IdListRequest& request) {
        requests.push_back(request);
        const auto* bytes = reinterpret_cast<const BYTE*>(request.idList);
        lists.emplace_back(bytes, bytes + IdListSize(request.idList));
        return platform::shell::kExecuteOk;
    });
    ASSERT_TRUE(catalog->LoadChildren(false));
    auto* docs = dynamic_cast<CCatFolder*>(catalog->GetChild(0));
    CMINVOKECOMMANDINFO info;
    EXPECT_EQ(docs->OnOpen(&info), S_OK);
    EXPECT_EQ(docs->OnExplore(&info), S_OK);
    platform::shell::SetIdListHandler(nullptr);

    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].verb, "open");
    EXPECT_EQ(requests[1].verb, "explore");
    EXPECT_EQ(requests[0].className, "folder");
    const IdListPtr full(docs->GetFullIDList());
    const auto* expected = reinterpret_cast<const BYTE*>(full.get());
    EXPECT_EQ(lists[0], std::vector<BYTE>(expected, expected + IdListSize(full.get())));
    EXPECT_EQ(docs->OnProperties(&info), E_NOTIMPL);
}

TEST_F(CatFolderTest, DropTargetOfAFolderInsideACatalogRefusesEveryDrag)
{
    ComPtr<IDropTarget> target;
    ASSERT_EQ(catalog->CreateViewObject(nullptr, IDropTarget::kIid, target.ReceiveVoid()), S_OK);
    // A catalog dragged from the shelf: the move would leave the shelf.
    const auto other = MakeCom<CShelfItem>(AsIdList(root), FindDataFor(path));
    const auto data = other.As<IDataObject>();
    DWORD effect = DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(data.Get(), MK_LBUTTON, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(target->Drop(data.Get(), 0, POINTL{}, &effect), S_OK);
    EXPECT_EQ(ReadFile(path).substr(0, 2), "PD");
}

} // namespace
