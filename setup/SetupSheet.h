#pragma once
// CSetupSheet: Setup's wizard over the installer. It holds the eight pages
// under their template ids, runs Install on Next of the options page and
// Uninstall on Next of the uninstall page, and goes on to the result page
// their answer chooses. Result pages offer Close only: there is no way back
// from a step that ran, and nothing left to cancel.

#include <QWizard>

#include <optional>

namespace setup {

class CInstaller;

class CSetupSheet : public QWizard {
    Q_OBJECT
public:
    enum PageId {
        kWelcomePage = 107,
        kOptionsPage = 108,
        kInstalledPage = 109,
        kInstallFailedPage = 110,
        kUninstallPage = 111,
        kUninstalledPage = 112,
        kUninstallFailedPage = 113,
        kCannotInstallPage = 114,
    };

    explicit CSetupSheet(CInstaller& installer, QWidget* owner = nullptr);
    ~CSetupSheet() override;

    // Runs modally from `startPage`; true when it ended on a page that
    // says the installation or uninstallation succeeded.
    bool DoModal(int startPage);
    // Whether the last step that ran succeeded; nothing before one ran.
    std::optional<bool> Outcome() const { return outcome_; }

    int nextId() const override;
    bool validateCurrentPage() override;

    static bool IsResultPage(int id);

private:
    void OnPageChanged(int id);

    CInstaller& installer_;
    std::optional<bool> outcome_;
};

} // namespace setup
