#include "pages/AboutDialog.h"

#include "module/Version.h"
#include "pages/DialogControls.h"
#include "platform/ui/DialogUnits.h"
#include "ui_AboutDialog.h"

#include <QPixmap>
#include <QPushButton>

#include <cstdio>

namespace pellidor {

namespace {

constexpr const char* kProductName = "Pellidor";
// The release's date, in the form the compiler's __DATE__ gives.
constexpr const char* kBuildDate = "Jun  6 2001";

} // namespace

CAboutDialog::CAboutDialog(QWidget* owner) : QDialog(owner), ui_(std::make_unique<Ui::AboutDialog>())
{
    ui_->setupUi(this);
    platform::ui::MapDialogGeometry(this);
    setWindowIcon(ModuleIcon());
    ui_->headerBand->setPixmap(QPixmap(QStringLiteral(":/pellidor/images/1028.png")));
    ui_->id1044->setText(QString::fromStdString(VersionText()));
    connect(ui_->id1, &QPushButton::clicked, this, &QDialog::accept);
    ui_->id1->setDefault(true);
    ui_->id1->setFocus();
}

CAboutDialog::~CAboutDialog() = default;

void CAboutDialog::Run(HWND owner)
{
    CAboutDialog dialog(owner);
    dialog.exec();
}

std::string CAboutDialog::VersionText()
{
    char text[128];
    std::snprintf(text, sizeof text, "%s Version %s %30s", kProductName, kVersionText, kBuildDate);
    return text;
}

} // namespace pellidor
