#include "items/Images.h"

#include "catalog/CatFile.h"
#include "platform/shell/FileInfo.h"
#include "platform/ui/Icon.h"

#include <QString>

#include <limits>

namespace pellidor {

namespace {

// The fixed pictures: strips of six images side by side, magenta clear.
const QString kLargeStrip = QStringLiteral(":/pellidor/images/1005.png");
const QString kSmallStrip = QStringLiteral(":/pellidor/images/1006.png");
constexpr QRgb kTransparent = qRgb(255, 0, 255);

platform::ui::IconPtr ToIcon(const QImage& image)
{
    if (image.isNull())
        return nullptr;
    return platform::ui::IconPtr(platform::ui::CreateIcon(platform::ui::IconImage::FromImage(image)));
}

platform::ui::IconPtr ScaledIcon(const platform::ui::IconImage& icon, int size)
{
    return ToIcon(icon.ToImage().scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

} // namespace

CImages::CImages() = default;

CImages& CImages::Instance()
{
    static CImages images;
    images.LoadFixedImages();
    return images;
}

void CImages::LoadFixedImages()
{
    if (large_.Count() != 0)
        return;
    large_.AddMasked(QImage(kLargeStrip), kTransparent);
    small_.AddMasked(QImage(kSmallStrip), kTransparent);
}

platform::ui::ImageList& CImages::LargeList()
{
    LoadFixedImages();
    return large_;
}

platform::ui::ImageList& CImages::SmallList()
{
    LoadFixedImages();
    return small_;
}

std::string CImages::ExtensionOf(const std::string& nameOrPath)
{
    // Both separators: names inside a catalog are "\"-joined, paths here "/".
    const std::size_t slash = nameOrPath.find_last_of("/\\");
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = nameOrPath.rfind('.');
    if (dot == std::string::npos || dot < start)
        return {};
    return nameOrPath.substr(dot);
}

void CImages::SetFileTypeIconSource(FileTypeIconSource source)
{
    source_ = std::move(source);
}

QImage CImages::FileTypeIcon(const std::string& name, int size)
{
    ++fileTypeRequests_;
    if (source_)
        return source_(name, size);
    return platform::shell::GetFileTypeIcon(name, size);
}

int CImages::AppendPair(HICON large, HICON small)
{
    LoadFixedImages();
    const int index = large_.AddIcon(large);
    if (index < 0)
        return -1;
    // The lists grow together so that one index names one picture in both:
    // a missing small picture is made from the large one.
    if (small != nullptr) {
        small_.AddIcon(small);
    } else {
        const platform::ui::IconPtr scaled = ScaledIcon(*large, small_.ImageSize());
        small_.AddIcon(scaled.get());
    }
    return index;
}

int CImages::IndexForFileName(const std::string& nameOrPath)
{
    const std::string extension = ExtensionOf(nameOrPath);
    if (extension.empty())
        return kImageDocument;
    if (const auto found = iconMap_.find(extension); found != iconMap_.end())
        return found->second;

    int index = kImageDocument;
    // No small picture is asked for without a large one: the lists must not
    // get out of step.
    if (const platform::ui::IconPtr large = ToIcon(FileTypeIcon(nameOrPath, large_.ImageSize()))) {
        const platform::ui::IconPtr small = ToIcon(FileTypeIcon(nameOrPath, small_.ImageSize()));
        index = AppendPair(large.get(), small.get());
        if (index < 0)
            index = kImageDocument;
    }
    if (index <= std::numeric_limits<std::uint16_t>::max())
        iconMap_.emplace(extension, static_cast<std::uint16_t>(index));
    return index;
}

int CImages::IndexForCatalog(const std::string& catalogPath)
{
    if (const auto found = iconMap_.find(catalogPath); found != iconMap_.end())
        return found->second;

    int index = kImageBrokenCatalog;
    {
        CCatFile catalog;
        HICON large = nullptr;
        HICON small = nullptr;
        if (!catalog.Open(catalogPath, CCatFile::OpenMode::Read) || !catalog.ReadIcons(&large, &small))
            return kImageBrokenCatalog; // not remembered: the next request tries again
        const platform::ui::IconPtr ownedLarge(large);
        const platform::ui::IconPtr ownedSmall(small);
        // A catalog that holds no (usable) large icon shows the broken
        // catalog; it was read, so that answer is remembered.
        if (ownedLarge != nullptr) {
            const int appended = AppendPair(ownedLarge.get(), ownedSmall.get());
            if (appended >= 0)
                index = appended;
        }
    }
    if (index <= std::numeric_limits<std::uint16_t>::max())
        iconMap_.emplace(catalogPath, static_cast<std::uint16_t>(index));
    return index;
}

bool CImages::IconsForIndex(int index, HICON* large, HICON* small)
{
    LoadFixedImages();
    if (index < 0 || index >= large_.Count() || index >= small_.Count())
        return false;
    if (large != nullptr)
        *large = large_.GetIcon(index);
    if (small != nullptr)
        *small = small_.GetIcon(index);
    return true;
}

bool CImages::IconsForFileName(const std::string& nameOrPath, HICON* large, HICON* small)
{
    return IconsForIndex(IndexForFileName(nameOrPath), large, small);
}

bool CImages::IconsForCatalog(const std::string& catalogPath, HICON* large, HICON* small)
{
    return IconsForIndex(IndexForCatalog(catalogPath), large, small);
}

bool CImages::FolderIcons(HICON* large, HICON* small)
{
    return IconsForIndex(FolderIndex(), large, small);
}

} // namespace pellidor
