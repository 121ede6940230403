#pragma once
// The state the reader thread shares with whoever shows its progress: the
// cancelled flag (set by either side, never cleared), the folder being read
// and the entries written so far. Safe to use from both threads; the user
// interface polls it at its own pace, so the reader never waits for it.

#include "catalog/CatFile.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace pellidor {

class CReadProgress : public IReadProgress {
public:
    bool IsCancelled() const override { return cancelled_.load(std::memory_order_acquire); }
    void SetCancelled() override { cancelled_.store(true, std::memory_order_release); }
    void ShowPath(const std::string& path) override;
    void ShowEntryCount(std::uint64_t entries) override { entries_.store(entries, std::memory_order_relaxed); }

    // A copy of the folder last shown; empty before the first.
    std::string CurrentPath() const;
    std::uint64_t Entries() const { return entries_.load(std::memory_order_relaxed); }
    std::uint64_t Folders() const { return folders_.load(std::memory_order_relaxed); }

protected:
    ~CReadProgress() = default;

private:
    std::atomic<bool> cancelled_{false};
    std::atomic<std::uint64_t> entries_{0};
    std::atomic<std::uint64_t> folders_{0};
    mutable std::mutex pathLock_;
    std::string path_; // guarded by pathLock_
};

} // namespace pellidor
