// pellidor read [--gui] PATH: reads a drive root or any folder into a new
// catalog, on the terminal or under the reading dialog (for the file
// managers' Add to Pellidor).

#include "catalog/CatFile.h"
#include "cli/Commands.h"
#include "platform/system/Drives.h"
#include "platform/system/Errors.h"
#include "platform/ui/MessageBox.h"
#include "reader/ReadProgress.h"
#include "reader/ReadProgressDialog.h"
#include "reader/ReadThread.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace pellidor::cli {

namespace {

// At most this many terminal updates a second: the reader shows every
// folder, far more often than anyone can read.
constexpr int kUpdateMilliseconds = 100;

class CliProgress final : public CReadProgress {
public:
    std::atomic<bool> interrupted{false};
};

std::atomic<CliProgress*> gProgress{nullptr};

extern "C" void OnStopSignal(int)
{
    // Only atomic stores: safe in a signal handler.
    if (CliProgress* progress = gProgress.load()) {
        progress->interrupted.store(true);
        progress->SetCancelled();
    }
}

// Ctrl-C and SIGTERM cancel the reading for as long as the object lives.
class StopSignals {
public:
    explicit StopSignals(CliProgress& progress)
    {
        gProgress.store(&progress);
        struct sigaction action { };
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~StopSignals()
    {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
        gProgress.store(nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction oldInt_ { };
    struct sigaction oldTerm_ { };
};

int TerminalWidth()
{
    winsize size{};
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20 ? size.ws_col : 80;
}

// One status line on stderr, rewritten in place.
void ShowStatus(const CliProgress& progress, const QElapsedTimer& clock)
{
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    const auto entries = progress.Entries();
    const double rate = seconds > 0 ? static_cast<double>(entries) / seconds : 0.0;
    char counts[96];
    std::snprintf(counts, sizeof counts, "%llu entries, %.0f/s  ", static_cast<unsigned long long>(entries), rate);
    std::string path = progress.CurrentPath();
    const std::size_t room = static_cast<std::size_t>(TerminalWidth()) - 1 - std::string(counts).size();
    if (path.size() > room)
        path = "..." + path.substr(path.size() - (room > 3 ? room - 3 : 0));
    std::fprintf(stderr, "\r\033[K%s%s", counts, path.c_str());
    std::fflush(stderr);
}

// Why the reading cannot start, with what to do about it; empty when it can.
std::string ReasonNotToRead(const std::string& root, const std::string& directory)
{
    if (directory.empty())
        return "no catalog directory is set; set one with 'pellidor catdir DIR'";
    if (!QFileInfo(QString::fromStdString(directory)).isDir())
        return "the catalog directory '" + directory + "' does not exist; create it with 'pellidor catdir " + directory
            + "'";
    platform::system::VolumeInformation info;
    if (!platform::system::GetVolumeInformation(root, info)) {
        const DWORD error = platform::system::GetLastError();
        if (error == platform::system::ERROR_NOT_READY)
            return "the drive '" + root + "' is not ready; insert a medium and try again";
        if (error == platform::system::ERROR_PATH_NOT_FOUND || error == platform::system::ERROR_FILE_NOT_FOUND)
            return "'" + root + "' does not exist; give a drive root or a folder";
    }
    if (!QFileInfo(QString::fromStdString(root)).isDir())
        return "'" + root + "' is not a folder; give a drive root or a folder";
    return {};
}

// From a file manager nobody sees stderr: with the dialog, the reason is
// shown in a box as well.
int CheckBeforeReading(const std::string& root, const std::string& directory, bool gui)
{
    const std::string reason = ReasonNotToRead(root, directory);
    if (reason.empty())
        return 0;
    if (gui)
        platform::ui::MessageBox(nullptr, reason, "Pellidor", platform::ui::MB_OK | platform::ui::MB_ICONERROR);
    return Fail(reason);
}

int Report(
    const CReadThread& thread, const CliProgress& progress, const std::string& root, const std::string& directory)
{
    if (!thread.CatalogPath().empty()) {
        std::printf("%s\n", thread.CatalogPath().c_str());
        return 0;
    }
    if (progress.interrupted.load())
        return Fail("reading cancelled; no catalog was made", 130);
    const DWORD error = thread.Error();
    const std::string reason = error != 0 ? platform::system::ErrorMessage(error) : std::string("unknown error");
    if (error == platform::system::ERROR_NOT_READY)
        return Fail("the drive '" + root + "' is not ready; insert a medium and try again");
    if (progress.IsCancelled())
        return Fail(
            "writing the catalog in '" + directory + "' failed (" + reason + "); free some space there and try again");
    return Fail(
        "cannot create a catalog in '" + directory + "' (" + reason + "); check that the directory is writable");
}

int ReadOnTerminal(const std::string& root, const std::string& directory)
{
    CliProgress progress;
    StopSignals signals(progress);
    QEventLoop loop;
    CReadThread thread;
    thread.SetRoot(root);
    // Queued into this thread's event loop: the reader never waits for us.
    thread.SetProgress(
        &progress, [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });

    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    QElapsedTimer clock;
    clock.start();
    QTimer status;
    if (terminal) {
        QObject::connect(&status, &QTimer::timeout, &loop, [&] { ShowStatus(progress, clock); });
        status.start(kUpdateMilliseconds);
    }
    thread.start();
    loop.exec();
    thread.wait();
    status.stop();
    if (terminal)
        std::fputs("\r\033[K", stderr);
    return Report(thread, progress, root, directory);
}

// The same reader under the dialog the drive menu shows; the dialog tells
// the shelf when the reading ends.
int ReadInDialog(const std::string& root)
{
    CReadProgressDialog dialog(root);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    const std::string catalog = dialog.Reader().CatalogPath();
    if (!accepted || catalog.empty())
        return Fail(accepted ? "no catalog was made of '" + root + "'" : "reading cancelled; no catalog was made");
    std::printf("%s\n", catalog.c_str());
    return 0;
}

} // namespace

int RunRead(const Arguments& arguments)
{
    Arguments paths;
    bool gui = false;
    for (const std::string& argument : arguments) {
        if (argument == "--gui")
            gui = true;
        else
            paths.push_back(argument);
    }
    if (paths.size() != 1 || paths[0].empty())
        return Fail("usage: pellidor read [--gui] PATH", 2);
    const std::string root = paths[0];
    const std::string directory = CCatFile::CatalogDirectory();
    if (const int status = CheckBeforeReading(root, directory, gui))
        return status;
    return gui ? ReadInDialog(root) : ReadOnTerminal(root, directory);
}

bool WantsWindowSystem(const std::string& command, const Arguments& arguments)
{
    return command == "read" && std::find(arguments.begin(), arguments.end(), "--gui") != arguments.end();
}

} // namespace pellidor::cli
