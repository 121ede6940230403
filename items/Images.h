#pragma once
// CImages: the one pair of image lists (32 and 16 pixels) that every view,
// page and dialog draws items with. The same index names the same picture in
// both lists. The six fixed pictures come first; file-type icons and the
// drive icons stored in catalogs are appended on first request and
// remembered for the module's lifetime, so each is fetched only once.
//
// Takes no lock: used from the user-interface thread only.

#include "platform/com/Types.h"
#include "platform/ui/ImageList.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace pellidor {

// The fixed pictures, in the order of the bitmap strips.
enum FixedImage : int {
    kImageDocument = 0, // a file whose name has no extension
    kImageFolder = 1, // catalogued folders and shelf folders
    kImageMascotFolder = 2,
    kImageBrokenCatalog = 3, // a catalog that cannot be read or holds no icon
    kImageShelfRoot = 4,
    kImageMediaBox = 5,
    kFixedImageCount
};

class CImages {
public:
    // The icon of a file type: the file's `name` (never touched on disk) and
    // the size in pixels; a null image when there is none.
    using FileTypeIconSource = std::function<QImage(const std::string& name, int size)>;

    // An empty pair; the module uses Instance(), tests make their own.
    CImages();
    CImages(const CImages&) = delete;
    CImages& operator=(const CImages&) = delete;

    // The module-wide instance, with the fixed pictures loaded.
    static CImages& Instance();

    // Fills both lists with the fixed pictures when they are empty; later
    // calls do nothing.
    void LoadFixedImages();

    // Owned by this object; the fixed pictures are loaded on first use.
    platform::ui::ImageList& LargeList();
    platform::ui::ImageList& SmallList();

    int FolderIndex() const { return kImageFolder; }
    // By the extension (last dot of the last path component, dot included,
    // letter case kept); 0 for a name without one or a type without an icon.
    int IndexForFileName(const std::string& nameOrPath);
    // By the drive icons stored in the catalog at `catalogPath`;
    // kImageBrokenCatalog (not remembered) when they cannot be read.
    int IndexForCatalog(const std::string& catalogPath);

    // Each out icon may be null; each icon handed out is new and owned by
    // the caller (platform::ui::DestroyIcon). False only for an index that
    // names no image.
    bool IconsForFileName(const std::string& nameOrPath, HICON* large, HICON* small);
    bool IconsForCatalog(const std::string& catalogPath, HICON* large, HICON* small);
    bool IconsForIndex(int index, HICON* large, HICON* small);
    bool FolderIcons(HICON* large, HICON* small);

    // Where file-type icons come from: the platform's file information by
    // default; null restores it. Each call of the source counts as one
    // request to the platform.
    void SetFileTypeIconSource(FileTypeIconSource source);
    int FileTypeIconRequests() const { return fileTypeRequests_; }

    // The extension as a path splitter gives it: from the last dot of the
    // last component, dot included; empty when there is none.
    static std::string ExtensionOf(const std::string& nameOrPath);

private:
    QImage FileTypeIcon(const std::string& name, int size);
    int AppendPair(HICON large, HICON small);

    // Extensions and catalog paths → index; compared exactly, never removed.
    std::map<std::string, std::uint16_t> iconMap_;
    platform::ui::ImageList large_{32};
    platform::ui::ImageList small_{16};
    FileTypeIconSource source_;
    int fileTypeRequests_ = 0;
};

} // namespace pellidor
