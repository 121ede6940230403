#include "platform/system/DriveWatcher.h"

#include "platform/system/Drives.h"

#include <QFileSystemWatcher>
#include <QTimer>

#include <cstdlib>

namespace platform::system {

namespace {

// Mount changes and drive-table edits are caught by the file watcher at once;
// the poll covers what no watcher reports (a disc mounted by another
// namespace, a table file replaced before the watcher re-armed).
constexpr int kPollMilliseconds = 1000;

QStringList ReadyRoots()
{
    QStringList ready;
    for (const auto& root : GetLogicalDriveRoots()) {
        VolumeInformation info;
        if (GetVolumeInformation(root, info))
            ready.append(QString::fromStdString(root));
    }
    return ready;
}

QString WatchedFile()
{
    const char* table = std::getenv("PELLIDOR_DRIVES");
    return table != nullptr && *table != '\0' ? QString::fromLocal8Bit(table) : QStringLiteral("/proc/self/mounts");
}

} // namespace

struct DriveWatcher::State {
    QTimer poll;
    QFileSystemWatcher files;
    QString watched;
};

DriveWatcher::DriveWatcher(QObject* parent)
    : QObject(parent)
    , readyRoots_(ReadyRoots())
    , state_(std::make_unique<State>())
{
    state_->watched = WatchedFile();
    state_->files.addPath(state_->watched);
    connect(&state_->files, &QFileSystemWatcher::fileChanged, this, [this] { Rescan(); });
    connect(&state_->poll, &QTimer::timeout, this, [this] { Rescan(); });
    state_->poll.start(kPollMilliseconds);
}

DriveWatcher::~DriveWatcher() = default;

void DriveWatcher::Rescan()
{
    // A table written by replacing the file drops out of the watch list.
    if (!state_->files.files().contains(state_->watched))
        state_->files.addPath(state_->watched);
    const QStringList now = ReadyRoots();
    QStringList arrived;
    for (const auto& root : now) {
        if (!readyRoots_.contains(root))
            arrived.append(root);
    }
    readyRoots_ = now;
    for (const auto& root : arrived)
        Q_EMIT VolumeArrived(root);
}

} // namespace platform::system
