// The catalog reader under libFuzzer: every input is a catalog file. It is
// opened, its header texts and icons are read, and every list reachable from
// the root is read, each once, as the export, the statistics, the search and
// dump walk them. What the sanitizers watch for: reads outside the file or
// a buffer, undefined behaviour, leaks; what the walk adds: it must end.

#include "catalog/CatFile.h"
#include "catalog/ListWalkGuard.h"
#include "platform/ui/Icon.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace pellidor;

// One in-memory file holds each input in turn; CCatFile opens it by path
// like any catalog.
struct InputFile {
    int fd = -1;
    std::string path;
};

const InputFile& Input()
{
    static const InputFile input = [] {
        InputFile made;
        made.fd = memfd_create("catalog", 0);
        if (made.fd < 0)
            std::abort();
        made.path = "/proc/self/fd/" + std::to_string(made.fd);
        return made;
    }();
    return input;
}

void StoreInput(const std::uint8_t* data, std::size_t size)
{
    const int fd = Input().fd;
    if (ftruncate(fd, 0) != 0 || (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)))
        std::abort();
}

// The header's texts and the icons; false when the file is no catalog.
bool ReadHeaderAndIcons(const std::string& path, CatHeader& header)
{
    CCatFile file;
    if (!file.Open(path, CCatFile::OpenMode::Read))
        return false;
    header = file.Header();
    const std::size_t texts = file.GetVolumeLabel().size() + file.GetUserName().size() + file.GetFileSystemName().size()
        + file.GetContent().size();
    if (texts > 4 * 256)
        std::abort(); // a text ran past its field
    HICON large = nullptr;
    HICON small = nullptr;
    file.ReadIcons(&large, &small);
    platform::ui::DestroyIcon(large);
    platform::ui::DestroyIcon(small);
    return true;
}

void WalkLists(const std::string& path, const CatHeader& header, std::size_t fileSize)
{
    const CatalogReadScope keepOpen(path);
    CListWalkGuard guard(header.RootListOffset);
    std::vector<DWORD> pending{kRootList};
    while (!pending.empty()) {
        const DWORD offset = pending.back();
        pending.pop_back();
        if (!guard.Enter(offset))
            continue;
        CCatFile file;
        file.SetPath(path);
        CatRecord record;
        std::size_t entries = 0;
        for (bool more = file.ReadFirst(offset, &record); more; more = file.ReadNext(&record)) {
            // No more entries than the file has bytes for, and none whose
            // name runs past its buffer.
            if (++entries * 21 > fileSize || std::strlen(record.Name) > 255)
                std::abort();
            if (record.IsFolder())
                pending.push_back(record.Size);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    StoreInput(data, size);
    CatHeader header;
    if (ReadHeaderAndIcons(Input().path, header))
        WalkLists(Input().path, header, size);
    return 0;
}
