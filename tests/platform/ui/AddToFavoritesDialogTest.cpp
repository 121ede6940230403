// The add-to-favorites dialog, driven as a user drives it: the name, the
// folder tree, New Folder, OK and Cancel.

#include "platform/ui/AddToFavoritesDialog.h"
#include "platform/com/Memory.h"
#include "platform/shell/NamespaceIds.h"
#include "platform/shell/SpecialFolders.h"
#include "platform/system/Paths.h"
#include "platform/ui/MessageBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

using namespace platform::ui;

namespace {

// Runs each step on the active modal widget in turn; a step answers whether
// it is done with it (false: not the widget it waits for yet).
class ModalDriver : public QObject {
public:
    using Step = std::function<bool(QWidget&)>;
    explicit ModalDriver(std::deque<Step> steps) : steps_(std::move(steps))
    {
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && !steps_.empty() && steps_.front()(*modal))
                steps_.pop_front();
        });
        timer_.start(10);
    }
    bool Finished() const { return steps_.empty(); }

private:
    std::deque<Step> steps_;
    QTimer timer_;
};

QString Favorites()
{
    return QDir(QString::fromStdString(platform::system::FavoritesDirectory())).canonicalPath();
}

QDialogButtonBox* Buttons(QWidget& dialog)
{
    return dialog.findChild<QDialogButtonBox*>();
}

bool IsFavoritesDialog(QWidget& widget)
{
    return widget.findChild<QTreeWidget*>(QStringLiteral("folders")) != nullptr;
}

QTreeWidgetItem* FolderItem(QWidget& dialog, const QString& name)
{
    auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("folders"));
    const QList<QTreeWidgetItem*> found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

// The step that types `name` over the offered one and clicks OK.
ModalDriver::Step NameAndOk(const QString& name)
{
    return [name](QWidget& dialog) {
        if (!IsFavoritesDialog(dialog))
            return false;
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("name"));
        edit->selectAll();
        QTest::keyClicks(edit, name);
        QTest::mouseClick(Buttons(dialog)->button(QDialogButtonBox::Ok), Qt::LeftButton);
        return true;
    };
}

class AddToFavoritesDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        LPITEMIDLIST list = nullptr;
        ASSERT_EQ(platform::shell::SHGetSpecialFolderLocation(nullptr, platform::shell::CSIDL_FAVORITES, &list), S_OK);
        favorites_.reset(list);
        std::strcpy(title_, "beach.jpg");
    }

    HRESULT Run() { return DoAddToFavDlg(nullptr, path_, sizeof path_, title_, sizeof title_, favorites_.get()); }

    platform::com::TaskMemPtr<ITEMIDLIST> favorites_;
    char path_[MAX_PATH] = {};
    char title_[MAX_PATH] = {};
};

} // namespace

TEST_F(AddToFavoritesDialogTest, OkGivesThePathInTheFavoritesFolderAndTheNameAsTheUserLeftIt)
{
    QString offered;
    QString top;
    ModalDriver driver({[&](QWidget& dialog) {
        if (!IsFavoritesDialog(dialog))
            return false;
        offered = dialog.findChild<QLineEdit*>(QStringLiteral("name"))->text();
        top = dialog.findChild<QTreeWidget*>(QStringLiteral("folders"))->currentItem()->text(0);
        return NameAndOk(QStringLiteral("Beach 2024.jpg"))(dialog);
    }});
    ASSERT_EQ(Run(), S_OK);
    EXPECT_EQ(offered, QStringLiteral("beach.jpg"));
    EXPECT_EQ(top, QStringLiteral("Favorites"));
    EXPECT_EQ(QString::fromUtf8(path_), Favorites() + QStringLiteral("/Beach 2024.jpg"));
    EXPECT_STREQ(title_, "Beach 2024.jpg");
}

TEST_F(AddToFavoritesDialogTest, FolderChosenInTheTreeHoldsTheFavorite)
{
    QDir().mkpath(Favorites() + QStringLiteral("/Trips/Summer"));
    QDir().mkpath(Favorites() + QStringLiteral("/Work"));
    ModalDriver driver({[](QWidget& dialog) {
        if (!IsFavoritesDialog(dialog))
            return false;
        QTreeWidgetItem* summer = FolderItem(dialog, QStringLiteral("Summer"));
        if (summer == nullptr || FolderItem(dialog, QStringLiteral("Work")) == nullptr) {
            dialog.close();
            return true;
        }
        summer->treeWidget()->setCurrentItem(summer);
        return NameAndOk(QStringLiteral("beach"))(dialog);
    }});
    ASSERT_EQ(Run(), S_OK);
    EXPECT_EQ(QString::fromUtf8(path_), Favorites() + QStringLiteral("/Trips/Summer/beach"));
}

TEST_F(AddToFavoritesDialogTest, NewFolderIsMadeInTheSelectedFolderAndChosen)
{
    QDir().mkpath(Favorites() + QStringLiteral("/Trips"));
    ModalDriver driver({
        [](QWidget& dialog) {
            if (!IsFavoritesDialog(dialog))
                return false;
            QTreeWidgetItem* trips = FolderItem(dialog, QStringLiteral("Trips"));
            trips->treeWidget()->setCurrentItem(trips);
            // Clicked once this step has returned: the click runs the name
            // question's own loop.
            QTimer::singleShot(0, dialog.findChild<QPushButton*>(QStringLiteral("newFolder")), &QPushButton::click);
            return true;
        },
        [](QWidget& question) {
            auto* input = qobject_cast<QInputDialog*>(&question);
            if (input == nullptr)
                return false;
            input->setTextValue(QStringLiteral("Spain"));
            input->accept();
            return true;
        },
        NameAndOk(QStringLiteral("beach")),
    });
    ASSERT_EQ(Run(), S_OK);
    EXPECT_TRUE(driver.Finished());
    EXPECT_TRUE(QFileInfo(Favorites() + QStringLiteral("/Trips/Spain")).isDir());
    EXPECT_EQ(QString::fromUtf8(path_), Favorites() + QStringLiteral("/Trips/Spain/beach"));
}

TEST_F(AddToFavoritesDialogTest, FavoriteOfTheSameNameIsReplacedOnlyWhenTheUserSaysSo)
{
    QFile(Favorites() + QStringLiteral("/beach.lnk")).open(QIODevice::WriteOnly);
    std::vector<int> answers{IDNO, IDYES};
    std::vector<std::string> questions;
    SetMessageBoxHook([&](std::string_view text, std::string_view, UINT) {
        questions.emplace_back(text);
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    bool stayedAfterNo = false;
    ModalDriver driver({[&](QWidget& dialog) {
        if (!IsFavoritesDialog(dialog))
            return false;
        dialog.findChild<QLineEdit*>(QStringLiteral("name"))->setText(QStringLiteral("beach.jpg"));
        Buttons(dialog)->button(QDialogButtonBox::Ok)->click();
        stayedAfterNo = dialog.isVisible();
        Buttons(dialog)->button(QDialogButtonBox::Ok)->click();
        return true;
    }});
    const HRESULT result = Run();
    SetMessageBoxHook(nullptr);
    ASSERT_EQ(result, S_OK);
    EXPECT_TRUE(stayedAfterNo);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0], "There is already a favorite named \"beach\" in this folder. Replace it?");
    EXPECT_EQ(QString::fromUtf8(path_), Favorites() + QStringLiteral("/beach.jpg"));
}

TEST_F(AddToFavoritesDialogTest, CancelAnswersFalseAndLeavesBothBuffers)
{
    std::strcpy(path_, "untouched");
    ModalDriver driver({[](QWidget& dialog) {
        if (!IsFavoritesDialog(dialog))
            return false;
        dialog.findChild<QLineEdit*>(QStringLiteral("name"))->setText(QStringLiteral("other"));
        Buttons(dialog)->button(QDialogButtonBox::Cancel)->click();
        return true;
    }});
    EXPECT_EQ(Run(), S_FALSE);
    EXPECT_STREQ(path_, "untouched");
    EXPECT_STREQ(title_, "beach.jpg");
}

TEST_F(AddToFavoritesDialogTest, OkIsOfferedOnlyForANameThatMakesOneFileInTheFolder)
{
    const QString tooLong(MAX_PATH, QLatin1Char('n'));
    const QStringList refused{QString(), QStringLiteral("a/b"), QStringLiteral("."), QStringLiteral(".."), tooLong};
    QStringList offered;
    bool closedByAccept = false;
    ModalDriver driver({[&](QWidget& widget) {
        if (!IsFavoritesDialog(widget))
            return false;
        auto& dialog = static_cast<QDialog&>(widget);
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("name"));
        QPushButton* ok = Buttons(dialog)->button(QDialogButtonBox::Ok);
        for (const QString& text : refused) {
            name->setText(text);
            if (ok->isEnabled())
                offered.push_back(text);
        }
        // Asked directly, the dialog still keeps a refused name.
        dialog.accept();
        closedByAccept = !dialog.isVisible();
        name->setText(QStringLiteral("fine.txt"));
        if (!ok->isEnabled())
            offered.push_back(QStringLiteral("<fine.txt refused>"));
        dialog.reject();
        return true;
    }});
    EXPECT_EQ(Run(), S_FALSE);
    EXPECT_TRUE(offered.isEmpty()) << offered.join(QStringLiteral(", ")).toStdString();
    EXPECT_FALSE(closedByAccept);
}

TEST_F(AddToFavoritesDialogTest, ListThatNamesNoFolderIsRefusedWithoutADialog)
{
    const std::vector<BYTE> myComputer = platform::shell::MyComputerIdList();
    EXPECT_EQ(DoAddToFavDlg(nullptr, path_, sizeof path_, title_, sizeof title_,
                  reinterpret_cast<LPCITEMIDLIST>(myComputer.data())),
        E_INVALIDARG);
    EXPECT_EQ(DoAddToFavDlg(nullptr, nullptr, 0, title_, sizeof title_, favorites_.get()), E_INVALIDARG);
}
