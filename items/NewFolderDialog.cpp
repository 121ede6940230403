#include "items/NewFolderDialog.h"

#include "items/ShelfFolder.h"
#include "platform/system/Errors.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MessageBox.h"
#include "ui_NewFolderDialog.h"

namespace pellidor {

CNewFolderDialog::CNewFolderDialog(QWidget* owner, CreateFolder create)
    : QDialog(owner)
    , ui_(std::make_unique<Ui::NewFolderDialog>())
    , create_(std::move(create))
{
    ui_->setupUi(this);
    platform::ui::MapDialogGeometry(this);
    connect(ui_->id1, &QPushButton::clicked, this, &CNewFolderDialog::accept);
    connect(ui_->id2, &QPushButton::clicked, this, &QDialog::reject);
    ui_->id1004->setFocus();
}

CNewFolderDialog::~CNewFolderDialog() = default;

void CNewFolderDialog::accept()
{
    const DWORD error = create_ ? create_(ui_->id1004->text().toStdString()) : platform::system::ERROR_NOT_SUPPORTED;
    if (error == 0) {
        QDialog::accept();
        return;
    }
    platform::ui::MessageBox(
        this, platform::system::ErrorMessage(error), "Error", platform::ui::MB_OK | platform::ui::MB_ICONINFORMATION);
    ui_->id1004->setFocus();
    ui_->id1004->selectAll();
}

bool NewShelfFolder(CShelfFolder& folder, HWND owner)
{
    const auto self = platform::com::ComPtr<CShelfFolder>::AddRefed(&folder);
    CNewFolderDialog dialog(owner, [self](const std::string& name) {
        DWORD error = 0;
        self->CreateSubFolder(name, &error);
        return error;
    });
    return dialog.exec() == QDialog::Accepted;
}

} // namespace pellidor
