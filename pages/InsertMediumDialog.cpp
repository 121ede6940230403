#include "pages/InsertMediumDialog.h"

#include "items/Images.h"
#include "pages/DialogControls.h"
#include "pages/DriveComboBox.h"
#include "platform/system/DriveWatcher.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/Icon.h"
#include "ui_InsertMediumDialog.h"

#include <QPushButton>

#include <algorithm>

namespace pellidor {

namespace {

class CInsertMediumPrompt final : public IMediumPrompt {
public:
    bool AskForMedium(const MediumQuery& query, HWND owner, std::string* driveRoot) override
    {
        CInsertMediumDialog dialog(query, owner);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        if (driveRoot != nullptr)
            *driveRoot = dialog.DriveRoot();
        return true;
    }
};

} // namespace

IMediumPrompt& InsertMediumPrompt()
{
    static CInsertMediumPrompt prompt;
    return prompt;
}

CInsertMediumDialog::CInsertMediumDialog(MediumQuery query, QWidget* owner)
    : QDialog(owner)
    , ui_(std::make_unique<Ui::InsertMediumDialog>())
    , query_(std::move(query))
{
    ui_->setupUi(this);
    platform::ui::MapDialogGeometry(this);
    setWindowTitle(QStringLiteral("Pellidor"));
    setWindowIcon(ModuleIcon());

    HICON small = nullptr;
    if (CImages::Instance().IconsForFileName(query_.fileName, nullptr, &small) && small != nullptr) {
        const platform::ui::IconPtr owned(small);
        ui_->id1022->setPixmap(QPixmap::fromImage(owned->ToImage()));
    }
    ui_->id1013->setText(QString::fromStdString(query_.fileName));
    ui_->id1028->setText(QString::fromStdString(query_.volumeName));
    ui_->id1026->Fill();

    connect(ui_->id1, &QPushButton::clicked, this, &CInsertMediumDialog::accept);
    connect(ui_->id2, &QPushButton::clicked, this, &QDialog::reject);
    ui_->id1->setDefault(true);

    auto* watcher = new platform::system::DriveWatcher(this);
    connect(watcher, &platform::system::DriveWatcher::VolumeArrived, this, &CInsertMediumDialog::OnVolumeArrived);
}

CInsertMediumDialog::~CInsertMediumDialog() = default;

CDriveComboBox* CInsertMediumDialog::DriveList() const
{
    return ui_->id1026;
}

void CInsertMediumDialog::accept()
{
    // No message when the medium is not there: the dialog already says what
    // to do.
    const std::string root = ui_->id1026->SelectedText();
    if (root.empty() || !query_.isPresent || !query_.isPresent(root))
        return;
    driveRoot_ = root;
    QDialog::accept();
}

void CInsertMediumDialog::OnVolumeArrived(const QString& root)
{
    int index = ui_->id1026->FindRoot(root);
    if (index < 0) {
        // A removable medium gets its mount point only when it is mounted,
        // so its drive may be new since the list was filled.
        const std::string selected = ui_->id1026->SelectedText();
        ui_->id1026->Fill();
        index = ui_->id1026->FindRoot(root);
        if (index < 0) {
            ui_->id1026->setCurrentIndex(std::max(0, ui_->id1026->FindRoot(QString::fromStdString(selected))));
            return;
        }
    }
    ui_->id1026->setCurrentIndex(index);
    // Queued: the arrival is handled to its end before the dialog may close.
    QMetaObject::invokeMethod(this, &CInsertMediumDialog::accept, Qt::QueuedConnection);
}

} // namespace pellidor
