#include "setup/SetupSheet.h"

#include "setup/Installer.h"
#include "setup/SetupPages.h"
#include "setup/SetupTexts.h"

#include <QGuiApplication>
#include <QIcon>

namespace setup {

namespace {

QIcon ProgramIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/setup/images/128.png"));
    icon.addFile(QStringLiteral(":/setup/images/128-48.png"));
    return icon;
}

// The wait cursor while a step runs, restored however the step ends.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

CSetupSheet::CSetupSheet(CInstaller& installer, QWidget* owner) : QWizard(owner), installer_(installer)
{
    setWindowTitle(QString::fromStdString(FormatProduct(SetupText(kSheetCaption))));
    setWindowIcon(ProgramIcon());
    setWizardStyle(QWizard::ClassicStyle);
    setButtonText(QWizard::FinishButton, QString::fromStdString(SetupText(kCloseText)));
    InstallerState& state = installer_.State();
    setPage(kWelcomePage, new CSetupPage1(state));
    setPage(kOptionsPage, new CSetupPage2(state));
    setPage(kInstalledPage, new CSetupPage3(state));
    setPage(kInstallFailedPage, new CSetupPage4(state));
    setPage(kUninstallPage, new CSetupPage5(state));
    setPage(kUninstalledPage, new CSetupPage6(state));
    setPage(kUninstallFailedPage, new CSetupPage7(state));
    setPage(kCannotInstallPage, new CSetupPage8(state));
    connect(this, &QWizard::currentIdChanged, this, &CSetupSheet::OnPageChanged);
}

CSetupSheet::~CSetupSheet() = default;

bool CSetupSheet::DoModal(int startPage)
{
    setStartId(startPage);
    exec();
    return outcome_.value_or(false) && IsResultPage(currentId());
}

bool CSetupSheet::IsResultPage(int id)
{
    return id == kInstalledPage || id == kInstallFailedPage || id == kUninstalledPage || id == kUninstallFailedPage
        || id == kCannotInstallPage;
}

int CSetupSheet::nextId() const
{
    // Asked before a step ran too (to label the buttons): the success page
    // stands for either answer until then.
    const bool failed = outcome_.has_value() && !*outcome_;
    switch (currentId()) {
    case kWelcomePage:
        return kOptionsPage;
    case kOptionsPage:
        return failed ? kInstallFailedPage : kInstalledPage;
    case kUninstallPage:
        return failed ? kUninstallFailedPage : kUninstalledPage;
    default:
        return -1;
    }
}

bool CSetupSheet::validateCurrentPage()
{
    // The page takes its values first, so the step sees the last choices.
    if (!QWizard::validateCurrentPage())
        return false;
    const int id = currentId();
    if (id == kOptionsPage || id == kUninstallPage) {
        const WaitCursor wait;
        outcome_ = id == kOptionsPage ? installer_.Install() : installer_.Uninstall();
    }
    return true;
}

void CSetupSheet::OnPageChanged(int id)
{
    if (IsResultPage(id)) {
        setButtonLayout({QWizard::Stretch, QWizard::FinishButton});
        setOption(QWizard::NoCancelButton, true);
        return;
    }
    setOption(QWizard::NoCancelButton, false);
    if (id == kUninstallPage)
        setButtonLayout({QWizard::Stretch, QWizard::NextButton, QWizard::CancelButton});
    else
        setButtonLayout({QWizard::Stretch, QWizard::BackButton, QWizard::NextButton, QWizard::CancelButton});
}

} // namespace setup
