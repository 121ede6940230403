// Times searches from the Find window over the shelf of the environment's
// catalog directory (HOME, XDG_DATA_HOME, ... as find_bench.py sets them):
//
//   search_window_bench TEXT [RUNS] [--hold SECONDS]
//
// For each run: Find Now with TEXT typed, then the time until the search has
// ended and every result is listed; meanwhile a 10 ms timer on the window's
// thread records the longest gap between two of its ticks (how long the
// window could not answer). Prints one line per run and the process's peak
// resident memory. --hold keeps the window open afterwards, for a picture.

#include "search/HistoryComboBox.h"
#include "search/SearchDialog.h"
#include "search/SearchPageName.h"
#include "views/ViewList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <string>

namespace {

constexpr int kTickMs = 10;

long PeakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

struct Run {
    double seconds = 0;
    double longestGapMs = 0;
    int results = 0;
};

Run SearchOnce(pellidor::CSearchDialog& dialog)
{
    Run run;
    QEventLoop loop;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        run.longestGapMs = std::max(run.longestGapMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
        if (!dialog.IsSearching())
            loop.quit();
    });
    clock.start();
    sinceTick.start();
    tick.start(kTickMs);
    dialog.FindNowButton()->click();
    loop.exec();
    run.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    run.results = dialog.Results()->ItemCount();
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s TEXT [RUNS] [--hold SECONDS]\n", argv[0]);
        return 2;
    }
    int runs = 1;
    int holdSeconds = 0;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hold") == 0 && i + 1 < argc)
            holdSeconds = std::atoi(argv[++i]);
        else
            runs = std::max(1, std::atoi(argv[i]));
    }
    pellidor::CSearchDialog dialog;
    dialog.resize(dialog.size() * 3 / 2);
    if (const QScreen* screen = dialog.screen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    dialog.show();
    QApplication::processEvents();
    auto* page = static_cast<pellidor::CSearchPageName*>(dialog.Page(pellidor::CSearchDialog::kPageName));
    page->NameBox()->setEditText(QString::fromLocal8Bit(argv[1]));
    for (int i = 0; i < runs; ++i) {
        const Run run = SearchOnce(dialog);
        std::printf(
            "run %d: %d results, %.3f s, longest gap %.1f ms\n", i + 1, run.results, run.seconds, run.longestGapMs);
        std::fflush(stdout);
    }
    std::printf("peak resident memory: %.1f MB\n", static_cast<double>(PeakKiB()) / 1024.0);
    // What the results and the rest still hold, against what the allocator
    // keeps from the process's peak.
    const struct mallinfo2 heap = mallinfo2();
    std::printf("heap in use after the last run: %.1f MB of %.1f MB the allocator holds\n",
        static_cast<double>(heap.uordblks + heap.hblkhd) / 1048576.0,
        static_cast<double>(heap.arena + heap.hblkhd) / 1048576.0);
    if (holdSeconds > 0) {
        QTimer::singleShot(holdSeconds * 1000, &app, &QApplication::quit);
        app.exec();
    }
    return 0;
}
