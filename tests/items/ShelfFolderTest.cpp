// The shelf root and its folders: what they list, their names and the file
// operations on them; the class object the shelf comes from.

#include "items/ShelfFolder.h"
#include "items/NewFolderDialog.h"
#include "items/ShelfItem.h"
#include "module/ClassObjects.h"
#include "module/ModuleLock.h"
#include "pages/DialogControls.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/system/Errors.h"
#include "platform/ui/MessageBox.h"
#include "tests/items/ShelfTestCatalogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>

using namespace pellidor;
using namespace pellidor::test;
using platform::com::ComPtr;
namespace fs = std::filesystem;

namespace {

struct Box {
    std::string text;
    std::string caption;
    UINT type;
};

class ShelfFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        catDir = TestPath("Pellidor");
        fs::create_directories(catDir);
        platform::ui::SetMessageBoxHook([this](std::string_view text, std::string_view caption, UINT type) {
            boxes.push_back({std::string(text), std::string(caption), type});
            return answer;
        });
        observer = platform::shell::AddChangeObserver(
            [this](LONG, const std::vector<BYTE>&, const std::vector<BYTE>&) { ++notifications; });
    }
    void TearDown() override
    {
        platform::shell::RemoveChangeObserver(observer);
        platform::ui::SetMessageBoxHook(nullptr);
    }

    // The shelf root the way the shell gets it.
    ComPtr<CShelfFolder> Shelf()
    {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(GetClassObject(CLSID_ShelfFolder, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
        ComPtr<IPersistFolder> persist;
        EXPECT_EQ(factory->CreateInstance(nullptr, IPersistFolder::kIid, persist.ReceiveVoid()), S_OK);
        EXPECT_EQ(persist->Initialize(AsIdList(root)), S_OK);
        return ComPtr<CShelfFolder>::AddRefed(dynamic_cast<CShelfFolder*>(persist.Get()));
    }
    static std::vector<std::string> Names(CShelfFolder& folder)
    {
        folder.LoadChildren(false);
        std::vector<std::string> names;
        for (int i = 0; i < folder.GetChildCount(); ++i)
            names.push_back(folder.GetChild(i)->GetName());
        std::sort(names.begin(), names.end());
        return names;
    }
    CShelfFolder* Child(CShelfFolder& folder, const std::string& name)
    {
        folder.LoadChildren(false);
        for (int i = 0; i < folder.GetChildCount(); ++i) {
            if (folder.GetChild(i)->GetName() == name)
                return dynamic_cast<CShelfFolder*>(folder.GetChild(i));
        }
        return nullptr;
    }
    std::string Catalog(const std::string& path, const std::string& userName)
    {
        TestVolume volume;
        volume.userName = userName;
        return WriteCatalog(path, volume, {File("a.txt", 1)});
    }
    int Errors() const
    {
        return static_cast<int>(std::count_if(
            boxes.begin(), boxes.end(), [](const Box& box) { return (box.type & 0xF) == platform::ui::MB_OK; }));
    }

    std::string catDir;
    std::vector<BYTE> root = ShellRootIdList();
    std::vector<Box> boxes;
    int answer = platform::ui::IDYES;
    int notifications = 0;
    int observer = 0;
};

TEST_F(ShelfFolderTest, ListsCatalogsAndFoldersButNoDotNamesOrOtherFiles)
{
    SetCatDir("", catDir);
    Catalog(catDir + "/a.pld", "Alpha");
    Catalog(catDir + "/x.PLD", "Upper");
    Catalog(catDir + "/.pld", "Dot");
    WriteFile(catDir + "/notes.txt", "no catalog");
    fs::create_directories(catDir + "/.hidden");
    fs::create_directories(catDir + "/Music");
    Catalog(catDir + "/Music/inner.pld", "Inner");

    const auto shelf = Shelf();
    EXPECT_EQ(Names(*shelf), (std::vector<std::string>{"Alpha", "Music", "Upper"}));
    CShelfFolder* music = Child(*shelf, "Music");
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->GetPath(), catDir + "/Music");
    EXPECT_EQ(Names(*music), std::vector<std::string>{"Inner"});
}

TEST_F(ShelfFolderTest, EveryCatDirValueIsListedAtTheTop)
{
    const std::string extra = TestPath("Extra");
    fs::create_directories(extra);
    SetCatDir("", catDir);
    SetCatDir("Second", extra);
    Catalog(catDir + "/a.pld", "Alpha");
    Catalog(extra + "/b.pld", "Beta");
    const auto shelf = Shelf();
    EXPECT_EQ(Names(*shelf), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(shelf->GetPath(), catDir);
}

TEST_F(ShelfFolderTest, MissingCatDirKeyGivesAnEmptyShelfThatIsReadAgain)
{
    Catalog(catDir + "/a.pld", "Alpha");
    const auto shelf = Shelf();
    EXPECT_TRUE(shelf->LoadChildren(false));
    EXPECT_EQ(shelf->GetChildCount(), 0);
    EXPECT_EQ(shelf->GetPath(), "");
    SetCatDir("", catDir);
    EXPECT_EQ(Names(*shelf), std::vector<std::string>{"Alpha"});
}

TEST_F(ShelfFolderTest, ShelfOrderPutsFoldersBeforeCatalogs)
{
    SetCatDir("", catDir);
    Catalog(catDir + "/a.pld", "Aardvark");
    fs::create_directories(catDir + "/Zebra");
    const auto shelf = Shelf();
    ASSERT_TRUE(shelf->LoadChildren(false));
    CCatItem* catalog = shelf->GetChild(0)->GetSortGroup() == 2 ? shelf->GetChild(0) : shelf->GetChild(1);
    CCatItem* folder = shelf->GetChild(0)->GetSortGroup() == 3 ? shelf->GetChild(0) : shelf->GetChild(1);
    for (int column = 0; column < kShelfColumnCount; ++column)
        EXPECT_LT(folder->CompareTo(*catalog, column), 0) << column;
    // A shelf folder fills only its name.
    EXPECT_EQ(folder->GetColumnText(kShelfColumnName, false), "Zebra");
    EXPECT_EQ(folder->GetColumnText(kShelfColumnContent, false), "");
    EXPECT_EQ(folder->GetColumnText(kShelfColumnContent, true), "Zebra");
}

TEST_F(ShelfFolderTest, RootAndSubFoldersAnswerTheirAttributesAndNames)
{
    SetCatDir("", catDir);
    fs::create_directories(catDir + "/Music");
    const auto shelf = Shelf();
    ULONG mask = 0xFFFFFFFF;
    EXPECT_EQ(shelf->GetShellAttributes(&mask), S_OK);
    EXPECT_EQ(mask, 0xA0000100u);
    CShelfFolder* music = Child(*shelf, "Music");
    ASSERT_NE(music, nullptr);
    mask = 0xFFFFFFFF;
    EXPECT_EQ(music->GetShellAttributes(&mask), S_OK);
    EXPECT_EQ(mask, 0xA0000116u);
    STRRET name;
    EXPECT_EQ(music->GetDisplayName(SHGDN_FORADDRESSBAR, &name), S_OK);
    EXPECT_STREQ(name.cStr, "Pellidor::Music");
    EXPECT_EQ(music->GetMenuID(), 1034u);
    const IdListPtr last(music->GetLastID());
    EXPECT_EQ(ElementKind(last.get()), kKindShelfFolder);
    EXPECT_EQ(ElementName(last.get()), catDir + "/Music");
    EXPECT_EQ(shelf->GetLastID(), nullptr);
}

TEST_F(ShelfFolderTest, PersistFolderTellsTheShelfClass)
{
    const auto shelf = Shelf();
    ComPtr<IPersist> persist;
    ASSERT_EQ(shelf->QueryInterface(IPersist::kIid, persist.ReceiveVoid()), S_OK);
    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_ShelfFolder);
    EXPECT_STREQ(ProgIdOf(CLSID_ShelfFolder), "Pellidor.ShelfFolder");
}

TEST_F(ShelfFolderTest, RenameToTheSameNameInAnotherCaseDoesNothing)
{
    SetCatDir("", catDir);
    fs::create_directories(catDir + "/Music");
    const auto shelf = Shelf();
    CShelfFolder* music = Child(*shelf, "Music");
    ASSERT_NE(music, nullptr);
    EXPECT_TRUE(music->Rename(nullptr, "MUSIC"));
    EXPECT_EQ(fs::directory_iterator(catDir)->path().filename(), "Music");
    EXPECT_EQ(notifications, 0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ShelfFolderTest, RenameMovesTheDirectoryAndAnnouncesIt)
{
    SetCatDir("", catDir);
    fs::create_directories(catDir + "/Music");
    Catalog(catDir + "/Music/a.pld", "Alpha");
    const auto shelf = Shelf();
    CShelfFolder* music = Child(*shelf, "Music");
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->SetNameOf(nullptr, u"Songs"), S_OK);
    EXPECT_TRUE(fs::exists(catDir + "/Songs/a.pld"));
    EXPECT_FALSE(fs::exists(catDir + "/Music"));
    EXPECT_EQ(music->GetPath(), catDir + "/Songs");
    const IdListPtr last(music->GetLastID());
    EXPECT_EQ(ElementName(last.get()), catDir + "/Songs");
    EXPECT_GE(notifications, 1);
}

TEST_F(ShelfFolderTest, NamesThatWouldLeaveTheShelfAreRefused)
{
    SetCatDir("", catDir);
    fs::create_directories(catDir + "/Music");
    const auto shelf = Shelf();
    CShelfFolder* music = Child(*shelf, "Music");
    ASSERT_NE(music, nullptr);
    for (const std::string name : {"../Escaped", "..", ".", "a/b", ""}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(music->Rename(nullptr, name));
        DWORD error = 0;
        EXPECT_FALSE(shelf->CreateSubFolder(name, &error));
        EXPECT_EQ(error, platform::system::ERROR_INVALID_NAME);
    }
    EXPECT_TRUE(fs::is_directory(catDir + "/Music"));
    EXPECT_FALSE(fs::exists(TestPath("Escaped")));
    EXPECT_EQ(music->SetNameOf(nullptr, u"../Escaped"), E_INVALIDARG);
    EXPECT_EQ(notifications, 0);
    ASSERT_GE(Errors(), 1);
    EXPECT_NE(boxes.front().text.find(platform::system::ErrorMessage(platform::system::ERROR_INVALID_NAME)),
        std::string::npos);
}

TEST_F(ShelfFolderTest, NewFolderIsMadeInTheFoldersDirectoryAndAnnounced)
{
    SetCatDir("", catDir);
    const auto shelf = Shelf();
    DWORD error = 99;
    EXPECT_TRUE(shelf->CreateSubFolder("Films", &error));
    EXPECT_EQ(error, 0u);
    EXPECT_TRUE(fs::is_directory(catDir + "/Films"));
    EXPECT_EQ(notifications, 2); // the shelf under the Desktop and under My Computer
    EXPECT_FALSE(shelf->CreateSubFolder("Films", &error));
    EXPECT_EQ(error, platform::system::ERROR_ALREADY_EXISTS);
}

TEST_F(ShelfFolderTest, NewFolderDialogShowsTheErrorAndStaysOpenForAnotherName)
{
    std::vector<std::string> asked;
    CNewFolderDialog dialog(nullptr, [&](const std::string& name) {
        asked.push_back(name);
        return asked.size() == 1 ? platform::system::ERROR_ALREADY_EXISTS : DWORD{0};
    });
    dialog.open();
    auto* edit = Control<QLineEdit>(&dialog, 1004);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->maxLength(), 255);
    auto* ok = Control<QPushButton>(&dialog, kIdOk);
    ASSERT_NE(nullptr, ok);
    edit->setText(QStringLiteral("Films"));
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, platform::system::ErrorMessage(platform::system::ERROR_ALREADY_EXISTS));
    EXPECT_EQ(boxes[0].type & 0xF0, platform::ui::MB_ICONINFORMATION);

    edit->setText(QStringLiteral("Films 2"));
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(asked, (std::vector<std::string>{"Films", "Films 2"}));
}

TEST_F(ShelfFolderTest, NewFolderCommandMakesTheNamedFolderAndCancelMakesNone)
{
    SetCatDir("", catDir);
    const auto shelf = Shelf();
    // Answers the dialog once it runs: the name, then OK; or Cancel.
    QString typed;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<CNewFolderDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        user.stop();
        auto* edit = Control<QLineEdit>(dialog, 1004);
        auto* button = Control<QPushButton>(dialog, typed.isEmpty() ? kIdCancel : kIdOk);
        if (edit == nullptr || button == nullptr)
            return dialog->reject();
        edit->setText(typed);
        button->click();
    });
    typed = QStringLiteral("Films");
    user.start(10);
    EXPECT_TRUE(NewShelfFolder(*shelf, nullptr));
    EXPECT_TRUE(fs::is_directory(catDir + "/Films"));
    EXPECT_EQ(notifications, 2);

    typed.clear();
    user.start(10);
    EXPECT_FALSE(NewShelfFolder(*shelf, nullptr));
    EXPECT_EQ(notifications, 2);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ShelfFolderTest, DeleteSendsTheFolderToTheTrashOnlyWhenConfirmed)
{
    SetCatDir("", catDir);
    fs::create_directories(catDir + "/Music");
    const auto shelf = Shelf();
    CShelfFolder* music = Child(*shelf, "Music");
    ASSERT_NE(music, nullptr);
    CMINVOKECOMMANDINFO info;
    answer = platform::ui::IDNO;
    EXPECT_EQ(music->OnDelete(&info), S_OK);
    EXPECT_TRUE(fs::exists(catDir + "/Music"));
    EXPECT_EQ(notifications, 0);
    answer = platform::ui::IDYES;
    EXPECT_EQ(music->OnDelete(&info), S_OK);
    EXPECT_FALSE(fs::exists(catDir + "/Music"));
    EXPECT_TRUE(fs::is_directory(TestRoot() + "/data/Trash/files/Music"));
    EXPECT_GE(notifications, 1);
}

TEST_F(ShelfFolderTest, StatisticsCoverEveryCatalogBelow)
{
    SetCatDir("", catDir);
    fs::create_directories(catDir + "/Music");
    Catalog(catDir + "/Music/a.pld", "Alpha");
    WriteCatalog(catDir + "/b.pld", TestVolume{}, {File("x", 3000000000u), Folder("f", {File("y", 5)})});
    ItemStatistics statistics;
    Shelf()->AddToStatistics(statistics);
    EXPECT_EQ(statistics.ShelfFolders, 2);
    EXPECT_EQ(statistics.Catalogs, 2);
    EXPECT_EQ(statistics.Folders, 1); // "f": a catalog counts as a catalog
    EXPECT_EQ(statistics.Files, 3);
    EXPECT_EQ(statistics.TotalSize, 3000000000u + 5 + 1);
}

TEST_F(ShelfFolderTest, ClassObjectMakesANewShelfEachTimeAndHoldsTheModule)
{
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(GetClassObject(MakeGuid(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11), IClassFactory::kIid, &out),
        CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_TRUE(CanUnloadNow());
    {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(GetClassObject(CLSID_ShelfFolder, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
        EXPECT_FALSE(CanUnloadNow()); // a class object referenced from outside
        ComPtr<IShellFolder> a;
        ComPtr<IShellFolder> b;
        ASSERT_EQ(factory->CreateInstance(nullptr, IShellFolder::kIid, a.ReceiveVoid()), S_OK);
        ASSERT_EQ(factory->CreateInstance(nullptr, IShellFolder::kIid, b.ReceiveVoid()), S_OK);
        EXPECT_NE(a.Get(), b.Get());
        ComPtr<IDropSource> unknownInterface;
        EXPECT_EQ(factory->CreateInstance(nullptr, IClassFactory::kIid, unknownInterface.ReceiveVoid()), E_NOINTERFACE);
        EXPECT_EQ(factory->CreateInstance(a.Get(), IShellFolder::kIid, unknownInterface.ReceiveVoid()),
            CLASS_E_NOAGGREGATION);
        factory.Reset();
        EXPECT_FALSE(CanUnloadNow()); // two shelves alive
        a.Reset();
        b.Reset();
        EXPECT_TRUE(CanUnloadNow());
        ASSERT_EQ(GetClassObject(CLSID_ShelfFolder, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
        factory->LockServer(1);
        factory.Reset();
        EXPECT_FALSE(CanUnloadNow());
        ASSERT_EQ(GetClassObject(CLSID_ShelfFolder, IClassFactory::kIid, factory.ReceiveVoid()), S_OK);
        factory->LockServer(0);
    }
    EXPECT_TRUE(CanUnloadNow());
}

} // namespace
