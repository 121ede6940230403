// The Find window driven as a user drives it: typing, clicking, switching
// tabs, pressing Escape and the close box, over real catalogs on a shelf.

#include "search/SearchDialog.h"

#include "items/CatItem.h"
#include "items/MediumQuery.h"
#include "module/Settings.h"
#include "pages/DialogControls.h"
#include "pages/PathLine.h"
#include "pages/SpinButton.h"
#include "platform/registry/Registry.h"
#include "platform/ui/MessageBox.h"
#include "search/FileTypeComboBox.h"
#include "search/HistoryComboBox.h"
#include "search/SearchPageDate.h"
#include "search/SearchPageName.h"
#include "tests/items/ShelfTestCatalogs.h"
#include "tests/support/CatalogDirectory.h"
#include "tests/support/TestEnvironment.h"
#include "views/ViewList.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDeadlineTimer>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace pellidor;
using namespace pellidor::test;
using platform::registry::Hive;
using platform::registry::Key;

namespace {

constexpr int kWaitMs = 20000;
constexpr std::int64_t kNow = 1700000000;

std::int64_t FixedClock()
{
    return kNow;
}

// A click on a radio's mark, where a user clicks (a radio takes clicks on
// its mark and label only, not on the empty rest of its rectangle).
void ClickRadio(QRadioButton* radio)
{
    ASSERT_NE(radio, nullptr);
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
}

// Every message box shown goes here instead, with its text.
class MessageBoxes {
public:
    MessageBoxes()
    {
        platform::ui::SetMessageBoxHook([this](std::string_view text, std::string_view, UINT) {
            texts.emplace_back(text);
            return platform::ui::IDOK_;
        });
    }
    ~MessageBoxes() { platform::ui::SetMessageBoxHook(nullptr); }
    std::vector<std::string> texts;
};

class SearchDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        catalogs_ = TestPath("catalogs");
        UseCatalogDirectory(catalogs_);
        TestVolume volume;
        volume.userName = "Letters";
        WriteCatalog(catalogs_ + "/0000AAAA.pld", volume,
            {File("xABCy.txt", 10), File("other.doc", 5000), File("README", 1), File("README.TXT", 2048),
                Folder("abc folder", {File("abc.htm", 100), File("page.html", 100)})});
    }

    void Open()
    {
        dialog_ = std::make_unique<CSearchDialog>(nullptr, &FixedClock);
        dialog_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
    }

    CSearchPageName& NamePage() const
    {
        return *static_cast<CSearchPageName*>(dialog_->Page(CSearchDialog::kPageName));
    }
    void TypeName(const QString& text)
    {
        NamePage().NameBox()->setFocus();
        NamePage().NameBox()->lineEdit()->selectAll();
        QTest::keyClicks(NamePage().NameBox()->lineEdit(), text);
    }
    void ShowPage(int index)
    {
        dialog_->Pages()->setCurrentIndex(index);
        QApplication::processEvents();
    }
    template <class T>
    T* PageControl(int page, int id) const
    {
        return Control<T>(dialog_->Page(page), id);
    }

    // Find Now, and the wait for the search's end.
    void FindNow()
    {
        QTest::mouseClick(dialog_->FindNowButton(), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !dialog_->IsSearching(); }, kWaitMs));
    }

    std::set<std::string> ResultNames() const
    {
        std::set<std::string> names;
        CViewList* list = dialog_->Results();
        for (int row = 0; row < list->ItemCount(); ++row)
            names.insert(list->ItemAt(row)->GetName());
        return names;
    }

    std::string catalogs_;
    std::unique_ptr<CSearchDialog> dialog_;
};

TEST_F(SearchDialogTest, FindNowTwiceSearchesTheTypedTextAnywhereBothTimes)
{
    Open();
    TypeName(QStringLiteral("abc"));
    FindNow();
    EXPECT_EQ(dialog_->Criteria().NamePattern, "*abc*");
    const std::set<std::string> expected = {"xABCy.txt", "abc folder", "abc.htm"};
    EXPECT_EQ(ResultNames(), expected);
    FindNow();
    EXPECT_EQ(dialog_->Criteria().NamePattern, "*abc*");
    EXPECT_EQ(ResultNames(), expected);
}

TEST_F(SearchDialogTest, ResultListShowsTheSevenColumnsOfTheItems)
{
    Open();
    TypeName(QStringLiteral("xabcy"));
    FindNow();
    CViewList* list = dialog_->Results();
    ASSERT_EQ(list->ColumnCount(), 7);
    const std::vector<std::string> headings
        = {"Name", "Total Size", "Type", "Date", "Attribute", "Volume", "In Folder"};
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(list->HeadingText(column), headings[static_cast<std::size_t>(column)]);
    ASSERT_EQ(list->ItemCount(), 1);
    EXPECT_EQ(list->TextAt(0, 5), "Letters");
    EXPECT_EQ(list->TextAt(0, 0), list->ItemAt(0)->GetColumnText(0, false));
}

TEST_F(SearchDialogTest, PagesNeverOpenedKeepTheirInitialCriteria)
{
    Open();
    FindNow();
    EXPECT_FALSE(dialog_->Page(CSearchDialog::kPageDate)->IsMade());
    EXPECT_FALSE(dialog_->Page(CSearchDialog::kPageOptions)->IsMade());
    const SearchCriteria& criteria = dialog_->Criteria();
    EXPECT_EQ(criteria.DateFilter, 0);
    EXPECT_EQ(criteria.SizeMode, kSizeAny);
    EXPECT_EQ(criteria.TypeExtensions, "");
    EXPECT_EQ(criteria.ToDate, kNow);
    EXPECT_EQ(criteria.FromDate, kNow - kDefaultRangeSeconds);
    // No name, no test: every entry, the folder too.
    EXPECT_EQ(ResultNames().size(), 7u);
}

TEST_F(SearchDialogTest, UntouchedTypeKeepsTheTypeTestOffAndTheBlankEntryAsksForAnExtension)
{
    Open();
    ShowPage(CSearchDialog::kPageOptions);
    auto* types = PageControl<CFileTypeComboBox>(CSearchDialog::kPageOptions, 1018);
    ASSERT_NE(types, nullptr);
    EXPECT_EQ(types->currentIndex(), -1);
    TypeName(QStringLiteral("readme"));
    FindNow();
    EXPECT_EQ(dialog_->Criteria().TypeExtensions, "");
    EXPECT_EQ(ResultNames(), (std::set<std::string>{"README", "README.TXT"}));

    types->setCurrentIndex(0);
    FindNow();
    EXPECT_EQ(dialog_->Criteria().TypeExtensions, ".*");
    EXPECT_EQ(ResultNames(), (std::set<std::string>{"README.TXT"}));
}

TEST_F(SearchDialogTest, SizeBoundAndModeComeFromTheAdvancedPage)
{
    Open();
    ShowPage(CSearchDialog::kPageOptions);
    auto* mode = PageControl<QComboBox>(CSearchDialog::kPageOptions, 1019);
    auto* kb = PageControl<QLineEdit>(CSearchDialog::kPageOptions, 1020);
    ASSERT_NE(mode, nullptr);
    ASSERT_NE(kb, nullptr);
    EXPECT_EQ(mode->count(), 3);
    EXPECT_EQ(mode->itemText(1).toStdString(), "Minimal");
    EXPECT_EQ(kb->text(), QStringLiteral("0"));
    mode->setCurrentIndex(kSizeAtLeast);
    kb->setText(QStringLiteral("2"));
    FindNow();
    EXPECT_EQ(dialog_->Criteria().SizeKB, 2u);
    EXPECT_EQ(ResultNames(), (std::set<std::string>{"README.TXT", "other.doc"}));
}

// The type list over keys written into HKEY_CLASSES_ROOT here.
TEST_F(SearchDialogTest, FileTypesMergeExtensionsOfOneDescriptionAndSkipWhatCannotBeRead)
{
    const auto write = [](const std::string& path, const std::string& value) {
        Key key;
        ASSERT_EQ(key.Create(Hive::ClassesRoot, path), 0);
        ASSERT_EQ(key.SetString("", value), 0);
    };
    write("ptest.htm", "HTML Page  ");
    write(".ptesthtm", "ptest.htm");
    write(".ptesthtml", "ptest.htm");
    write("ptest.other", "html page");
    write(".PTESTHTM2", "ptest.other");
    write(".ptestnone", "ptest.missing");
    write("ptest.blank", "   ");
    write(".ptestblank", "ptest.blank");
    write("ptest.nodot", "Not An Extension");

    CFileTypeComboBox box;
    box.Fill();
    EXPECT_EQ(box.currentIndex(), -1);
    EXPECT_EQ(box.itemText(0), QString());
    EXPECT_EQ(box.Extensions(0), ".*");
    const int html = box.findText(QStringLiteral("HTML Page"));
    ASSERT_GE(html, 0);
    EXPECT_EQ(box.Extensions(html), ".ptesthtm;.ptesthtml;.PTESTHTM2");
    EXPECT_EQ(box.findText(QStringLiteral("html page"), Qt::MatchCaseSensitive), -1);
    EXPECT_EQ(box.findText(QStringLiteral("Not An Extension")), -1);
    for (int i = 0; i < box.count(); ++i)
        EXPECT_FALSE(box.itemText(i).trimmed().isEmpty() && i != 0) << i;
    // Sorted after the blank entry, without regard to case.
    for (int i = 2; i < box.count(); ++i)
        EXPECT_LE(box.itemText(i - 1).compare(box.itemText(i), Qt::CaseInsensitive), 0) << i;
}

TEST_F(SearchDialogTest, ChosenTypeFindsEveryExtensionOfIt)
{
    Key key;
    ASSERT_EQ(key.Create(Hive::ClassesRoot, "ptest.htm"), 0);
    ASSERT_EQ(key.SetString("", "HTML Page"), 0);
    for (const char* extension : {".htm", ".html"}) {
        ASSERT_EQ(key.Create(Hive::ClassesRoot, extension), 0);
        ASSERT_EQ(key.SetString("", "ptest.htm"), 0);
    }
    Open();
    ShowPage(CSearchDialog::kPageOptions);
    auto* types = PageControl<CFileTypeComboBox>(CSearchDialog::kPageOptions, 1018);
    ASSERT_NE(types, nullptr);
    types->setCurrentIndex(types->findText(QStringLiteral("HTML Page")));
    FindNow();
    EXPECT_EQ(ResultNames(), (std::set<std::string>{"abc.htm", "page.html"}));
}

class HistoryTest : public SearchDialogTest {
protected:
    // Leaves the name box, as a click elsewhere does.
    void LeaveNameBox()
    {
        dialog_->NewSearchButton()->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }
    QStringList Entries() const
    {
        QStringList entries;
        for (int i = 0; i < NamePage().NameBox()->count(); ++i)
            entries << NamePage().NameBox()->itemText(i);
        return entries;
    }
    static void WriteHistory(const std::string& name, const std::string& text)
    {
        Key key;
        ASSERT_EQ(key.Create(Hive::CurrentUser, CSearchPageName::kHistoryKey), 0);
        ASSERT_EQ(key.SetString(name, text), 0);
    }
};

TEST_F(HistoryTest, LastNameFirstAndTheSameNameInAnotherCaseMovesUp)
{
    Open();
    TypeName(QStringLiteral("first"));
    LeaveNameBox();
    TypeName(QStringLiteral("second"));
    LeaveNameBox();
    EXPECT_EQ(Entries(), (QStringList{QStringLiteral("second"), QStringLiteral("first")}));
    TypeName(QStringLiteral("FIRST"));
    LeaveNameBox();
    EXPECT_EQ(Entries(), (QStringList{QStringLiteral("FIRST"), QStringLiteral("second")}));
    EXPECT_EQ(NamePage().NameBox()->currentIndex(), 0);
}

TEST_F(HistoryTest, ClosingStoresAtMostTenNamesAndLeavesOlderValuesBeyond)
{
    WriteHistory("0", "old zero");
    WriteHistory("11", "untouched");
    Open();
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("old zero")});
    for (int i = 0; i < 12; ++i) {
        TypeName(QStringLiteral("name%1").arg(i));
        LeaveNameBox();
    }
    dialog_->close();
    dialog_.reset();
    Key key;
    ASSERT_EQ(key.Open(Hive::CurrentUser, CSearchPageName::kHistoryKey), 0);
    std::string text;
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(key.QueryString(std::to_string(i), text), 0) << i;
        EXPECT_EQ(text, "name" + std::to_string(11 - i));
    }
    EXPECT_NE(key.QueryString("10", text), 0);
    ASSERT_EQ(key.QueryString("11", text), 0);
    EXPECT_EQ(text, "untouched");
}

TEST_F(HistoryTest, OverlongValueIsCutAndOneThatIsNoTextIsSkipped)
{
    WriteHistory("0", std::string(400, 'x'));
    {
        Key key;
        ASSERT_EQ(key.Create(Hive::CurrentUser, CSearchPageName::kHistoryKey), 0);
        ASSERT_EQ(key.SetDword("1", 7), 0);
    }
    WriteHistory("2", "kept");
    Open();
    const QStringList entries = Entries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0], QString(259, QLatin1Char('x')));
    EXPECT_EQ(entries[1], QStringLiteral("kept"));
}

TEST_F(SearchDialogTest, LookInWithoutCatalogDirectoryListsOnlyTheShelf)
{
    platform::registry::DeleteTree(Hive::LocalMachine, kCatDirKey);
    Open();
    QComboBox* lookIn = NamePage().LookInBox();
    ASSERT_EQ(lookIn->count(), 1);
    EXPECT_EQ(lookIn->itemText(0), QStringLiteral("Pellidor"));
    EXPECT_EQ(lookIn->currentIndex(), 0);
}

TEST_F(SearchDialogTest, LookInListsShelfFoldersDepthFirstAndSearchesTheChosenOne)
{
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(catalogs_ + "/Music/Jazz")));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(catalogs_ + "/Photos")));
    TestVolume volume;
    WriteCatalog(catalogs_ + "/Music/0000BBBB.pld", volume, {File("abc music.mp3")});
    WriteCatalog(catalogs_ + "/Music/Jazz/0000CCCC.pld", volume, {File("abc jazz.mp3")});
    Open();
    QComboBox* lookIn = NamePage().LookInBox();
    QStringList texts;
    for (int i = 0; i < lookIn->count(); ++i)
        texts << lookIn->itemText(i);
    ASSERT_EQ(texts.size(), 4);
    EXPECT_EQ(texts[0], QStringLiteral("Pellidor"));
    const auto music = texts.indexOf(QStringLiteral("Music"));
    ASSERT_GE(music, 1);
    EXPECT_EQ(texts.value(music + 1), QStringLiteral("Jazz")) << "a folder's sub-folders follow it";
    EXPECT_TRUE(texts.contains(QStringLiteral("Photos")));

    lookIn->setCurrentIndex(static_cast<int>(music));
    TypeName(QStringLiteral("abc"));
    FindNow();
    EXPECT_EQ(ResultNames(), (std::set<std::string>{"abc music.mp3", "abc jazz.mp3"}));
    NamePage().SubfoldersBox()->setChecked(false);
    FindNow();
    EXPECT_EQ(ResultNames(), (std::set<std::string>{"abc music.mp3"}));
}

TEST_F(SearchDialogTest, NewSearchKeepsTheCriteriaAndEmptiesTheList)
{
    Open();
    TypeName(QStringLiteral("abc"));
    FindNow();
    ASSERT_GT(dialog_->Results()->ItemCount(), 0);
    QTest::mouseClick(dialog_->NewSearchButton(), Qt::LeftButton);
    EXPECT_EQ(dialog_->Results()->ItemCount(), 0);
    EXPECT_EQ(dialog_->ResultCount(), 0);
    EXPECT_EQ(dialog_->Criteria().NamePattern, "*abc*");
    EXPECT_EQ(NamePage().NameBox()->currentText(), QStringLiteral("abc"));
    EXPECT_TRUE(dialog_->FindNowButton()->isEnabled());
    EXPECT_TRUE(dialog_->FindNowButton()->isDefault());
}

TEST_F(SearchDialogTest, ButtonsAndAnimationFollowTheSearch)
{
    // Enough matches that the search is still running after the click.
    std::vector<TestEntry> many;
    for (int i = 0; i < 3000; ++i)
        many.push_back(File("match" + std::to_string(i)));
    WriteCatalog(catalogs_ + "/0000DDDD.pld", TestVolume(), many);
    Open();
    EXPECT_FALSE(dialog_->StopButton()->isEnabled());
    EXPECT_TRUE(dialog_->FindNowButton()->isDefault());
    EXPECT_EQ(dialog_->Animation()->state(), QMovie::NotRunning);
    QTest::mouseClick(dialog_->FindNowButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog_->FindNowButton()->isEnabled());
    EXPECT_TRUE(dialog_->StopButton()->isEnabled());
    EXPECT_TRUE(dialog_->StopButton()->isDefault());
    EXPECT_EQ(dialog_->Animation()->state(), QMovie::Running);
    ASSERT_TRUE(QTest::qWaitFor([this] { return dialog_->ResultCount() > 0; }, kWaitMs));
    QTest::mouseClick(dialog_->StopButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog_->IsSearching());
    EXPECT_TRUE(dialog_->FindNowButton()->isEnabled());
    EXPECT_FALSE(dialog_->StopButton()->isEnabled());
    EXPECT_EQ(dialog_->Animation()->state(), QMovie::NotRunning);
    EXPECT_EQ(dialog_->Animation()->currentFrameNumber(), 0);
    // What was found before the stop stays listed.
    EXPECT_GT(dialog_->Results()->ItemCount(), 0);
    EXPECT_EQ(dialog_->Results()->ItemCount(), dialog_->ResultCount());
}

class ClosingTest : public SearchDialogTest {
protected:
    void SetUp() override
    {
        SearchDialogTest::SetUp();
        std::vector<TestEntry> many;
        for (int i = 0; i < 20000; ++i)
            many.push_back(File("match" + std::to_string(i)));
        WriteCatalog(catalogs_ + "/0000EEEE.pld", TestVolume(), many);
    }
    // Starts a search and returns while the worker is handing over results.
    void StartStreaming()
    {
        Open();
        TypeName(QStringLiteral("match"));
        QTest::mouseClick(dialog_->FindNowButton(), Qt::LeftButton);
        // Handles events only until the first batch is in, without
        // pausing: the worker, thousands of matches from its end, is then
        // soon waiting for this thread to take its next batch.
        QDeadlineTimer deadline(kWaitMs);
        while (dialog_->ResultCount() == 0 && !deadline.hasExpired())
            QCoreApplication::processEvents();
        ASSERT_GT(dialog_->ResultCount(), 0);
        ASSERT_LT(dialog_->ResultCount(), 1000);
        ASSERT_TRUE(dialog_->IsSearching());
    }
    static bool ColumnsSaved()
    {
        Key key;
        DWORD width = 0;
        return key.Open(Hive::CurrentUser, SettingsKey(CSearchDialog::kColumnSection)) == 0
            && key.QueryDword("C00", width) == 0;
    }
};

TEST_F(ClosingTest, CloseBoxDuringASearchStopsItSavesTheColumnsAndEmptiesTheList)
{
    StartStreaming();
    dialog_->Results()->DetailsFace()->header()->resizeSection(2, 173);
    dialog_->close();
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog_->IsSearching());
    EXPECT_EQ(dialog_->Results()->ItemCount(), 0);
    EXPECT_EQ(dialog_->ResultCount(), 0);
    Key key;
    ASSERT_EQ(key.Open(Hive::CurrentUser, SettingsKey(CSearchDialog::kColumnSection)), 0);
    DWORD width = 0;
    ASSERT_EQ(key.QueryDword("C02", width), 0);
    EXPECT_EQ(width, 173u);
    DWORD position = 0;
    ASSERT_EQ(key.QueryDword("O06", position), 0);
    EXPECT_EQ(position, 6u);
}

TEST_F(ClosingTest, EscapeDuringASearchStopsItAndEndsWithoutSavingTheColumns)
{
    StartStreaming();
    QTest::keyClick(dialog_.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog_->IsSearching());
    EXPECT_FALSE(ColumnsSaved());
}

TEST_F(ClosingTest, DestroyingTheDialogDuringASearchWaitsForTheWorker)
{
    StartStreaming();
    dialog_.reset();
    SUCCEED();
}

TEST_F(ClosingTest, SavedColumnsComeBackInTheNextWindow)
{
    Open();
    dialog_->Results()->DetailsFace()->header()->moveSection(6, 0);
    dialog_->close();
    dialog_.reset();
    Open();
    EXPECT_EQ(dialog_->Results()->DetailsFace()->header()->logicalIndex(0), 6);
}

// Records the media it is asked for and gives up.
class RecordingPrompt final : public IMediumPrompt {
public:
    RecordingPrompt() { SetMediumPrompt(this); }
    ~RecordingPrompt() { SetMediumPrompt(nullptr); }
    bool AskForMedium(const MediumQuery& query, HWND owner, std::string*) override
    {
        asked.push_back(query.fileName + " on " + query.volumeName);
        owners.push_back(owner);
        return false;
    }
    std::vector<std::string> asked;
    std::vector<HWND> owners;
};

TEST_F(SearchDialogTest, DoubleClickOnAResultOpensItFromItsMedium)
{
    RecordingPrompt prompt;
    Open();
    TypeName(QStringLiteral("other.doc"));
    FindNow();
    CViewList* list = dialog_->Results();
    ASSERT_EQ(list->ItemCount(), 1);
    QTreeView* face = list->DetailsFace();
    const QRect cell = face->visualRect(face->model()->index(0, 0));
    QTest::mouseClick(face->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(face->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(prompt.asked, std::vector<std::string>{"other.doc on Letters"});
    EXPECT_EQ(prompt.owners[0], nullptr);
}

TEST_F(SearchDialogTest, ShrinkingBelowTheFirstSizeIsRefusedAndGrowingWidensTheList)
{
    Open();
    const QSize first = dialog_->size();
    EXPECT_EQ(dialog_->minimumSize(), first);
    dialog_->resize(first - QSize(60, 60));
    QApplication::processEvents();
    EXPECT_GE(dialog_->width(), first.width());
    EXPECT_GE(dialog_->height(), first.height());

    const QRect list = dialog_->Results()->geometry();
    const QRect path = dialog_->PathLine()->geometry();
    const QRect button = dialog_->FindNowButton()->geometry();
    dialog_->resize(first + QSize(100, 80));
    QApplication::processEvents();
    EXPECT_EQ(dialog_->Results()->geometry(), list.adjusted(0, 0, 100, 80));
    EXPECT_EQ(dialog_->PathLine()->geometry(), path.translated(0, 80).adjusted(0, 0, 100, 0));
    EXPECT_EQ(dialog_->FindNowButton()->geometry(), button);
}

TEST_F(SearchDialogTest, DatePageEnablesOnlyTheChosenRange)
{
    Open();
    ShowPage(CSearchDialog::kPageDate);
    const auto control = [this](int id) { return PageControl<QWidget>(CSearchDialog::kPageDate, id); };
    const auto radio = [this](int id) { return PageControl<QRadioButton>(CSearchDialog::kPageDate, id); };
    for (int id : {1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1016})
        ASSERT_NE(control(id), nullptr) << id;
    // id -> enabled, for each state.
    const auto expectState = [&](bool kind, bool between, bool days, bool months, const char* when) {
        EXPECT_EQ(control(1008)->isEnabled(), kind) << when;
        EXPECT_EQ(control(1010)->isEnabled(), between) << when;
        EXPECT_EQ(control(1013)->isEnabled(), between) << when;
        EXPECT_EQ(control(1014)->isEnabled(), days) << when;
        EXPECT_EQ(control(1016)->isEnabled(), months) << when;
        for (int id : {1009, 1011, 1012})
            EXPECT_TRUE(control(id)->isEnabled()) << when << " " << id;
    };
    EXPECT_TRUE(radio(1006)->isChecked());
    expectState(false, false, false, false, "at first");
    ClickRadio(radio(1011));
    EXPECT_TRUE(radio(1007)->isChecked());
    EXPECT_FALSE(radio(1006)->isChecked());
    expectState(true, false, true, false, "days");
    ClickRadio(radio(1006));
    expectState(false, false, false, false, "all files again");
    ClickRadio(radio(1007));
    expectState(true, false, true, false, "following files: the range last taken");
    ClickRadio(radio(1012));
    expectState(true, false, false, true, "months");
    ClickRadio(radio(1009));
    expectState(true, true, false, false, "between");
}

TEST_F(SearchDialogTest, DatePageFiltersByTheChosenTimeAndRange)
{
    std::vector<TestEntry> entries = {File("recent.txt"), File("old.txt")};
    entries[0].time = static_cast<std::int32_t>(kNow - 2 * 86400);
    entries[1].time = static_cast<std::int32_t>(kNow - 40 * 86400);
    WriteCatalog(catalogs_ + "/0000FFFF.pld", TestVolume(), entries);
    Open();
    ShowPage(CSearchDialog::kPageDate);
    ClickRadio(PageControl<QRadioButton>(CSearchDialog::kPageDate, 1011));
    auto* days = PageControl<QLineEdit>(CSearchDialog::kPageDate, 1014);
    days->setText(QStringLiteral("3"));
    TypeName(QStringLiteral(".txt"));
    FindNow();
    EXPECT_EQ(dialog_->Criteria().DateFilter, 1);
    EXPECT_EQ(dialog_->Criteria().DateRange, kDateDays);
    EXPECT_EQ(dialog_->Criteria().Days, 3);
    EXPECT_EQ(ResultNames(), (std::set<std::string>{"recent.txt"}));
}

struct RefusedValue {
    int page;
    int radio; // the range to choose first; 0 none
    int edit;
    const char* text;
    const char* message;
};

class ValidationTest : public SearchDialogTest, public testing::WithParamInterface<RefusedValue> { };

TEST_P(ValidationTest, RefusedValueShowsWhyAndStartsNoSearch)
{
    const RefusedValue& value = GetParam();
    MessageBoxes boxes;
    Open();
    ShowPage(value.page);
    if (value.radio != 0)
        ClickRadio(PageControl<QRadioButton>(value.page, value.radio));
    auto* edit = PageControl<QLineEdit>(value.page, value.edit);
    ASSERT_NE(edit, nullptr);
    edit->setText(QString::fromUtf8(value.text));
    ShowPage(CSearchDialog::kPageName);
    QTest::mouseClick(dialog_->FindNowButton(), Qt::LeftButton);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], value.message);
    EXPECT_FALSE(dialog_->IsSearching());
    EXPECT_TRUE(dialog_->FindNowButton()->isEnabled());
    EXPECT_EQ(dialog_->Pages()->currentIndex(), value.page) << "the refused field's page comes to the front";
    EXPECT_EQ(dialog_->Results()->ItemCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Fields, ValidationTest,
    testing::Values(
        RefusedValue{CSearchDialog::kPageDate, 1011, 1014, "0", "Please enter an integer between 1 and 999."},
        RefusedValue{CSearchDialog::kPageDate, 1012, 1016, "1000", "Please enter an integer between 1 and 999."},
        RefusedValue{CSearchDialog::kPageDate, 1011, 1014, "", "Please enter an integer."},
        RefusedValue{CSearchDialog::kPageDate, 0, 1016, "x", "Please enter an integer."},
        RefusedValue{CSearchDialog::kPageOptions, 0, 1020, "-5", "Please enter a positive integer."},
        RefusedValue{CSearchDialog::kPageOptions, 0, 1020, "4294967296", "Please enter a positive integer."}));

TEST_F(SearchDialogTest, SpinsStepWithinTheirRanges)
{
    Open();
    ShowPage(CSearchDialog::kPageDate);
    auto* days = PageControl<QLineEdit>(CSearchDialog::kPageDate, 1014);
    auto* spin = PageControl<CSpinButton>(CSearchDialog::kPageDate, 1015);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->Buddy(), days);
    days->setText(QStringLiteral("999"));
    spin->Step(1);
    EXPECT_EQ(days->text(), QStringLiteral("999"));
    days->setText(QStringLiteral("1"));
    spin->Step(-1);
    EXPECT_EQ(days->text(), QStringLiteral("1"));
    ShowPage(CSearchDialog::kPageOptions);
    auto* size = PageControl<CSpinButton>(CSearchDialog::kPageOptions, 1021);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->Highest(), 32767);
    EXPECT_EQ(size->Lowest(), 1);
}

} // namespace
