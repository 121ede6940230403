#pragma once
// Shared pieces of the catalog tests: a world with a catalog directory and a
// drive table, trees on disk, a progress object that records what the walk
// showed, and an independent reader of the raw bytes, so what the writer
// produced is checked without going through CCatFile.

#include "catalog/CatFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace pellidor::test {

class RecordingProgress final : public IReadProgress {
public:
    bool IsCancelled() const override { return cancelled.load(); }
    void SetCancelled() override { cancelled.store(true); }
    void ShowPath(const std::string& path) override
    {
        {
            const std::lock_guard<std::mutex> hold(lock);
            paths.push_back(path);
        }
        if (cancelWhen && cancelWhen(path))
            SetCancelled();
    }

    std::atomic<bool> cancelled{false};
    std::function<bool(const std::string&)> cancelWhen;
    std::mutex lock;
    std::vector<std::string> paths;
};

struct RawEntry {
    std::uint32_t attributes = 0;
    std::int32_t creationTime = 0;
    std::int32_t lastAccessTime = 0;
    std::int32_t lastWriteTime = 0;
    std::uint32_t size = 0;
    std::string name;
};

struct RawList {
    std::uint32_t offset = 0;
    std::vector<RawEntry> entries;
};

// Little-endian reads straight from the bytes.
std::uint32_t U32At(const std::string& bytes, std::size_t at);
// The list at `offset`, parsed from the bytes; fails the test when it runs
// past the end.
RawList ParseList(const std::string& bytes, std::uint32_t offset);

// A version-1 catalog as older writers made it: the 424-byte header, an
// empty icon block, and a root list with one file.
std::string Version1Catalog();

class CatalogTest : public testing::Test {
protected:
    void SetUp() override;

    // Creates `relative` under the tree root (a trailing "/" makes a folder).
    std::string Make(const std::string& relative, const std::string& content = {});
    // The catalog directory is set in the registry.
    void SetCatalogDirectory(const std::string& directory);
    // One drive-table line for the tree root.
    void WriteDriveTable(const std::string& lines);
    // Create into a new catalog; its path, or empty on failure.
    std::string CreateCatalog(const std::string& root, RecordingProgress& progress);
    std::string CreateCatalog(const std::string& root);
    // Every entry of the list at `offset`, read through CCatFile.
    std::vector<CatRecord> ReadList(const std::string& catalog, DWORD offset);
    std::vector<std::string> CatalogFiles() const;

    std::string tree_;
    std::string catalogs_;
};

} // namespace pellidor::test
