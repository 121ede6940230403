#pragma once
// CReadThread reads one volume into a new catalog in the catalog directory
// while its owner (the reading-progress dialog, or the command-line tool)
// stays responsive. It runs CCatFile::Create with the owner's progress
// object and then posts OK exactly once, whatever the outcome: the owner
// learns the result from what is on disk, never from the thread.
//
// The OK is whatever the owner hands to SetProgress: a dialog hands
// PostOkTo(itself), which queues WM_COMMAND IDOK on its window; the
// command-line tool hands a queued call into its event loop. It runs on the
// reader thread and must only post, never wait for the owner, so the owner's
// wait for the thread's end cannot deadlock.

#include "catalog/CatFile.h"
#include "platform/com/Types.h"

#include <QThread>

#include <functional>
#include <string>

namespace pellidor {

class CReadThread : public QThread {
    Q_OBJECT
public:
    using PostOk = std::function<void()>;

    explicit CReadThread(QObject* parent = nullptr);
    ~CReadThread() override;

    // Both before start(). The progress object and whatever PostOk reaches
    // must outlive the thread.
    void SetProgress(IReadProgress* progress, PostOk postOk);
    void SetRoot(const std::string& root) { root_ = root; }
    const std::string& Root() const { return root_; }

    // The OK of a dialog: WM_COMMAND IDOK queued on `window`.
    static PostOk PostOkTo(HWND window);

    // After the OK: the catalog that was made (empty when none is left) and
    // the system error of a failed reading (0 when there was none to tell,
    // as for a cancel). For a front end that reports more than the dialog.
    const std::string& CatalogPath() const { return catalogPath_; }
    DWORD Error() const { return error_; }

protected:
    void run() override;

private:
    std::string root_;
    IReadProgress* progress_ = nullptr;
    PostOk postOk_;
    // Written by the reader thread before the OK is posted.
    std::string catalogPath_;
    DWORD error_ = 0;
};

} // namespace pellidor
