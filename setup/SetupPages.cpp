#include "setup/SetupPages.h"

#include "platform/ui/DialogUnits.h"
#include "platform/ui/FileDialog.h"
#include "setup/RuntimeCheck.h"
#include "setup/SetupTexts.h"
#include "ui_SetupPage1.h"
#include "ui_SetupPage2.h"
#include "ui_SetupPage3.h"
#include "ui_SetupPage4.h"
#include "ui_SetupPage5.h"
#include "ui_SetupPage6.h"
#include "ui_SetupPage7.h"
#include "ui_SetupPage8.h"

#include <QFontMetrics>
#include <QPixmap>

namespace setup {

namespace {

constexpr int kSidePicture = 131;
constexpr int kRestartIcon = 134;
constexpr int kErrorIcon = 129;

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

void ShowFailure(const InstallerState& state, QLabel* action, QLabel* error)
{
    // Paths and the system's texts, never markup.
    action->setTextFormat(Qt::PlainText);
    error->setTextFormat(Qt::PlainText);
    action->setText(Text(state.actionText));
    error->setText(Text(state.errorText));
}

} // namespace

void CSetupPage::FinishTemplate(QLabel* picture)
{
    platform::ui::MapDialogGeometry(this);
    ShowIcon(picture, kSidePicture);
}

void CSetupPage::ShowIcon(QLabel* label, int id)
{
    label->setPixmap(QPixmap(QStringLiteral(":/setup/images/%1.png").arg(id)));
}

std::string CatalogDirectoryOf(const std::string& chosen)
{
    std::string directory = chosen;
    while (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    return directory;
}

CSetupPage1::CSetupPage1(InstallerState& state) : CSetupPage(state), ui_(std::make_unique<Ui::SetupPage1>())
{
    ui_->setupUi(this);
    FinishTemplate(ui_->bitmap131);
}

CSetupPage1::~CSetupPage1() = default;

CSetupPage2::CSetupPage2(InstallerState& state) : CSetupPage(state), ui_(std::make_unique<Ui::SetupPage2>())
{
    ui_->setupUi(this);
    FinishTemplate(ui_->bitmap131);
    ui_->id1002->setTextFormat(Qt::PlainText);
    connect(ui_->id1000, &QCheckBox::clicked, this, &CSetupPage2::OnMyComputerClicked);
    connect(ui_->id1001, &QCheckBox::clicked, this, &CSetupPage2::OnDesktopClicked);
    connect(ui_->id1003, &QPushButton::clicked, this, &CSetupPage2::OnBrowse);
}

CSetupPage2::~CSetupPage2() = default;

void CSetupPage2::initializePage()
{
    ShowValues();
    if (state_.iconOnDesktop)
        ui_->id1001->setEnabled(state_.iconInMyComputer);
    if (state_.iconInMyComputer)
        ui_->id1000->setEnabled(state_.iconOnDesktop);
}

bool CSetupPage2::validatePage()
{
    TakeValues();
    return true;
}

void CSetupPage2::TakeValues()
{
    state_.iconInMyComputer = ui_->id1000->isChecked();
    state_.iconOnDesktop = ui_->id1001->isChecked();
}

void CSetupPage2::ShowValues()
{
    ui_->id1000->setChecked(state_.iconInMyComputer);
    ui_->id1001->setChecked(state_.iconOnDesktop);
    // A long path keeps its beginning and its end; the whole is the tip.
    const QString directory = Text(state_.catalogDirectory);
    // A framed label indents its text by half an "x".
    const QFontMetrics metrics = ui_->id1002->fontMetrics();
    const int room = ui_->id1002->contentsRect().width() - metrics.horizontalAdvance(QLatin1Char('x'));
    ui_->id1002->setText(metrics.elidedText(directory, Qt::ElideMiddle, room));
    ui_->id1002->setToolTip(directory);
}

void CSetupPage2::OnMyComputerClicked()
{
    TakeValues();
    ui_->id1001->setEnabled(state_.iconInMyComputer);
}

void CSetupPage2::OnDesktopClicked()
{
    TakeValues();
    ui_->id1000->setEnabled(state_.iconOnDesktop);
}

void CSetupPage2::OnBrowse()
{
    TakeValues();
    const auto chosen
        = platform::ui::GetExistingDirectory(this, FormatProduct(SetupText(kBrowseTitle)), state_.catalogDirectory);
    if (!chosen)
        return;
    state_.catalogDirectory = CatalogDirectoryOf(*chosen);
    ShowValues();
}

CSetupPage3::CSetupPage3(InstallerState& state) : CSetupPage(state), ui_(std::make_unique<Ui::SetupPage3>())
{
    ui_->setupUi(this);
    FinishTemplate(ui_->bitmap131);
    ShowIcon(ui_->id1012, kRestartIcon);
}

CSetupPage3::~CSetupPage3() = default;

void CSetupPage3::initializePage()
{
    ui_->id1012->setVisible(state_.restartNeeded);
    ui_->id1013->setVisible(state_.restartNeeded);
}

CSetupPage4::CSetupPage4(InstallerState& state) : CSetupPage(state), ui_(std::make_unique<Ui::SetupPage4>())
{
    ui_->setupUi(this);
    FinishTemplate(ui_->bitmap131);
    ShowIcon(ui_->icon129, kErrorIcon);
}

CSetupPage4::~CSetupPage4() = default;

void CSetupPage4::initializePage()
{
    ShowFailure(state_, ui_->id1005, ui_->id1006);
}

CSetupPage5::CSetupPage5(InstallerState& state) : CSetupPage(state), ui_(std::make_unique<Ui::SetupPage5>())
{
    ui_->setupUi(this);
    FinishTemplate(ui_->bitmap131);
}

CSetupPage5::~CSetupPage5() = default;

void CSetupPage5::initializePage()
{
    ui_->id1004->setChecked(state_.deleteCatalogs);
}

bool CSetupPage5::validatePage()
{
    state_.deleteCatalogs = ui_->id1004->isChecked();
    return true;
}

CSetupPage6::CSetupPage6(InstallerState& state) : CSetupPage(state), ui_(std::make_unique<Ui::SetupPage6>())
{
    ui_->setupUi(this);
    FinishTemplate(ui_->bitmap131);
}

CSetupPage6::~CSetupPage6() = default;

CSetupPage7::CSetupPage7(InstallerState& state) : CSetupPage(state), ui_(std::make_unique<Ui::SetupPage7>())
{
    ui_->setupUi(this);
    FinishTemplate(ui_->bitmap131);
    ShowIcon(ui_->icon129, kErrorIcon);
}

CSetupPage7::~CSetupPage7() = default;

void CSetupPage7::initializePage()
{
    ShowFailure(state_, ui_->id1005, ui_->id1006);
}

CSetupPage8::CSetupPage8(InstallerState& state) : CSetupPage(state), ui_(std::make_unique<Ui::SetupPage8>())
{
    ui_->setupUi(this);
    FinishTemplate(ui_->bitmap131);
    ShowIcon(ui_->icon129, kErrorIcon);
    ui_->id1010->setText(Text(RequiredRuntimeText()));
}

CSetupPage8::~CSetupPage8() = default;

} // namespace setup
