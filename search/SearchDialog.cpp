#include "search/SearchDialog.h"

#include "items/CatItem.h"
#include "pages/DialogControls.h"
#include "pages/PathLine.h"
#include "platform/ui/DialogUnits.h"
#include "search/SearchEngine.h"
#include "search/SearchPageDate.h"
#include "search/SearchPageName.h"
#include "search/SearchPageOptions.h"
#include "ui_SearchDialog.h"
#include "views/ViewList.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QMovie>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include <array>
#include <chrono>
#include <utility>

namespace pellidor {

namespace {

constexpr int kAnimationId = 1015;
// The result columns: the item's columns 0 to 6 with their headings.
constexpr std::array<UINT, 7> kColumnHeadings = {2001, 2003, 2002, 2004, 2009, 2017, 2018};
// The folder being searched changes far more often than anyone can read it;
// the latest one is shown at this pace.
constexpr int kPathMilliseconds = 50;
// Results found meanwhile join the list together, so that a search with
// many matches does not redraw the list for every one. Each insertion lays
// the whole list out again, so a longer list takes them less often: one
// more millisecond per 2,000 entries keeps that work a small share of the
// window's time however many results come.
constexpr int kListMilliseconds = 40;
constexpr int kEntriesPerExtraMillisecond = 2000;
// The worker hands results over in batches: a wait for the dialog's thread
// costs two thread switches, far more than finding a result. A batch goes
// when it is full or when its first result has waited this long.
constexpr std::size_t kBatchResults = 256;
constexpr std::chrono::milliseconds kBatchAge{30};

} // namespace

void RunSearchDialog()
{
    CSearchDialog dialog;
    dialog.RunModal();
}

CSearchDialog::CSearchDialog(QWidget* owner, Clock clock)
    : QDialog(owner)
    , ui_(std::make_unique<Ui::SearchDialog>())
    , clock_(clock)
    , criteria_(clock)
{
    ui_->setupUi(this);
    platform::ui::MapDialogGeometry(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);
    MakePages();
    InitDialog();
}

CSearchDialog::~CSearchDialog()
{
    // Also when the dialog ended otherwise or never ran: no worker outlives
    // its owner, and the list lets go of its entries before their items.
    WaitForSearch();
    DeleteResults();
}

void CSearchDialog::MakePages()
{
    tabs_ = new QTabWidget(this);
    tabs_->setGeometry(ui_->id1001->geometry());
    const std::array<CSearchPage*, 3> pages = {new CSearchPageName(criteria_, tabs_),
        new CSearchPageDate(criteria_, tabs_), new CSearchPageOptions(criteria_, tabs_)};
    for (CSearchPage* page : pages) {
        // The page's template is in dialog units; the tab then sizes it.
        platform::ui::MapDialogGeometry(page);
        page->setMinimumSize(0, 0);
        page->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        page->SetShowHandler([this](CSearchPage& shown) { tabs_->setCurrentWidget(&shown); });
        tabs_->addTab(page, page->Caption());
        pages_.push_back(page);
    }
    tabs_->setCurrentIndex(kPageName);
    // The tab order runs from the buttons into the pages and on to the list.
    setTabOrder(ui_->id1025, tabs_);
    setTabOrder(tabs_, ui_->id1002);
}

void CSearchDialog::InitDialog()
{
    // Any size from the first one up.
    initialSize_ = size();
    setMinimumSize(initialSize_);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    listRect_ = ui_->id1002->geometry();
    pathRect_ = ui_->id1022->geometry();

    animation_ = new QMovie(QStringLiteral(":/pellidor/images/%1.gif").arg(kAnimationId), QByteArray(), this);
    ui_->id1000->setMovie(animation_);
    animation_->jumpToFrame(0);

    CViewList* list = ui_->id1002;
    FOLDERSETTINGS settings;
    settings.ViewMode = FVM_DETAILS;
    list->Create(settings);
    for (std::size_t column = 0; column < kColumnHeadings.size(); ++column)
        list->InsertColumn(kColumnSection, static_cast<int>(column), kColumnHeadings[column]);
    list->SetLabelEditing(false);
    list->SetOpenHandler([this](CCatItem& item) { OpenResult(item); });

    connect(ui_->id1032, &QPushButton::clicked, this, [this] { HandleMessage(WM_COMMAND, kFindNowId, 0); });
    connect(ui_->id1023, &QPushButton::clicked, this, [this] { HandleMessage(WM_COMMAND, kStopId, 0); });
    connect(ui_->id1025, &QPushButton::clicked, this, [this] { HandleMessage(WM_COMMAND, kNewSearchId, 0); });
    connect(ui_->id2, &QPushButton::clicked, this, [this] { HandleMessage(WM_COMMAND, kIdCancel, 0); });

    listTimer_ = new QTimer(this);
    listTimer_->setSingleShot(true);
    connect(listTimer_, &QTimer::timeout, this, &CSearchDialog::ListPendingResults);
    pathTimer_ = new QTimer(this);
    pathTimer_->setInterval(kPathMilliseconds);
    connect(pathTimer_, &QTimer::timeout, this, &CSearchDialog::ShowLatestPath);

    setWindowIcon(ModuleIcon());
    if (const QScreen* desktop = screen())
        move(desktop->availableGeometry().center() - rect().center());
    initialized_ = true;
}

int CSearchDialog::RunModal()
{
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    show();
    // The dialog may have ended while it was being shown.
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    return result();
}

CViewList* CSearchDialog::Results() const
{
    return ui_->id1002;
}

CPathLine* CSearchDialog::PathLine() const
{
    return ui_->id1022;
}

CSearchPage* CSearchDialog::Page(int index) const
{
    return index >= 0 && index < static_cast<int>(pages_.size()) ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

QPushButton* CSearchDialog::FindNowButton() const
{
    return ui_->id1032;
}

QPushButton* CSearchDialog::StopButton() const
{
    return ui_->id1023;
}

QPushButton* CSearchDialog::NewSearchButton() const
{
    return ui_->id1025;
}

LRESULT CSearchDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND)
        return 0;
    switch (static_cast<int>(wParam & 0xFFFF)) {
    case kFindNowId:
        StartSearch();
        break;
    case kStopId:
    case kIdOk:
        EndOfSearch();
        break;
    case kNewSearchId:
        NewSearch();
        break;
    case kIdCancel:
        reject();
        break;
    default:
        break;
    }
    return 0;
}

void CSearchDialog::StartSearch()
{
    if (searching_ || closing_)
        return;
    // Only the pages the user opened hold values; one that refuses a value
    // has said why, and the search does not start.
    for (CSearchPage* page : pages_) {
        if (!page->SaveData())
            return;
    }
    criteria_.NamePattern = MakeNamePattern(criteria_.NamePattern);
    MakeDefault(ui_->id1023, ui_->id1032);
    DeleteResults();
    animation_->start();
    stopRequested_.store(false);
    ++searchNumber_;
    searching_ = true;
    worker_.Setup(this, criteria_);
    worker_.start();
    pathTimer_->start();
}

void CSearchDialog::EndOfSearch()
{
    // Taken once: an end that arrives while this one waits is the same end.
    searching_ = false;
    WaitForSearch();
    ListPendingResults();
    pathTimer_->stop();
    ShowLatestPath();
    MakeDefault(ui_->id1032, ui_->id1023);
    animation_->stop();
    animation_->jumpToFrame(0);
}

void CSearchDialog::NewSearch()
{
    EndOfSearch();
    DeleteResults();
}

void CSearchDialog::MakeDefault(QPushButton* button, QPushButton* other)
{
    other->setDefault(false);
    other->setEnabled(false);
    button->setEnabled(true);
    button->setDefault(true);
    button->setFocus();
}

void CSearchDialog::WaitForSearch()
{
    if (!worker_.isRunning())
        return;
    stopRequested_.store(true);
    worker_.WaitProcessingEvents();
    searching_ = false;
}

void CSearchDialog::reject()
{
    if (closing_)
        return;
    closing_ = true;
    WaitForSearch();
    QDialog::reject();
}

void CSearchDialog::closeEvent(QCloseEvent* event)
{
    // The dialog ends by done(), which does not come here again.
    event->ignore();
    if (closing_)
        return;
    closing_ = true;
    WaitForSearch();
    Results()->SaveColumns(kColumnSection);
    DeleteResults();
    done(QDialog::Rejected);
}

void CSearchDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (!initialized_)
        return;
    // The list grows with the window and the path line stays below it;
    // both keep their distances from the right and bottom edges.
    const QSize grown = event->size() - initialSize_;
    ui_->id1002->setGeometry(listRect_.adjusted(0, 0, grown.width(), grown.height()));
    ui_->id1022->setGeometry(pathRect_.translated(0, grown.height()).adjusted(0, 0, grown.width(), 0));
}

bool CSearchDialog::IsStopRequested() const
{
    return stopRequested_.load();
}

void CSearchDialog::SetPathText(const std::string& text)
{
    {
        const std::lock_guard lock(pathMutex_);
        path_ = text;
        pathChanged_ = true;
    }
    // A new folder: results held back too long go to the list now, even
    // when no further one comes to send them.
    HandOverBatchIfDue();
}

bool CSearchDialog::MatchesCriteria(const SearchCriteria& criteria, CCatItem& item)
{
    return pellidor::MatchesCriteria(criteria, item, clock_);
}

bool CSearchDialog::AddResult(CCatItem& item)
{
    if (IsStopRequested())
        return false;
    const auto now = std::chrono::steady_clock::now();
    if (batch_.empty())
        batchStarted_ = now;
    batch_.push_back(platform::com::ComPtr<CCatItem>::AddRefed(&item));
    if (batch_.size() >= kBatchResults || now - batchStarted_ >= kBatchAge)
        HandOverBatch();
    return true;
}

void CSearchDialog::HandOverBatchIfDue()
{
    if (!batch_.empty() && std::chrono::steady_clock::now() - batchStarted_ >= kBatchAge)
        HandOverBatch();
}

void CSearchDialog::HandOverBatch()
{
    if (batch_.empty())
        return;
    std::vector<platform::com::ComPtr<CCatItem>> batch;
    batch.swap(batch_);
    // Waits for the dialog's thread, which never waits for this one without
    // handling its events.
    QMetaObject::invokeMethod(
        this, [this, &batch] { InsertResults(batch); }, Qt::BlockingQueuedConnection);
}

void CSearchDialog::PostEndOfSearch()
{
    // The last results go as every batch does; the end is queued without
    // waiting, since the dialog may be waiting for this thread.
    HandOverBatch();
    const unsigned number = searchNumber_;
    QMetaObject::invokeMethod(
        this,
        [this, number] {
            if (searching_ && number == searchNumber_.load())
                HandleMessage(WM_COMMAND, kIdOk, 0);
        },
        Qt::QueuedConnection);
}

void CSearchDialog::InsertResults(std::vector<platform::com::ComPtr<CCatItem>>& batch)
{
    // What a stop overtook is dropped, as if found after it.
    if (IsStopRequested())
        return;
    for (platform::com::ComPtr<CCatItem>& item : batch) {
        pending_.push_back(item.Get());
        results_.push_back(std::move(item));
    }
    if (!listTimer_->isActive())
        listTimer_->start(kListMilliseconds + Results()->ItemCount() / kEntriesPerExtraMillisecond);
}

void CSearchDialog::ListPendingResults()
{
    listTimer_->stop();
    if (pending_.empty())
        return;
    Results()->InsertItems(pending_);
    pending_.clear();
}

void CSearchDialog::DeleteResults()
{
    ListPendingResults();
    Results()->DeleteAllItems();
    results_.clear();
}

void CSearchDialog::ShowLatestPath()
{
    std::string path;
    {
        const std::lock_guard lock(pathMutex_);
        if (!pathChanged_)
            return;
        pathChanged_ = false;
        path = path_;
    }
    PathLine()->ShowPath(path);
}

void CSearchDialog::OpenResult(CCatItem& item)
{
    CMINVOKECOMMANDINFO info;
    info.hwnd = nullptr;
    info.lpVerb = MAKEINTRESOURCEA(0);
    info.nShow = SW_SHOWNORMAL;
    item.OnOpen(&info);
}

} // namespace pellidor
