#include "pages/PageFolder.h"

#include "items/CatItem.h"
#include "items/Images.h"
#include "items/TextHelpers.h"
#include "module/Resources.h"
#include "platform/ui/Strings.h"
#include "ui_PageFolder.h"

namespace pellidor {

namespace {

constexpr UINT kFolderContentString = 2026; // "%1!d! Files, %2!d! Folder"

} // namespace

CPageFolder::CPageFolder(CCatItem& folder)
    : CItemPage(QStringLiteral("Folder"))
    , ui_(std::make_unique<Ui::PageFolder>())
{
    ui_->setupUi(this);
    ItemStatistics statistics;
    folder.AddToStatistics(statistics);
    SetText(1013, folder.GetName());
    SetText(1014, folder.GetTypeName());
    SetText(1015, folder.GetFolderText());
    SetText(1016, ByteText(statistics.TotalSize));
    SetText(1024,
        platform::ui::FormatInserts(
            LoadString(kFolderContentString), {std::to_string(statistics.Files), std::to_string(statistics.Folders)}));
    SetText(1018, FormatDateText(folder.CreationTime()));
    SetAttributes(folder.Attributes());
    HICON large = nullptr;
    CImages::Instance().FolderIcons(&large, nullptr);
    SetIcon(TakeIconPixmap(large));
    ui_->id1017->setEnabled(false);
}

CPageFolder::~CPageFolder() = default;

} // namespace pellidor
