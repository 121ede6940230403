// pellidor find: the search of the search dialog, from the command line.
// Results stream out as the worker finds them, in the result list's seven
// columns; the folder being searched shows on stderr when it is a terminal;
// Ctrl-C stops the worker and leaves what was found printed.

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/ShelfSupport.h"

#include "items/ShelfFolder.h"
#include "module/Resources.h"
#include "platform/com/ComPtr.h"
#include "search/SearchEngine.h"
#include "search/SearchOwner.h"
#include "search/SearchThread.h"

#include <QDateTime>
#include <QEventLoop>
#include <QMetaObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <limits>
#include <malloc.h>
#include <mutex>
#include <optional>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace pellidor::cli {

int RunFind(const Arguments& arguments);

namespace {

using platform::com::ComPtr;

constexpr int kStatusIntervalMs = 100;
constexpr int kInterruptedStatus = 130;
constexpr int kTrimThreshold = 128 << 20;

// Set from the signal handler; a lock-free atomic is safe there.
std::atomic<bool> gStopRequested{false};

extern "C" void OnInterrupt(int)
{
    gStopRequested.store(true);
}

// Catches SIGINT for the life of the search, then puts the old handler back.
class InterruptGuard {
public:
    InterruptGuard()
    {
        struct sigaction action { };
        action.sa_handler = OnInterrupt;
        // Restarted, so a write interrupted by the signal is not a failure.
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction previous_ { };
};

struct FindOptions {
    SearchCriteria criteria;
    std::string shelfFolder;
    bool json = false;
};

// The end of `path` within the terminal's width, so that the status line
// never wraps (a wrapped line could not be cleared with one carriage return).
std::string FitToTerminal(const std::string& path)
{
    winsize size{};
    const std::size_t columns
        = ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 8 ? size.ws_col : std::size_t{80};
    if (path.size() < columns)
        return path;
    std::size_t start = path.size() - (columns - 4);
    // Not inside a UTF-8 sequence.
    while (start < path.size() && (static_cast<unsigned char>(path[start]) & 0xC0) == 0x80)
        ++start;
    return "..." + path.substr(start);
}

// The result list's headings: every item column's.
Row Headings()
{
    Row headings;
    for (int column = 0; column < kItemColumnCount; ++column)
        headings.push_back(LoadString(ItemColumnHeadingId(column)));
    return headings;
}

// The CLI side of the search: prints each result as it comes (on the
// worker's thread, under the same lock as the status line), keeps the path
// text for the status line, and ends the event loop when the walk is over.
class FindOwner final : public ISearchOwner {
public:
    FindOwner(bool json, bool showPath, QEventLoop& loop)
        : showPath_(showPath)
        , loop_(loop)
        , writer_(stdout, Headings(), json)
    {
    }

    bool IsStopRequested() const override { return gStopRequested.load() || outputFailed_.load(); }

    void SetPathText(const std::string& text) override
    {
        const std::lock_guard lock(mutex_);
        path_ = text;
        pathChanged_ = true;
    }

    bool MatchesCriteria(const SearchCriteria& criteria, CCatItem& item) override
    {
        return pellidor::MatchesCriteria(criteria, item);
    }

    bool AddResult(CCatItem& item) override
    {
        if (IsStopRequested())
            return false;
        Row row;
        row.reserve(kItemColumnCount);
        for (int column = 0; column < kItemColumnCount; ++column)
            row.push_back(item.GetColumnText(column, false));
        const std::lock_guard lock(mutex_);
        ClearStatusLocked();
        if (!writer_.Write(row)) {
            outputFailed_.store(true);
            return false;
        }
        return true;
    }

    void PostEndOfSearch() override { QMetaObject::invokeMethod(&loop_, "quit", Qt::QueuedConnection); }

    // Before the search starts and after it ended: no other thread writes.
    void PrintHeader()
    {
        if (!writer_.Begin())
            outputFailed_.store(true);
    }
    void PrintFooter()
    {
        if (!writer_.End())
            outputFailed_.store(true);
    }

    // Main thread, from a timer: the folder being searched, on one line.
    void ShowStatus()
    {
        const std::lock_guard lock(mutex_);
        if (!showPath_ || !pathChanged_)
            return;
        pathChanged_ = false;
        ClearStatusLocked();
        if (path_.empty())
            return;
        const std::string shown = FitToTerminal(path_);
        std::fwrite(shown.data(), 1, shown.size(), stderr);
        std::fflush(stderr);
        statusShown_ = true;
    }

    void ClearStatus()
    {
        const std::lock_guard lock(mutex_);
        ClearStatusLocked();
    }

    bool OutputFailed() const { return outputFailed_.load(); }

private:
    void ClearStatusLocked()
    {
        if (!statusShown_)
            return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        statusShown_ = false;
    }

    const bool showPath_;
    QEventLoop& loop_;
    std::atomic<bool> outputFailed_{false};
    // Guards the path text, the status line and stdout (the writer) between
    // the worker (results, path) and the main thread (status line).
    mutable std::mutex mutex_;
    std::string path_;
    bool pathChanged_ = false;
    bool statusShown_ = false;
    TableWriter writer_;
};

// Strict decimal digits within [low, high].
std::optional<std::uint64_t> ParseNumber(const std::string& text, std::uint64_t low, std::uint64_t high)
{
    if (text.empty() || text.size() > 12)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// "YYYY-MM-DD HH:MM" in local time, within the catalog's 32-bit times.
std::optional<std::int32_t> ParseTime(const std::string& text)
{
    const QDateTime time = QDateTime::fromString(QString::fromUtf8(text.c_str()), QStringLiteral("yyyy-MM-dd HH:mm"));
    if (!time.isValid())
        return std::nullopt;
    const qint64 seconds = time.toSecsSinceEpoch();
    if (seconds < std::numeric_limits<std::int32_t>::min() || seconds > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(seconds);
}

// The one name text, as the dialog makes it: "*TEXT*". False for a second.
bool TakeText(const std::string& text, SearchCriteria& criteria, bool& haveText)
{
    if (haveText)
        return false;
    criteria.NamePattern = MakeNamePattern(text);
    haveText = true;
    return true;
}

// Parses the arguments into `options`; the error text when one is wrong.
std::optional<std::string> ParseArguments(const Arguments& arguments, FindOptions& options)
{
    SearchCriteria& criteria = options.criteria;
    bool haveText = false;
    bool haveSize = false;
    bool haveKind = false;
    bool haveRange = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&](std::size_t ahead = 1) -> const std::string* {
            return i + ahead < arguments.size() ? &arguments[i + ahead] : nullptr;
        };
        if (optionsEnded) {
            if (!TakeText(argument, criteria, haveText))
                return "give one name text; quote it if it holds blanks";
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--no-subfolders") {
            criteria.IncludeSubfolders = false;
        } else if (argument == "--in" || argument == "--type") {
            if (value() == nullptr)
                return argument + " needs a value";
            (argument == "--in" ? options.shelfFolder : criteria.TypeExtensions) = *value();
            ++i;
            if (argument == "--type"
                && (criteria.TypeExtensions.empty() || criteria.TypeExtensions.front() == ';'
                    || criteria.TypeExtensions.back() == ';'
                    || criteria.TypeExtensions.find(";;") != std::string::npos))
                return "--type wants extensions joined by ';', such as \".htm;.html\"";
        } else if (argument == "--min" || argument == "--max") {
            if (haveSize)
                return "give either --min or --max, once";
            const auto kb = value() ? ParseNumber(*value(), 0, std::numeric_limits<DWORD>::max()) : std::nullopt;
            if (!kb)
                return argument + " wants a size in kB from 0 to 4294967295";
            criteria.SizeMode = argument == "--min" ? kSizeAtLeast : kSizeAtMost;
            criteria.SizeKB = static_cast<DWORD>(*kb);
            haveSize = true;
            ++i;
        } else if (argument == "--changed" || argument == "--created" || argument == "--accessed") {
            if (haveKind)
                return "give one of --changed, --created, --accessed";
            criteria.DateKind = argument == "--changed" ? kDateChanged
                : argument == "--created"               ? kDateCreated
                                                        : kDateAccessed;
            haveKind = true;
        } else if (argument == "--days" || argument == "--months") {
            if (haveRange)
                return "give one of --between, --days, --months";
            const auto n = value() ? ParseNumber(*value(), kMinDays, kMaxDays) : std::nullopt;
            if (!n)
                return argument + " wants a number from 1 to 999";
            criteria.DateRange = argument == "--days" ? kDateDays : kDateMonths;
            (argument == "--days" ? criteria.Days : criteria.Months) = static_cast<int>(*n);
            haveRange = true;
            ++i;
        } else if (argument == "--between") {
            if (haveRange)
                return "give one of --between, --days, --months";
            std::optional<std::int32_t> from;
            std::optional<std::int32_t> to;
            if (value(2) != nullptr) {
                from = ParseTime(*value(1));
                to = ParseTime(*value(2));
            }
            if (!from || !to)
                return "--between wants two times \"YYYY-MM-DD HH:MM\"";
            if (*from > *to)
                return "--between: the first time is after the second";
            criteria.DateRange = kDateBetween;
            criteria.FromDate = *from;
            criteria.ToDate = *to;
            haveRange = true;
            i += 2;
        } else if (argument == "--") {
            optionsEnded = true; // a text that begins with "-" may follow
        } else if (argument.size() > 1 && argument.front() == '-') {
            return "unknown option '" + argument + "'; see 'pellidor --help'";
        } else if (!TakeText(argument, criteria, haveText)) {
            return "give one name text; quote it if it holds blanks";
        }
    }
    if (haveKind && !haveRange)
        return "--changed, --created and --accessed need --between, --days or --months";
    criteria.DateFilter = haveRange ? 1 : 0;
    return std::nullopt;
}

} // namespace

int RunFind(const Arguments& arguments)
{
    FindOptions options;
    if (const auto error = ParseArguments(arguments, options))
        return Fail("find: " + *error, 2);

    const ComPtr<CShelfFolder> root = OpenShelf();
    if (!root)
        return 1;
    std::string error;
    options.criteria.LookIn = FindShelfFolder(*root, options.shelfFolder, &error);
    if (!options.criteria.LookIn)
        return Fail("find: " + error + "; see 'pellidor shelf'");

    // The walk makes and frees every folder's children. By default the
    // allocator hands freed memory back to the kernel after each large folder
    // and faults it in again for the next, which costs about as much system
    // time as reading the catalogs; the peak stays what it was.
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);

    gStopRequested.store(false);
    const InterruptGuard interruptGuard;
    QEventLoop loop;
    FindOwner owner(options.json, isatty(STDERR_FILENO) != 0, loop);
    owner.PrintHeader();

    QTimer statusTimer;
    QObject::connect(&statusTimer, &QTimer::timeout, [&owner] { owner.ShowStatus(); });
    statusTimer.start(kStatusIntervalMs);

    CSearchThread worker;
    worker.Setup(&owner, options.criteria);
    worker.start();
    // The worker never waits for this thread, so a plain event loop is
    // enough; it ends when the worker posts the end of the walk.
    loop.exec();
    worker.wait();
    statusTimer.stop();
    owner.ClearStatus();
    owner.PrintFooter();
    std::fflush(stdout);

    if (gStopRequested.load())
        return kInterruptedStatus;
    if (owner.OutputFailed() || std::ferror(stdout))
        return Fail("find: cannot write the results");
    return 0;
}

} // namespace pellidor::cli
