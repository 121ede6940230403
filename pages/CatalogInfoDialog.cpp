#include "pages/CatalogInfoDialog.h"

#include "pages/DialogControls.h"
#include "platform/ui/DialogUnits.h"
#include "ui_CatalogInfoDialog.h"

#include <QPushButton>

namespace pellidor {

CCatalogInfoDialog::CCatalogInfoDialog(const std::string& name, const std::string& content,
    const std::string& volumeLabel, const QPixmap& icon, QWidget* owner)
    : QDialog(owner)
    , ui_(std::make_unique<Ui::CatalogInfoDialog>())
{
    ui_->setupUi(this);
    platform::ui::MapDialogGeometry(this);
    setWindowIcon(ModuleIcon());
    ui_->id1022->setPixmap(icon);
    ui_->id1028->setText(QString::fromStdString(volumeLabel));
    ui_->id1049->setText(QString::fromStdString(name));
    ui_->id1023->setPlainText(QString::fromStdString(content));
    connect(ui_->id1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->id2, &QPushButton::clicked, this, &QDialog::reject);
}

CCatalogInfoDialog::~CCatalogInfoDialog() = default;

std::string CCatalogInfoDialog::Name() const
{
    return ui_->id1049->text().toStdString();
}

std::string CCatalogInfoDialog::Content() const
{
    return ui_->id1023->toPlainText().toStdString();
}

} // namespace pellidor
