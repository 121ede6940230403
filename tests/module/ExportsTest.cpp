// Pellidor.so loaded the way a host loads it: by file name, through its
// exports and COM interfaces only.

#include "platform/com/ComPtr.h"
#include "platform/com/Memory.h"
#include "platform/com/ShellInterfaces.h"
#include "platform/registry/Registry.h"
#include "platform/shell/Execute.h"
#include "platform/system/Module.h"
#include "tests/items/ShelfTestCatalogs.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

#include <cstring>
#include <string>
#include <vector>

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

TEST_F(LoadedLibrary, ReadMenuIsMadeAnewForEveryCallAndKeepsTheLibraryWhileItLives)
{
    const CLSID menuClass = *ParseGuid("{4C7D2A91-83B1-4E6F-9D25-7A0C3E5B8F14}");
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject_(menuClass, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
    ComPtr<IContextMenu> first;
    ComPtr<IContextMenu> second;
    ASSERT_EQ(factory->CreateInstance(nullptr, IContextMenu::kIid, first.ReceiveVoid()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IContextMenu::kIid, second.ReceiveVoid()), S_OK);
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_TRUE(first.As<IShellExtInit>());
    factory.Reset();
    second.Reset();
    EXPECT_EQ(canUnloadNow_(), S_FALSE) << "a menu lives";
    first.Reset();
    EXPECT_EQ(canUnloadNow_(), S_OK);
}

namespace {

using platform::registry::Hive;
using platform::registry::Key;

std::string DefaultOf(const std::string& path)
{
    Key key;
    std::string value;
    if (key.Open(Hive::ClassesRoot, path) != 0 || key.QueryString("", value, 4096) != 0)
        return "<missing>";
    return value;
}

// Every key below `path`, depth first, as "a\b" paths relative to it.
void CollectKeys(const std::string& path, const std::string& relative, std::vector<std::string>& out)
{
    Key key;
    if (key.Open(Hive::ClassesRoot, path) != 0)
        return;
    std::string name;
    for (DWORD i = 0; key.EnumKey(i, name) == 0; ++i) {
        const std::string below = relative.empty() ? name : relative + "\\" + name;
        out.push_back(below);
        CollectKeys(path + "\\" + name, below, out);
    }
}

} // namespace

TEST_F(LoadedLibrary, RegisteringTwiceLeavesTheSameFiveKeysPerClassAndKeepsExistingDefaults)
{
    using RegisterFn = HRESULT (*)();
    const auto registerServer = reinterpret_cast<RegisterFn>(library_.Symbol("DllRegisterServer"));
    ASSERT_NE(registerServer, nullptr);
    // An earlier installation named the shelf's class its own way.
    const std::string shelfKey = "CLSID\\{4C7D2A90-83B1-4E6F-9D25-7A0C3E5B8F14}";
    {
        Key key;
        ASSERT_EQ(key.Create(Hive::ClassesRoot, shelfKey), 0);
        ASSERT_EQ(key.SetString("", "Pellidor"), 0);
    }
    const std::string library = platform::system::ModulePathOf(library_.Symbol("DllRegisterServer"));
    ASSERT_FALSE(library.empty());

    std::vector<std::string> once;
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(registerServer(), S_OK);
        std::vector<std::string> keys;
        CollectKeys("CLSID", "CLSID", keys);
        for (const char* progId : {"Pellidor.ShelfFolder", "Pellidor.ReadMenu", "Pellidor.SearchMenu"}) {
            keys.push_back(progId);
            CollectKeys(progId, progId, keys);
        }
        if (round == 0)
            once = keys;
        EXPECT_EQ(keys, once);
    }
    // Per class: the ProgID, its CLSID, the class, its ProgID and its server.
    EXPECT_EQ(once.size(), 3u * 5u) << testing::PrintToString(once);
    EXPECT_EQ(DefaultOf(shelfKey), "Pellidor") << "an existing default stays";
    EXPECT_EQ(DefaultOf("Pellidor.ShelfFolder"), "Pellidor.ShelfFolder");
    EXPECT_EQ(DefaultOf("Pellidor.ReadMenu\\CLSID"), "{4C7D2A91-83B1-4E6F-9D25-7A0C3E5B8F14}");
    EXPECT_EQ(DefaultOf("CLSID\\{4C7D2A91-83B1-4E6F-9D25-7A0C3E5B8F14}"), "Pellidor.ReadMenu");
    EXPECT_EQ(DefaultOf("Pellidor.SearchMenu\\CLSID"), "{4C7D2A92-83B1-4E6F-9D25-7A0C3E5B8F14}");
    EXPECT_EQ(DefaultOf("CLSID\\{4C7D2A92-83B1-4E6F-9D25-7A0C3E5B8F14}\\InProcServer32"), library);
    EXPECT_EQ(DefaultOf(shelfKey + "\\ProgID"), "Pellidor.ShelfFolder");
    EXPECT_EQ(DefaultOf(shelfKey + "\\InProcServer32"), library);
}

namespace {

const CLSID kSearchMenu = *ParseGuid("{4C7D2A92-83B1-4E6F-9D25-7A0C3E5B8F14}");
using DoSearchFn = void (*)(HWND, void*, const char*, int);

// Every ShellExecute of the test goes here instead of starting anything.
class ExecuteRecorder {
public:
    explicit ExecuteRecorder(int answer = platform::shell::kExecuteOk)
    {
        platform::shell::SetExecuteHook([this, answer](const platform::shell::ExecuteRequest& request) {
            requests.push_back(request);
            return answer;
        });
    }
    ~ExecuteRecorder() { platform::shell::SetExecuteHook(nullptr); }
    std::vector<platform::shell::ExecuteRequest> requests;
};

// The top-level Find windows shown now.
std::vector<QWidget*> FindWindows()
{
    std::vector<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->objectName() == QStringLiteral("SearchDialog"))
            windows.push_back(widget);
    }
    return windows;
}

} // namespace

TEST_F(LoadedLibrary, SearchMenuMakesANewObjectForEveryRequestAndOffersOnlyTheContextMenu)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject_(kSearchMenu, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
    ComPtr<IContextMenu> first;
    ComPtr<IContextMenu> second;
    ASSERT_EQ(factory->CreateInstance(nullptr, IContextMenu::kIid, first.ReceiveVoid()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IContextMenu::kIid, second.ReceiveVoid()), S_OK);
    EXPECT_NE(first.Get(), second.Get());
    EXPECT_FALSE(first.As<IShellExtInit>());
    EXPECT_EQ(first->QueryContextMenu(nullptr, 0, 1, 100, 0), S_OK);
    char text[64] = {};
    EXPECT_EQ(first->GetCommandString(0, 0, nullptr, text, sizeof text), E_NOTIMPL);
    factory.Reset();
    EXPECT_EQ(canUnloadNow_(), S_FALSE) << "a menu lives";
    first.Reset();
    second.Reset();
    EXPECT_EQ(canUnloadNow_(), S_OK);
}

TEST_F(LoadedLibrary, SearchMenuRunsThisLibrarysDoSearchInAProcessOfItsOwn)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject_(kSearchMenu, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(factory->CreateInstance(nullptr, IContextMenu::kIid, menu.ReceiveVoid()), S_OK);
    {
        ExecuteRecorder recorder;
        CMINVOKECOMMANDINFO info;
        ASSERT_EQ(menu->InvokeCommand(&info), S_OK);
        ASSERT_EQ(recorder.requests.size(), 1u);
        const platform::shell::ExecuteRequest& request = recorder.requests[0];
        EXPECT_EQ(request.file, "rundll32");
        EXPECT_EQ(request.owner, nullptr);
        EXPECT_EQ(request.verb, "");
        EXPECT_EQ(request.directory, "");
        EXPECT_EQ(request.show, SW_SHOW);
        const std::string suffix = ",DoSearch";
        ASSERT_GT(request.parameters.size(), suffix.size());
        EXPECT_EQ(request.parameters.substr(request.parameters.size() - suffix.size()), suffix);
        const std::string path = request.parameters.substr(0, request.parameters.size() - suffix.size());
        EXPECT_EQ(QFileInfo(QString::fromStdString(path)).canonicalFilePath(),
            QFileInfo(QString::fromStdString(pellidor::test::BinDirectory() + "/Pellidor.so")).canonicalFilePath());
    }
    {
        // A runner that cannot be started is not reported.
        ExecuteRecorder failing(platform::shell::SE_ERR_FNF);
        CMINVOKECOMMANDINFO info;
        EXPECT_EQ(menu->InvokeCommand(&info), S_OK);
        EXPECT_EQ(failing.requests.size(), 1u);
    }
}

TEST_F(LoadedLibrary, DoSearchOpensTheFindWindowWhateverItsCommandLine)
{
    const auto doSearch = reinterpret_cast<DoSearchFn>(library_.Symbol("DoSearch"));
    ASSERT_NE(doSearch, nullptr);
    for (const char* commandLine : {static_cast<const char*>(nullptr), "", "--anything C:\\x \"quoted\""}) {
        std::vector<QString> titles;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&titles] {
            for (QWidget* window : FindWindows()) {
                titles.push_back(window->windowTitle());
                window->close();
            }
        });
        closer.start(20);
        // Returns once the window is closed.
        doSearch(nullptr, nullptr, commandLine, SW_SHOWNORMAL);
        EXPECT_EQ(titles, std::vector<QString>{QStringLiteral("Find")}) << (commandLine ? commandLine : "(null)");
        EXPECT_TRUE(FindWindows().empty());
    }
}
