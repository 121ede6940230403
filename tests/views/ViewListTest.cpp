// The list control as the views use it: columns kept per user, modes,
// sorting, renaming in place, and the printout checked on its PDF.

#include "module/Settings.h"
#include "platform/registry/Registry.h"
#include "tests/items/ItemFixture.h"
#include "tests/views/ViewsFixture.h"
#include "views/ListPrinter.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QTreeView>

namespace pellidor::test {
namespace {

using platform::com::ComPtr;

DWORD CatViewValue(const std::string& name)
{
    platform::registry::Key key;
    DWORD value = 0xDEAD;
    if (key.Open(platform::registry::Hive::CurrentUser, SettingsKey(kCatViewSection)) == 0)
        key.QueryDword(name, value);
    return value;
}

class ViewListTest : public ViewsFixture {
protected:
    void SetUp() override
    {
        ViewsFixture::SetUp();
        std::vector<TestEntry> entries;
        for (int i = 0; i < 3; ++i) {
            TestEntry entry = File(std::string(1, static_cast<char>('c' - i)) + ".txt", 10u * static_cast<DWORD>(i));
            entry.time = 1000 + i;
            entries.push_back(entry);
        }
        WriteCatalog(CatalogDirectory() + "/00000001.pld", TestVolume{}, entries);
    }
    CViewWnd* OpenCatalog(UINT mode = FVM_DETAILS)
    {
        view_ = ViewOf(*CatalogFolder());
        return Open(*view_, mode);
    }
    ComPtr<IShellView> view_;
};

TEST_F(ViewListTest, WithoutSettingsColumnsAreHundredWideInTheirOwnOrder)
{
    // A value of the wrong type counts as missing.
    platform::registry::Key key;
    ASSERT_EQ(key.Create(platform::registry::Hive::CurrentUser, SettingsKey(kCatViewSection)), 0);
    key.SetString("C00", "250");
    QHeaderView* header = OpenCatalog()->List().DetailsFace()->header();
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(header->sectionSize(n), 100) << n;
        EXPECT_EQ(header->visualIndex(n), n) << n;
    }
}

TEST_F(ViewListTest, ColumnOrderAndWidthsSurviveASaveAndANewView)
{
    QHeaderView* header = OpenCatalog()->List().DetailsFace()->header();
    header->moveSection(header->visualIndex(2), 0); // as a drag of its heading
    header->resizeSection(1, 150);
    EXPECT_EQ(CatViewValue("O02"), 0xDEADu); // nothing written until asked
    EXPECT_EQ(view_->SaveViewState(), S_OK);
    EXPECT_EQ(CatViewValue("O02"), 0u);
    EXPECT_EQ(CatViewValue("O00"), 1u);
    EXPECT_EQ(CatViewValue("C01"), 150u);

    QHeaderView* again = OpenCatalog()->List().DetailsFace()->header();
    EXPECT_EQ(again->logicalIndex(0), 2);
    EXPECT_EQ(again->logicalIndex(1), 0);
    EXPECT_EQ(again->logicalIndex(4), 4);
    EXPECT_EQ(again->sectionSize(1), 150);
}

class ViewListModeTest : public ViewListTest, public ::testing::WithParamInterface<UINT> { };

TEST_P(ViewListModeTest, ModeIsKeptAsGivenAndShownAsItsFace)
{
    const UINT mode = GetParam();
    CViewWnd* window = OpenCatalog(mode);
    FOLDERSETTINGS settings;
    ASSERT_EQ(view_->GetCurrentInfo(&settings), S_OK);
    EXPECT_EQ(settings.ViewMode, mode);
    CViewList& list = window->List();
    EXPECT_EQ(list.CurrentFace(),
        mode == FVM_DETAILS ? static_cast<QAbstractItemView*>(list.DetailsFace())
                            : static_cast<QAbstractItemView*>(list.IconFace()));
    const bool inRange = mode >= FVM_ICON && mode <= FVM_DETAILS;
    if (!inRange || mode == FVM_ICON) {
        EXPECT_EQ(list.IconFace()->viewMode(), QListView::IconMode);
    }
    // 28718 goes round the four modes; a mode outside them stays.
    for (int i = 0; i < 4; ++i) {
        platform::ui::SendMessage(window, WM_COMMAND, kCmdExplorerNextMode, 0);
        if (i < 3 && inRange) {
            EXPECT_NE(list.Mode(), mode);
        }
    }
    EXPECT_EQ(list.Mode(), mode);
}

INSTANTIATE_TEST_SUITE_P(Modes, ViewListModeTest, ::testing::Values(0u, 1u, 2u, 3u, 4u, 7u));

TEST_F(ViewListTest, SwitchingTheFaceKeepsTheSelection)
{
    CViewList& list = OpenCatalog(FVM_ICON)->List();
    list.SelectRow(2);
    platform::ui::SendMessage(&list, WM_COMMAND, kCmdDetails, 0);
    EXPECT_EQ(list.CurrentFace(), list.DetailsFace());
    EXPECT_EQ(list.GetSelectedItem(), list.ItemAt(2));
}

TEST_F(ViewListTest, TheSelectionStaysWithItsEntryThroughASort)
{
    CViewList& list = OpenCatalog()->List();
    list.SelectRow(0); // a.txt, the largest
    CCatItem* selected = list.GetSelectedItem();
    ASSERT_NE(selected, nullptr);
    platform::ui::SendMessage(&list, WM_COMMAND, 8, 0); // by size
    EXPECT_EQ(list.ItemAt(2), selected);
    EXPECT_EQ(list.GetSelectedItem(), selected);
    EXPECT_EQ(list.CurrentFace()->currentIndex().row(), 2);
}

TEST_F(ViewListTest, ClickingTheSameHeadingTwiceGivesTheSameOrder)
{
    CViewWnd* window = OpenCatalog();
    browser_->Window().show();
    CViewList& list = window->List();
    QHeaderView* header = list.DetailsFace()->header();
    const QPoint size(header->sectionViewportPosition(1) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, size);
    const std::vector<std::string> first = Column(list);
    EXPECT_EQ(first, (std::vector<std::string>{"c.txt", "b.txt", "a.txt"}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, size);
    EXPECT_EQ(Column(list), first);
}

// Texts alike in their first sixteen characters, differing only in case,
// one the start of another, outside ASCII, and folders among the files:
// whatever shortcut a sort of many entries takes, the order is the items'.
class SortOrderTest : public ViewsFixture, public ::testing::WithParamInterface<int> { };

TEST_P(SortOrderTest, EveryRowIsInTheItemsOwnOrderWithItsNext)
{
    const auto dated = [](std::string name, DWORD size, std::int32_t time) {
        TestEntry entry = File(std::move(name), size);
        entry.time = time;
        return entry;
    };
    WriteCatalog(CatalogDirectory() + "/00000001.pld", TestVolume{},
        {dated("Holiday photos 2019 b.jpg", 3, 30), dated("holiday photos 2019 A.jpg", 1, 10),
            dated("Holiday photos 2019", 70000, 20),
            dated("\xc3\xbc"
                  "bersicht.txt",
                2, -1),
            dated("\xc3\x9c"
                  "bersicht.TXT",
                0x10000, 5),
            Folder("zz folder", {}), dated("Zebra", 5, 0x7FFFFFFF), Folder("Aa folder", {}),
            dated("holiday photos 2019 a.jpg", 4, 40), dated("a", 1, 1), dated("A", 1, 1),
            dated("holiday photos 2019 a.jpg.bak", 9, 2), dated("0123456789abcdef", 6, 3),
            dated("0123456789ABCDEF0", 6, 3), File("readme", 0, kAttrReadOnly | kAttrArchive)});
    const auto view = ViewOf(*CatalogFolder());
    CViewList& list = Open(*view)->List();
    const int column = GetParam();
    list.Sort(column);
    ASSERT_EQ(list.ItemCount(), 15);
    for (int row = 0; row + 1 < list.ItemCount(); ++row)
        EXPECT_LE(list.ItemAt(row)->CompareTo(*list.ItemAt(row + 1), column), 0)
            << list.TextAt(row, 0) << " before " << list.TextAt(row + 1, 0);
}

INSTANTIATE_TEST_SUITE_P(Columns, SortOrderTest, ::testing::Range(0, 5));

class RenameTest : public ViewsFixture {
protected:
    void SetUp() override
    {
        ViewsFixture::SetUp();
        WriteCatalog(CatalogDirectory() + "/00000001.pld", TestVolume{}, {});
        ASSERT_TRUE(QDir().mkdir(QString::fromStdString(CatalogDirectory() + "/Shelf")));
        view_ = ViewOf(*ShelfRoot());
        window_ = Open(*view_);
        browser_->Window().show();
    }
    // Starts the rename command on `row` and answers the editor, if any.
    QLineEdit* StartRename(int row)
    {
        CViewList& list = window_->List();
        list.SelectRow(row);
        platform::ui::SendMessage(window_, WM_COMMAND, 0x8000 + 32, 0);
        return list.CurrentFace()->findChild<QLineEdit*>();
    }
    bool ShelfDirectory(const char* name) const
    {
        return QFileInfo(QString::fromStdString(CatalogDirectory() + "/" + name)).isDir();
    }
    ComPtr<IShellView> view_;
    CViewWnd* window_ = nullptr;
};

TEST_F(RenameTest, ACatalogIsNotRenamedInPlace)
{
    // Shelf folders sort first: the catalog is the second row.
    EXPECT_EQ(StartRename(1), nullptr);
}

TEST_F(RenameTest, AShelfFolderIsRenamedInPlace)
{
    QLineEdit* editor = StartRename(0);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Music"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The edit is committed by a queued call.
    EXPECT_TRUE(QTest::qWaitFor([this] { return ShelfDirectory("Music"); }, 5000));
    EXPECT_FALSE(ShelfDirectory("Shelf"));
}

TEST_F(RenameTest, EscapeEndsTheEditWithoutRenaming)
{
    QLineEdit* editor = StartRename(0);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Music"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ShelfDirectory("Shelf"));
    EXPECT_FALSE(ShelfDirectory("Music"));
}

// The printout, on a PDF printer.
class ListPrinterTest : public ViewsFixture {
protected:
    void SetUp() override
    {
        ViewsFixture::SetUp();
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
        pdf_ = QString::fromStdString(TestPath("out/list.pdf"));
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setOutputFileName(pdf_);
    }
    CViewList& ListOf(const std::vector<TestEntry>& entries, int columns)
    {
        WriteCatalog(CatalogDirectory() + "/00000001.pld", TestVolume{}, entries);
        folder_ = CatalogFolder();
        view_ = ViewOf(*folder_);
        window_ = Open(*view_);
        CViewList& list = window_->List();
        // More columns than the view has, as the search results have.
        static constexpr UINT kHeadings[] = {2005, 2006, 2007, 2012, 2013, 2014, 2015};
        for (int n = list.ColumnCount(); n < columns; ++n)
            list.InsertColumn("PrintTest", n, kHeadings[n - 5]);
        return list;
    }
    QString Run(const QString& program, const QStringList& arguments) const
    {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    int PdfPages() const
    {
        const QString info = Run(QStringLiteral("pdfinfo"), {pdf_});
        const qsizetype at = info.indexOf(QStringLiteral("Pages:"));
        return at < 0 ? -1 : info.mid(at + 6).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    }
    QString PdfText() const
    {
        return Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf_, QStringLiteral("-")});
    }

    QString pdf_;
    CViewWnd* window_ = nullptr;
    QPrinter printer_{QPrinter::HighResolution};
    ComPtr<IShellFolder> folder_;
    ComPtr<IShellView> view_;
};

TEST_F(ListPrinterTest, TwelveColumnsPrintTheTenLeftmostUnderTheHeading)
{
    CViewList& list = ListOf({File("report.txt", 2048)}, 12);
    ASSERT_EQ(list.ColumnCount(), 12);
    // Column 11 moved to the front: it is printed, and column 9 (now
    // eleventh) is not.
    QHeaderView* header = list.DetailsFace()->header();
    header->moveSection(header->visualIndex(11), 0);
    EXPECT_EQ(CListPrinter(list).Print(printer_), 1);
    EXPECT_EQ(PdfPages(), 1);
    const QString text = PdfText();
    EXPECT_TRUE(text.contains(QStringLiteral("Pellidor 1.5c"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("report.txt"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Created"))); // column 11
    EXPECT_FALSE(text.contains(QStringLiteral("Maximum"))); // column 9, now eleventh
    EXPECT_FALSE(text.contains(QStringLiteral("Access"))); // column 10
}

// Answers the print dialog as a user printing to a PDF file does: the
// file printer chosen, the file named, OK. Any other dialog is closed and
// noted.
class PrintDialogAnswer : public QObject {
public:
    explicit PrintDialogAnswer(QString file) : file_(std::move(file))
    {
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { Answer(); });
        timer_.start(10);
    }
    bool printerOffered = false;
    QStringList others; // the titles of other dialogs

private:
    void Answer()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        auto* print = qobject_cast<QPrintDialog*>(dialog);
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        const int pdf = printers != nullptr ? printers->findText(QStringLiteral("Print to File (PDF)")) : -1;
        if (print == nullptr || file == nullptr || buttons == nullptr || pdf < 0 || printerOffered) {
            others << dialog->windowTitle();
            dialog->reject();
            return;
        }
        printerOffered = true;
        printers->setCurrentIndex(pdf);
        file->setText(file_);
        buttons->button(QDialogButtonBox::Ok)->click();
    }

    QString file_;
    QTimer timer_;
};

TEST_F(ListPrinterTest, PrintCommandPrintsThroughTheDialogToTheFileChosenThere)
{
    CViewList& list = ListOf({File("report.txt", 2048), File("notes.txt")}, 5);
    const QString chosen = QString::fromStdString(TestPath("chosen/list.pdf"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(chosen).path()));
    PrintDialogAnswer answer(chosen);
    platform::ui::SendMessage(window_, WM_COMMAND, kCmdPrint, 0);
    EXPECT_TRUE(answer.printerOffered);
    EXPECT_TRUE(answer.others.isEmpty()) << answer.others.join(QLatin1Char(',')).toStdString();
    pdf_ = chosen;
    EXPECT_EQ(PdfPages(), 1);
    const QString text = PdfText();
    EXPECT_TRUE(text.contains(QStringLiteral("Pellidor 1.5c"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Total Size")));
    EXPECT_LT(text.indexOf(QStringLiteral("notes.txt")), text.indexOf(QStringLiteral("report.txt")));
    EXPECT_EQ(list.ItemCount(), 2);
}

TEST_F(ListPrinterTest, ManyRowsGoOnMorePagesEachWithItsNumber)
{
    std::vector<TestEntry> entries;
    for (int i = 0; i < 200; ++i)
        entries.push_back(File("item" + std::to_string(1000 + i)));
    CViewList& list = ListOf(entries, 5);
    const int pages = CListPrinter(list).Print(printer_);
    EXPECT_GT(pages, 1);
    EXPECT_EQ(PdfPages(), pages);
    EXPECT_TRUE(PdfText().contains(QStringLiteral("item1199")));
}

TEST_F(ListPrinterTest, AnEmptyListPrintsNoPage)
{
    CViewList& list = ListOf({}, 5);
    EXPECT_EQ(CListPrinter(list).Print(printer_), 0);
    EXPECT_FALSE(QFileInfo::exists(pdf_));
}

TEST_F(ListPrinterTest, ARowTallerThanAPageIsCutAndPrintingEnds)
{
    std::string words;
    for (int i = 0; i < 120; ++i)
        words += "w ";
    CViewList& list = ListOf({File(words + "1"), File(words + "2"), File("short")}, 5);
    QHeaderView* header = list.DetailsFace()->header();
    header->resizeSection(0, 1);
    for (int n = 1; n < 5; ++n)
        header->resizeSection(n, 4000);
    const int pages = CListPrinter(list).Print(printer_);
    EXPECT_GE(pages, 2);
    EXPECT_LE(pages, 3);
    EXPECT_EQ(PdfPages(), pages);
}

} // namespace
} // namespace pellidor::test
