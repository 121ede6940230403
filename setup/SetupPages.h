#pragma once
// The wizard's eight pages, each built from its template (resources/setup,
// 300 × 137 dialog units, the picture at the left, texts from x = 90). They
// show and change the installer's state; the sheet runs the steps and
// chooses the next page.
//
//   107 welcome            108 options          109 installed
//   110 install failed     111 uninstall        112 uninstalled
//   113 uninstall failed   114 cannot install

#include "setup/InstallerState.h"

#include <QWizardPage>

#include <memory>

class QLabel;

namespace Ui {
class SetupPage1;
class SetupPage2;
class SetupPage3;
class SetupPage4;
class SetupPage5;
class SetupPage6;
class SetupPage7;
class SetupPage8;
} // namespace Ui

namespace setup {

class CSetupPage : public QWizardPage {
    Q_OBJECT
public:
    explicit CSetupPage(InstallerState& state) : state_(state) { }

protected:
    // Once the template is set up: its geometry in pixels, picture 131.
    void FinishTemplate(QLabel* picture);
    static void ShowIcon(QLabel* label, int id);

    InstallerState& state_;
};

// Welcome.
class CSetupPage1 : public CSetupPage {
    Q_OBJECT
public:
    explicit CSetupPage1(InstallerState& state);
    ~CSetupPage1() override;

private:
    std::unique_ptr<Ui::SetupPage1> ui_;
};

// Where the shelf appears and where catalogs are stored. At least one place
// stays checked: the only checked box is disabled.
class CSetupPage2 : public CSetupPage {
    Q_OBJECT
public:
    explicit CSetupPage2(InstallerState& state);
    ~CSetupPage2() override;

    void initializePage() override;
    bool validatePage() override;

private:
    void TakeValues();
    void ShowValues();
    void OnMyComputerClicked();
    void OnDesktopClicked();
    void OnBrowse();

    std::unique_ptr<Ui::SetupPage2> ui_;
};

// Installed; the restart notice only when the library waits for the next
// start of the explorer.
class CSetupPage3 : public CSetupPage {
    Q_OBJECT
public:
    explicit CSetupPage3(InstallerState& state);
    ~CSetupPage3() override;

    void initializePage() override;

private:
    std::unique_ptr<Ui::SetupPage3> ui_;
};

// The installation's last failure.
class CSetupPage4 : public CSetupPage {
    Q_OBJECT
public:
    explicit CSetupPage4(InstallerState& state);
    ~CSetupPage4() override;

    void initializePage() override;

private:
    std::unique_ptr<Ui::SetupPage4> ui_;
};

// Uninstall, and whether the catalogs go too.
class CSetupPage5 : public CSetupPage {
    Q_OBJECT
public:
    explicit CSetupPage5(InstallerState& state);
    ~CSetupPage5() override;

    void initializePage() override;
    bool validatePage() override;

private:
    std::unique_ptr<Ui::SetupPage5> ui_;
};

// Uninstalled.
class CSetupPage6 : public CSetupPage {
    Q_OBJECT
public:
    explicit CSetupPage6(InstallerState& state);
    ~CSetupPage6() override;

private:
    std::unique_ptr<Ui::SetupPage6> ui_;
};

// The uninstallation's last failure.
class CSetupPage7 : public CSetupPage {
    Q_OBJECT
public:
    explicit CSetupPage7(InstallerState& state);
    ~CSetupPage7() override;

    void initializePage() override;

private:
    std::unique_ptr<Ui::SetupPage7> ui_;
};

// The machine cannot run what would be installed: what to install first.
class CSetupPage8 : public CSetupPage {
    Q_OBJECT
public:
    explicit CSetupPage8(InstallerState& state);
    ~CSetupPage8() override;

private:
    std::unique_ptr<Ui::SetupPage8> ui_;
};

// The catalog directory from a directory the user chose: without trailing
// separators, the root staying "/".
std::string CatalogDirectoryOf(const std::string& chosen);

} // namespace setup
