#pragma once
// CAboutDialog: the About box, with the version line and the links to the
// web site and the support address.

#include "platform/com/Types.h"

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class AboutDialog;
}

namespace pellidor {

class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* owner = nullptr);
    ~CAboutDialog() override;

    // Modal; the answer is of no interest.
    static void Run(HWND owner);

    // "Pellidor Version " with the version ("1.5c") and the release date
    // right-aligned in 30 characters.
    static std::string VersionText();

private:
    std::unique_ptr<Ui::AboutDialog> ui_;
};

} // namespace pellidor
