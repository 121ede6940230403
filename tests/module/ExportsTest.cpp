// Pellidor.so loaded the way a host loads it: by file name, through its
// exports and COM interfaces only.

#include "platform/com/ComPtr.h"
#include "platform/com/Memory.h"
#include "platform/com/ShellInterfaces.h"
#include "platform/system/Module.h"
#include "tests/items/ShelfTestCatalogs.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>

using platform::com::ComPtr;
using platform::com::ParseGuid;

namespace {

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT (*)();

const CLSID kShelf = *ParseGuid("{4C7D2A90-83B1-4E6F-9D25-7A0C3E5B8F14}");

class LoadedLibrary : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library_.IsLoaded()) << library_.Error();
        getClassObject_ = reinterpret_cast<GetClassObjectFn>(library_.Symbol("DllGetClassObject"));
        canUnloadNow_ = reinterpret_cast<CanUnloadNowFn>(library_.Symbol("DllCanUnloadNow"));
        ASSERT_NE(getClassObject_, nullptr);
        ASSERT_NE(canUnloadNow_, nullptr);
    }

    ComPtr<IShellFolder> MakeShelf()
    {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(getClassObject_(kShelf, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
        ComPtr<IShellFolder> shelf;
        if (factory) {
            EXPECT_EQ(factory->CreateInstance(nullptr, IShellFolder::kIid, shelf.ReceiveVoid()), S_OK);
        }
        return shelf;
    }

    platform::system::Library library_{pellidor::test::BinDirectory() + "/Pellidor.so"};
    GetClassObjectFn getClassObject_ = nullptr;
    CanUnloadNowFn canUnloadNow_ = nullptr;
};

} // namespace

TEST_F(LoadedLibrary, ExportsOnlyTheShellsEntryPoints)
{
    EXPECT_EQ(library_.Symbol("NotifyCatalogsChanged"), nullptr);
    EXPECT_EQ(library_.Symbol("_ZN8pellidor20NotifyCatalogsChangedEv"), nullptr);
}

TEST_F(LoadedLibrary, UnknownClassIsRefusedWithNullOut)
{
    void* out = reinterpret_cast<void*>(1);
    const CLSID other = *ParseGuid("{4C7D2A9F-83B1-4E6F-9D25-7A0C3E5B8F14}");
    EXPECT_EQ(getClassObject_(other, IClassFactory::kIid, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
}

TEST_F(LoadedLibrary, ShelfListsTheCatalogsOfTheCatalogDirectory)
{
    using namespace pellidor::test;
    const std::string dir = TestPath("catalogs/x");
    SetCatDir("", TestRoot() + "/catalogs");
    TestVolume volume;
    volume.userName = "Holidays";
    WriteCatalog(TestRoot() + "/catalogs/0000AAAA.pld", volume, {File("a.txt", 10)});

    auto shelf = MakeShelf();
    ASSERT_TRUE(shelf);
    const auto root = ShellRootIdList();
    ASSERT_EQ(shelf.As<IPersistFolder>()->Initialize(AsIdList(root)), S_OK);

    ComPtr<IEnumIDList> list;
    ASSERT_EQ(shelf->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, list.Receive()), S_OK);
    LPITEMIDLIST child = nullptr;
    ULONG fetched = 0;
    ASSERT_EQ(list->Next(1, &child, &fetched), S_OK);
    platform::com::TaskMemPtr<ITEMIDLIST> owned(child);
    STRRET name;
    ASSERT_EQ(shelf->GetDisplayNameOf(child, SHGDN_NORMAL, &name), S_OK);
    EXPECT_STREQ(name.cStr, "Holidays");
    EXPECT_EQ(list->Next(1, &child, &fetched), S_FALSE);
}

TEST_F(LoadedLibrary, StaysLoadedWhileAnObjectOrALockLives)
{
    EXPECT_EQ(canUnloadNow_(), S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject_(kShelf, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
    EXPECT_EQ(canUnloadNow_(), S_FALSE) << "the class object is held from outside";
    {
        ComPtr<IShellFolder> shelf;
        ASSERT_EQ(factory->CreateInstance(nullptr, IShellFolder::kIid, shelf.ReceiveVoid()), S_OK);
        factory.Reset();
        EXPECT_EQ(canUnloadNow_(), S_FALSE) << "a folder lives";
    }
    EXPECT_EQ(canUnloadNow_(), S_OK);

    ASSERT_EQ(getClassObject_(kShelf, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
    factory->LockServer(TRUE_);
    factory.Reset();
    EXPECT_EQ(canUnloadNow_(), S_FALSE) << "locked";
    ASSERT_EQ(getClassObject_(kShelf, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
    factory->LockServer(FALSE_);
    factory.Reset();
    EXPECT_EQ(canUnloadNow_(), S_OK);
}

TEST_F(LoadedLibrary, AggregationIsRefused)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject_(kShelf, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.Get()), IShellFolder::kIid, &out),
        CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
}
