#pragma once
// CHowToUseDialog: the first steps (reading a medium, searching) and the
// links to the user's guide and the questions and answers.

#include "platform/com/Types.h"

#include <QDialog>

#include <memory>

namespace Ui {
class HowToUseDialog;
}

namespace pellidor {

class CHowToUseDialog : public QDialog {
    Q_OBJECT
public:
    explicit CHowToUseDialog(QWidget* owner = nullptr);
    ~CHowToUseDialog() override;

    // Modal; the answer is of no interest.
    static void Run(HWND owner);

private:
    std::unique_ptr<Ui::HowToUseDialog> ui_;
};

} // namespace pellidor
