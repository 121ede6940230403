#include "pages/PageFile.h"

#include "items/CatItem.h"
#include "items/Images.h"
#include "items/TextHelpers.h"
#include "ui_PageFile.h"

namespace pellidor {

CPageFile::CPageFile(CCatItem& file) : CItemPage(QStringLiteral("File")), ui_(std::make_unique<Ui::PageFile>())
{
    ui_->setupUi(this);
    const std::string name = file.GetName();
    SetText(1013, name);
    SetText(1014, file.GetTypeName());
    SetText(1015, file.GetFolderText());
    SetText(1016, ByteText(file.Size()));
    SetText(1018, FormatDateText(file.CreationTime()));
    SetText(1019, FormatDateText(file.LastWriteTime()));
    SetText(1020, FormatDateText(file.LastAccessTime()));
    SetAttributes(file.Attributes());
    HICON large = nullptr;
    CImages::Instance().IconsForFileName(name, &large, nullptr);
    SetIcon(TakeIconPixmap(large));
    // The short name of another file system: none here.
    ui_->id1017->setEnabled(false);
}

CPageFile::~CPageFile() = default;

} // namespace pellidor
