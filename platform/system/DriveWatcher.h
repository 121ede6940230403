#pragma once
// Tells when a volume arrives: a root that was not ready (or not there) now
// has a medium (a new mount in the mount table, a disc inserted; with a drive
// table, the file changed so that a root became ready). The device-change
// message of the platform, as a Qt signal on the watcher's thread.

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace platform::system {

class DriveWatcher : public QObject {
    Q_OBJECT
public:
    explicit DriveWatcher(QObject* parent = nullptr);
    ~DriveWatcher() override;

Q_SIGNALS:
    // `root` is a drive root as GetLogicalDriveRoots gives it.
    void VolumeArrived(const QString& root);

private:
    void Rescan();

    QStringList readyRoots_;
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace platform::system
