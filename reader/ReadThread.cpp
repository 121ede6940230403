#include "reader/ReadThread.h"

#include "platform/system/Errors.h"
#include "platform/ui/Messages.h"

#include <memory>

namespace pellidor {

namespace {

constexpr int kIdOk = 1;

} // namespace

CReadThread::CReadThread(QObject* parent) : QThread(parent)
{
}

CReadThread::~CReadThread()
{
    // The owner waits for the end before it goes; this is the last guard.
    wait();
}

void CReadThread::SetProgress(IReadProgress* progress, PostOk postOk)
{
    progress_ = progress;
    postOk_ = std::move(postOk);
}

CReadThread::PostOk CReadThread::PostOkTo(HWND window)
{
    return [window] { platform::ui::PostCommand(window, kIdOk); };
}

void CReadThread::run()
{
    if (progress_ == nullptr)
        return;
    auto catalog = std::make_unique<CCatFile>();
    // The result is not examined: every outcome ends with the same OK, and
    // Create leaves either a complete catalog or nothing.
    platform::system::SetLastError(0);
    if (catalog->Create(root_, std::string(), *progress_))
        catalogPath_ = catalog->Path();
    else
        error_ = platform::system::GetLastError();
    if (postOk_)
        postOk_();
    catalog.reset();
}

} // namespace pellidor
