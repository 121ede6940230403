// Identifier lists from outside at the folders' doors: every method of a
// catalog folder and of the shelf that takes a list refuses a broken one with
// E_INVALIDARG before reading it, and lets a sound one through.

#include "items/ShelfFolder.h"
#include "items/ShelfItem.h"
#include "module/ClassObjects.h"
#include "namespace/CatFolder.h"
#include "namespace/IdList.h"
#include "tests/items/ShelfTestCatalogs.h"
#include "tests/namespace/BrokenIdLists.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>

using namespace pellidor;
using namespace pellidor::test;
using platform::com::ComPtr;

namespace {

// One method that takes a list, called with `given` where the list goes
// (and `sound`, a list the folder handed out, where a second one goes).
struct Door {
    const char* name;
    HRESULT (*call)(CCatFolder& folder, LPCITEMIDLIST given, LPCITEMIDLIST sound);
    HRESULT soundAnswer; // what the method answers for a sound list
};

const Door kDoors[] = {
    {"BindToObject",
        [](CCatFolder& folder, LPCITEMIDLIST given, LPCITEMIDLIST) {
            ComPtr<IUnknown> out;
            return folder.BindToObject(given, nullptr, IUnknown::kIid, out.ReceiveVoid());
        },
        S_OK},
    {"BindToStorage",
        [](CCatFolder& folder, LPCITEMIDLIST given, LPCITEMIDLIST) {
            void* out = nullptr;
            return folder.BindToStorage(given, nullptr, IUnknown::kIid, &out);
        },
        E_NOTIMPL},
    {"CompareIDs, first list",
        [](CCatFolder& folder, LPCITEMIDLIST given, LPCITEMIDLIST sound) { return folder.CompareIDs(0, given, sound); },
        S_OK},
    {"CompareIDs, second list",
        [](CCatFolder& folder, LPCITEMIDLIST given, LPCITEMIDLIST sound) { return folder.CompareIDs(3, sound, given); },
        S_OK},
    {"GetAttributesOf",
        [](CCatFolder& folder, LPCITEMIDLIST given, LPCITEMIDLIST) {
            LPCITEMIDLIST ids[1] = {given};
            ULONG mask = 0xFFFFFFFF;
            return folder.GetAttributesOf(1, ids, &mask);
        },
        S_OK},
    {"GetAttributesOf, after a sound list",
        [](CCatFolder& folder, LPCITEMIDLIST given, LPCITEMIDLIST sound) {
            LPCITEMIDLIST ids[2] = {sound, given};
            ULONG mask = 0xFFFFFFFF;
            const HRESULT result = folder.GetAttributesOf(2, ids, &mask);
            if (result == E_INVALIDARG) {
                EXPECT_EQ(mask, 0xFFFFFFFF) << "a refused call changed the mask";
            }
            return result;
        },
        S_OK},
    {"GetUIObjectOf",
        [](CCatFolder& folder, LPCITEMIDLIST given, LPCITEMIDLIST) {
            LPCITEMIDLIST ids[1] = {given};
            ComPtr<IContextMenu> menu;
            return folder.GetUIObjectOf(nullptr, 1, ids, IContextMenu::kIid, nullptr, menu.ReceiveVoid());
        },
        S_OK},
    {"GetDisplayNameOf",
        [](CCatFolder& folder, LPCITEMIDLIST given, LPCITEMIDLIST) {
            STRRET name;
            return folder.GetDisplayNameOf(given, SHGDN_FORADDRESSBAR, &name);
        },
        S_OK},
    {"SetNameOf",
        [](CCatFolder& folder, LPCITEMIDLIST given, LPCITEMIDLIST) {
            LPITEMIDLIST out = nullptr;
            return folder.SetNameOf(nullptr, given, u"New name", SHGDN_NORMAL, &out);
        },
        E_NOTIMPL}, // neither catalog contents nor catalogs take a new name
};

enum class Where { Catalog, Shelf };

// A shelf with one catalog; the folder under test is the catalog (a catalog
// folder) or the shelf root (a shelf folder), the sound list one of its
// children's identifiers as it enumerates them.
class OutsideIdListTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string catDir = TestPath("Pellidor");
        std::filesystem::create_directories(catDir);
        SetCatDir("", catDir);
        WriteCatalog(catDir + "/a.pld", TestVolume{}, {Folder("Docs", {File("note.txt", 100)}), File("b.txt", 1)});
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(GetClassObject(CLSID_ShelfFolder, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
        ComPtr<IPersistFolder> persist;
        ASSERT_EQ(factory->CreateInstance(nullptr, IPersistFolder::kIid, persist.ReceiveVoid()), S_OK);
        ASSERT_EQ(persist->Initialize(AsIdList(root)), S_OK);
        shelf = ComPtr<CShelfFolder>::AddRefed(dynamic_cast<CShelfFolder*>(persist.Get()));
        ASSERT_TRUE(shelf->LoadChildren(false));
        ASSERT_EQ(shelf->GetChildCount(), 1);
        catalog = ComPtr<CCatFolder>::AddRefed(dynamic_cast<CCatFolder*>(shelf->GetChild(0)));
        ASSERT_TRUE(catalog->LoadChildren(false));
    }

    CCatFolder& FolderAt(Where where) { return where == Where::Shelf ? *shelf : *catalog; }
    IdListPtr SoundListAt(Where where) { return IdListPtr(FolderAt(where).GetChild(0)->GetLastID()); }

    std::vector<BYTE> root = ShellRootIdList();
    ComPtr<CShelfFolder> shelf;
    ComPtr<CCatFolder> catalog;
};

class DoorTable : public OutsideIdListTest, public testing::WithParamInterface<std::tuple<Where, Door>> { };

TEST_P(DoorTable, EveryBrokenListIsRefusedAndASoundOneLetThrough)
{
    const auto [where, door] = GetParam();
    CCatFolder& folder = FolderAt(where);
    const IdListPtr sound = SoundListAt(where);
    ASSERT_TRUE(sound);
    EXPECT_EQ(door.call(folder, sound.get(), sound.get()), door.soundAnswer);
    for (const BrokenIdList& broken : BrokenOwnIdLists()) {
        SCOPED_TRACE(broken.name);
        const auto block = ExactCopy(broken.bytes);
        EXPECT_EQ(door.call(folder, reinterpret_cast<LPCITEMIDLIST>(block.get()), sound.get()), E_INVALIDARG);
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, DoorTable,
    testing::Combine(testing::Values(Where::Catalog, Where::Shelf), testing::ValuesIn(kDoors)),
    [](const testing::TestParamInfo<std::tuple<Where, Door>>& param) {
        std::string name = std::get<0>(param.param) == Where::Shelf ? "Shelf_" : "Catalog_";
        for (const char* c = std::get<1>(param.param).name; *c != '\0'; ++c) {
            if (std::isalnum(static_cast<unsigned char>(*c)))
                name += *c;
        }
        return name;
    });

TEST_F(OutsideIdListTest, MissingListArraysAreRefused)
{
    ULONG mask = 0xFFFFFFFF;
    EXPECT_EQ(catalog->GetAttributesOf(1, nullptr, &mask), E_INVALIDARG);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(catalog->GetUIObjectOf(nullptr, 1, nullptr, IContextMenu::kIid, nullptr, &out), E_INVALIDARG);
    EXPECT_EQ(out, nullptr);
    // Any count but one stays refused as no interface, whatever the lists.
    EXPECT_EQ(catalog->GetUIObjectOf(nullptr, 0, nullptr, IContextMenu::kIid, nullptr, &out), E_NOINTERFACE);
}

// The root list is the shell's own: never read, but walked by every copy the
// items make of it.
TEST_F(OutsideIdListTest, ShelfRefusesABrokenRootListAndKeepsItsOwn)
{
    const IdListPtr before(shelf->GetChild(0)->GetFullIDList());
    std::vector<BrokenIdList> brokenRoots = {
        {"null list", {}},
        {"element of 1 byte", ElementOfSize(1, 0)},
        {"more elements than any list", Repeated(ElementOfSize(2, 0), kMaxIdListElements + 1)},
    };
    const auto persist = shelf.As<IPersistFolder>();
    for (const BrokenIdList& broken : brokenRoots) {
        SCOPED_TRACE(broken.name);
        const auto block = ExactCopy(broken.bytes);
        EXPECT_EQ(persist->Initialize(reinterpret_cast<LPCITEMIDLIST>(block.get())), E_INVALIDARG);
    }
    ASSERT_TRUE(shelf->LoadChildren(false));
    const IdListPtr after(shelf->GetChild(0)->GetFullIDList());
    ASSERT_EQ(IdListSize(after.get()), IdListSize(before.get()));
    EXPECT_EQ(std::memcmp(after.get(), before.get(), IdListSize(before.get())), 0);
    // Elements the program would refuse as its own are the shell's business.
    const std::vector<BYTE> odd = Joined(ElementOfSize(3, 0), ElementOfSize(6, 0));
    EXPECT_EQ(persist->Initialize(reinterpret_cast<LPCITEMIDLIST>(ExactCopy(odd).get())), S_OK);
}

} // namespace
