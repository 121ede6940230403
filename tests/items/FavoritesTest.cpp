// The items' "&Add To Favorites..." command, through the item's context
// menu as a view invokes it, with the platform's dialog answered as a user
// answers it.

#include "ItemFixture.h"

#include "items/CatItem.h"
#include "module/ClassIds.h"
#include "platform/com/CoCreate.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/NamespaceIds.h"
#include "platform/shell/ShellLink.h"
#include "platform/system/Paths.h"
#include "platform/ui/Menu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

using namespace pellidor;
using namespace pellidor::test;
using platform::com::ComPtr;

namespace {

constexpr UINT kFirstId = 100;

// Answers the add-to-favorites dialog once it shows: `act` gets it.
class FavoritesDialogDriver : public QObject {
public:
    explicit FavoritesDialogDriver(std::function<void(QWidget&)> act) : act_(std::move(act))
    {
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && modal->findChild<QTreeWidget*>(QStringLiteral("folders")) != nullptr) {
                timer_.stop();
                ++shown;
                act_(*modal);
            }
        });
        timer_.start(10);
    }
    int shown = 0;

private:
    std::function<void(QWidget&)> act_;
    QTimer timer_;
};

void Confirm(QWidget& dialog, const QString& name)
{
    dialog.findChild<QLineEdit*>(QStringLiteral("name"))->setText(name);
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

QString FavoritesFolder()
{
    return QString::fromStdString(platform::system::FavoritesDirectory());
}

// Every file below the Favorites folder, relative to it.
QStringList FavoriteFiles()
{
    QStringList files;
    QDirIterator it(FavoritesFolder(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.push_back(QDir(FavoritesFolder()).relativeFilePath(it.next()));
    return files;
}

struct LinkRead {
    std::vector<BYTE> idList;
    std::string description;
};

LinkRead ReadLink(const QString& path)
{
    ComPtr<IShellLinkA> link;
    EXPECT_EQ(platform::com::CoCreateInstance(platform::shell::CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                  IShellLinkA::kIid, link.ReceiveVoid()),
        S_OK);
    LinkRead read;
    if (!link || FAILED(link.As<IPersistFile>()->Load(path.toStdU16String().c_str(), 0)))
        return read;
    LPITEMIDLIST list = nullptr;
    if (link->GetIDList(&list) == S_OK) {
        const platform::com::TaskMemPtr<ITEMIDLIST> owned(list);
        read.idList = platform::shell::IdListBytes(owned.get());
    }
    char text[MAX_PATH] = {};
    link->GetDescription(text, sizeof text);
    read.description = text;
    return read;
}

class FavoritesTest : public testing::Test {
protected:
    // A catalogued file, its root the shelf's place in My Computer.
    static ComPtr<CCatItem> File(const std::string& name)
    {
        const std::vector<BYTE> root = platform::shell::MyComputerJunctionIdList(CLSID_ShelfFolder);
        const IdListPtr own = BuildList({{kKindCatalog, "/cat/0000ABCD.pld", kAttrDirectory, kRootList},
                                            {kKindFolder, "photos", kAttrDirectory, 500}, {kKindFile, name, 0, 10}},
            MakeHeader(0x1234ABCD, "Holidays"));
        return platform::com::MakeCom<CCatItem>(reinterpret_cast<LPCITEMIDLIST>(root.data()), own.get());
    }

    // Chooses "&Add To Favorites..." in the item's menu, as a view does.
    static HRESULT AddToFavorites(CCatItem& item)
    {
        platform::ui::Menu menu;
        const HRESULT added = item.QueryContextMenu(&menu, 0, kFirstId, 0x7FFF, CMF_NORMAL);
        EXPECT_TRUE(SUCCEEDED(added));
        for (int position = 0; position < menu.GetItemCount(); ++position) {
            const platform::ui::MenuItem* entry = menu.GetItem(position);
            if (entry->text == "&Add To Favorites...") {
                CMINVOKECOMMANDINFO info;
                info.lpVerb = MAKEINTRESOURCEA(entry->id - kFirstId);
                return static_cast<IContextMenu&>(item).InvokeCommand(&info);
            }
        }
        ADD_FAILURE() << "no Add To Favorites item";
        return E_FAIL;
    }

    static std::vector<BYTE> FullList(CCatItem& item)
    {
        const platform::com::TaskMemPtr<ITEMIDLIST> list(item.GetFullIDList());
        return platform::shell::IdListBytes(list.get());
    }
};

struct NameCase {
    const char* typed; // in the dialog
    const char* file; // what lands in the Favorites folder
};

void PrintTo(const NameCase& name, std::ostream* out)
{
    *out << name.typed;
}

class FavoriteName : public FavoritesTest, public testing::WithParamInterface<NameCase> { };

} // namespace

TEST_P(FavoriteName, LinkLandsWithTheExtensionLnkWhateverTheNameHeld)
{
    const auto item = File("beach.jpg");
    FavoritesDialogDriver driver([](QWidget& dialog) { Confirm(dialog, QString::fromUtf8(GetParam().typed)); });
    EXPECT_EQ(AddToFavorites(*item), S_OK);
    EXPECT_EQ(driver.shown, 1);
    ASSERT_EQ(FavoriteFiles(), QStringList{QString::fromUtf8(GetParam().file)});
    const LinkRead link = ReadLink(FavoritesFolder() + QLatin1Char('/') + QString::fromUtf8(GetParam().file));
    EXPECT_EQ(link.idList, FullList(*item));
    EXPECT_EQ(link.description, GetParam().typed) << "the name as the user left it";
}

INSTANTIATE_TEST_SUITE_P(Names, FavoriteName,
    testing::Values(NameCase{"beach.jpg", "beach.lnk"}, NameCase{"Beach at noon", "Beach at noon.lnk"},
        NameCase{"beach.tar.gz", "beach.tar.lnk"}, NameCase{"OLD.LNK", "OLD.lnk"}, NameCase{".holiday", ".holiday.lnk"},
        NameCase{"v1.2 notes", "v1.lnk"}));

TEST_F(FavoritesTest, TheSuggestedNameIsTheItemsName)
{
    const auto item = File("beach.jpg");
    QString offered;
    FavoritesDialogDriver driver([&](QWidget& dialog) {
        offered = dialog.findChild<QLineEdit*>(QStringLiteral("name"))->text();
        Confirm(dialog, offered);
    });
    EXPECT_EQ(AddToFavorites(*item), S_OK);
    EXPECT_EQ(offered, QStringLiteral("beach.jpg"));
    EXPECT_EQ(FavoriteFiles(), QStringList{QStringLiteral("beach.lnk")});
}

TEST_F(FavoritesTest, LinkLandsInTheSubFolderChosenInTheDialog)
{
    QDir().mkpath(FavoritesFolder() + QStringLiteral("/Trips"));
    const auto item = File("beach.jpg");
    FavoritesDialogDriver driver([](QWidget& dialog) {
        auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("folders"));
        const auto found = tree->findItems(QStringLiteral("Trips"), Qt::MatchExactly | Qt::MatchRecursive);
        if (!found.isEmpty())
            tree->setCurrentItem(found.front());
        Confirm(dialog, QStringLiteral("beach.jpg"));
    });
    EXPECT_EQ(AddToFavorites(*item), S_OK);
    EXPECT_EQ(FavoriteFiles(), QStringList{QStringLiteral("Trips/beach.lnk")});
}

TEST_F(FavoritesTest, CancelWritesNothing)
{
    const auto item = File("beach.jpg");
    FavoritesDialogDriver driver([](QWidget& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("name"))->setText(QStringLiteral("other"));
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(AddToFavorites(*item), S_OK);
    EXPECT_EQ(driver.shown, 1);
    EXPECT_TRUE(FavoriteFiles().isEmpty());
}
