#pragma once
// CSearchDialog: the Find window. The user states what to look for on three
// pages (name and location, date, advanced), starts and stops the search and
// watches the matches stream into the result list. The search runs on
// CSearchThread; the dialog is its owner, answering the worker's calls:
//
//   IsStopRequested, MatchesCriteria  on the worker, from an atomic flag and
//                                     the worker's own copy of the criteria
//   SetPathText                       stores the text under a lock (a timer
//                                     shows the latest one) and sends a
//                                     batch that has waited long enough
//   AddResult                         keeps a reference in the worker's
//                                     batch; a full batch, or one whose
//                                     first result has waited long enough,
//                                     goes to the dialog's thread in one
//                                     blocking queued call, which lists it
//   PostEndOfSearch                   hands over the last batch and queues
//                                     the end (the IDOK command)
//
// Because the worker waits for the dialog's thread at each batch, every
// wait of that thread for the worker keeps handling events
// (WaitForSearch), so a Stop, a close or Escape in the middle of an
// insertion never blocks both threads.

#include "platform/com/ComPtr.h"
#include "platform/ui/Messages.h"
#include "search/SearchCriteria.h"
#include "search/SearchOwner.h"
#include "search/SearchThread.h"

#include <QDialog>
#include <QRect>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QMovie;
class QPushButton;
class QTabWidget;
class QTimer;

namespace Ui {
class SearchDialog;
}

namespace pellidor {

class CCatItem;
class CPathLine;
class CSearchPage;
class CViewList;

// Runs the Find window until the user closes it: shown without an owner
// and without blocking other windows, while the caller waits in the
// window's own event loop (the way a modal dialog without an owner runs).
// Needs a running application with widgets.
void RunSearchDialog();

class CSearchDialog : public QDialog, public platform::ui::MessageHandler, private ISearchOwner {
    Q_OBJECT
public:
    // The section of the result list's column settings.
    static constexpr const char* kColumnSection = "SearchDlg";
    static constexpr int kFindNowId = 1032;
    static constexpr int kStopId = 1023;
    static constexpr int kNewSearchId = 1025;
    static constexpr int kPageName = 0;
    static constexpr int kPageDate = 1;
    static constexpr int kPageOptions = 2;

    // `clock` gives "now" for the initial dates and the date test.
    explicit CSearchDialog(QWidget* owner = nullptr, Clock clock = SystemClock);
    ~CSearchDialog() override;

    // Shows the window and returns when it has ended.
    int RunModal();

    // WM_COMMAND: Find Now, Stop, New Search, IDOK (the end of the walk)
    // and IDCANCEL.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Stops a running search and returns when the worker has ended,
    // handling this thread's events meanwhile.
    void WaitForSearch();
    bool IsSearching() const { return searching_; }

    // The criteria as the pages last moved them (the name pattern with its
    // stars once a search started).
    const SearchCriteria& Criteria() const { return criteria_; }
    CViewList* Results() const;
    CPathLine* PathLine() const;
    QTabWidget* Pages() const { return tabs_; }
    CSearchPage* Page(int index) const;
    QPushButton* FindNowButton() const;
    QPushButton* StopButton() const;
    QPushButton* NewSearchButton() const;
    QMovie* Animation() const { return animation_; }
    // The results the dialog holds, listed or about to be.
    int ResultCount() const { return static_cast<int>(results_.size()); }

    // Escape: stops a running search and ends the dialog; the columns are
    // not saved.
    void reject() override;

protected:
    // The close box: stops the search, saves the columns, empties the list
    // and ends the dialog.
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // ISearchOwner, called on the worker's thread.
    bool IsStopRequested() const override;
    void SetPathText(const std::string& text) override;
    bool MatchesCriteria(const SearchCriteria& criteria, CCatItem& item) override;
    bool AddResult(CCatItem& item) override;
    void PostEndOfSearch() override;

    void InitDialog();
    void MakePages();
    void StartSearch();
    void EndOfSearch();
    void NewSearch();
    void MakeDefault(QPushButton* button, QPushButton* other);
    // On the worker's thread: the batch to the dialog's thread, now or
    // when its first result has waited long enough.
    void HandOverBatch();
    void HandOverBatchIfDue();
    // On the dialog's thread: takes the batch's references and lists them
    // soon; nothing after a stop.
    void InsertResults(std::vector<platform::com::ComPtr<CCatItem>>& batch);
    void ListPendingResults();
    void DeleteResults();
    void ShowLatestPath();
    void OpenResult(CCatItem& item);

    std::unique_ptr<Ui::SearchDialog> ui_;
    Clock clock_;
    SearchCriteria criteria_;
    QTabWidget* tabs_ = nullptr;
    std::vector<CSearchPage*> pages_; // children of tabs_
    QMovie* animation_ = nullptr;
    CSearchThread worker_;

    // The layout at initialization: the smallest size, and the result list's
    // and path line's places with their distances from the right and bottom
    // edges, which a resize keeps.
    bool initialized_ = false;
    QRect listRect_;
    QRect pathRect_;
    QSize initialSize_;

    // Written by the dialog's thread, polled by the worker.
    std::atomic<bool> stopRequested_{false};
    // The search the worker's end belongs to: an end queued by an earlier
    // search is not taken for the present one's.
    std::atomic<unsigned> searchNumber_{0};
    bool searching_ = false;
    bool closing_ = false;

    // Dialog's thread only: one reference per result, in the order found;
    // those not yet handed to the list wait in pending_.
    std::vector<platform::com::ComPtr<CCatItem>> results_;
    std::vector<CCatItem*> pending_;
    QTimer* listTimer_ = nullptr;

    // Worker's thread only: the results not yet handed over, and when the
    // first of them was found.
    std::vector<platform::com::ComPtr<CCatItem>> batch_;
    std::chrono::steady_clock::time_point batchStarted_;

    // The worker's latest path, handed over under the lock.
    std::mutex pathMutex_;
    std::string path_;
    bool pathChanged_ = false;
    QTimer* pathTimer_ = nullptr;
};

} // namespace pellidor
