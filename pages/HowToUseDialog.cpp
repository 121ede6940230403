#include "pages/HowToUseDialog.h"

#include "pages/DialogControls.h"
#include "platform/ui/DialogUnits.h"
#include "ui_HowToUseDialog.h"

#include <QPixmap>
#include <QPushButton>

namespace pellidor {

CHowToUseDialog::CHowToUseDialog(QWidget* owner) : QDialog(owner), ui_(std::make_unique<Ui::HowToUseDialog>())
{
    ui_->setupUi(this);
    platform::ui::MapDialogGeometry(this);
    setWindowIcon(ModuleIcon());
    ui_->headerBand->setPixmap(QPixmap(QStringLiteral(":/pellidor/images/1028.png")));
    ui_->catalogIcon->setPixmap(QPixmap(QStringLiteral(":/pellidor/images/137.png")));
    ui_->searchIcon->setPixmap(QPixmap(QStringLiteral(":/pellidor/images/138.png")));
    ui_->moreIcon->setPixmap(QPixmap(QStringLiteral(":/pellidor/images/139.png")));
    connect(ui_->id1, &QPushButton::clicked, this, &QDialog::accept);
    ui_->id1->setDefault(true);
    ui_->id1->setFocus();
}

CHowToUseDialog::~CHowToUseDialog() = default;

void CHowToUseDialog::Run(HWND owner)
{
    CHowToUseDialog dialog(owner);
    dialog.exec();
}

} // namespace pellidor
