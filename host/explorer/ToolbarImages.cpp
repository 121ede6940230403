#include "host/explorer/ToolbarImages.h"

#include "platform/com/ShellBrowserTypes.h"

#include <QApplication>
#include <QStyle>

namespace host::explorer {

namespace {

struct ThemeImage {
    const char* name;
    QStyle::StandardPixmap fallback;
};

// In STD_CUT .. STD_PRINT order.
constexpr ThemeImage kStandard[kStdImageCount] = {
    {"edit-cut", QStyle::SP_DialogDiscardButton},
    {"edit-copy", QStyle::SP_FileIcon},
    {"edit-paste", QStyle::SP_DialogSaveButton},
    {"edit-undo", QStyle::SP_ArrowBack},
    {"edit-redo", QStyle::SP_ArrowForward},
    {"edit-delete", QStyle::SP_TrashIcon},
    {"document-new", QStyle::SP_FileIcon},
    {"document-open", QStyle::SP_DialogOpenButton},
    {"document-save", QStyle::SP_DialogSaveButton},
    {"document-print-preview", QStyle::SP_FileDialogContentsView},
    {"document-properties", QStyle::SP_FileDialogInfoView},
    {"help-contents", QStyle::SP_DialogHelpButton},
    {"edit-find", QStyle::SP_FileDialogContentsView},
    {"edit-find-replace", QStyle::SP_BrowserReload},
    {"document-print", QStyle::SP_ComputerIcon},
};

// In VIEW_LARGEICONS .. VIEW_NEWFOLDER order.
constexpr ThemeImage kView[kViewImageCount] = {
    {"view-list-icons", QStyle::SP_FileDialogListView},
    {"view-list-compact", QStyle::SP_FileDialogListView},
    {"view-list-text", QStyle::SP_FileDialogListView},
    {"view-list-details", QStyle::SP_FileDialogDetailedView},
    {"view-sort-ascending", QStyle::SP_ArrowUp},
    {"view-sort-descending", QStyle::SP_ArrowDown},
    {"x-office-calendar", QStyle::SP_FileDialogInfoView},
    {"view-sort", QStyle::SP_FileDialogDetailedView},
    {"go-up", QStyle::SP_FileDialogToParent},
    {"network-connect", QStyle::SP_DriveNetIcon},
    {"network-disconnect", QStyle::SP_DriveNetIcon},
    {"folder-new", QStyle::SP_FileDialogNewFolder},
};

template <std::size_t N>
std::vector<QIcon> Icons(const ThemeImage (&images)[N])
{
    std::vector<QIcon> icons;
    for (const ThemeImage& image : images)
        icons.push_back(
            QIcon::fromTheme(QString::fromLatin1(image.name), QApplication::style()->standardIcon(image.fallback)));
    return icons;
}

} // namespace

std::vector<QIcon> StandardToolbarImages(UINT_PTR bitmapId)
{
    switch (bitmapId) {
    case IDB_STD_SMALL_COLOR:
    case IDB_STD_LARGE_COLOR:
        return Icons(kStandard);
    case IDB_VIEW_SMALL_COLOR:
    case IDB_VIEW_LARGE_COLOR:
        return Icons(kView);
    default:
        return {};
    }
}

} // namespace host::explorer
