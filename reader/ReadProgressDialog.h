#pragma once
// The reading-progress dialog: reads one drive into a new catalog on the
// reader thread, shows the folder being read and offers Cancel. It ends in
// one of three ways, each of which waits for the reader, with the user
// interface still answering, before the dialog goes:
//
//   OK (the reader's own, or Enter)   cancel, wait, tell the shelf, IDOK
//   Cancel (the button or Escape)     cancel, wait, IDCANCEL, nothing told
//   closing (system menu, Alt+F4)     cancel, wait, then as Cancel
//
// Cancelling before the wait means that an OK that comes while the reader
// still works (Enter) stops the reading, which leaves no catalog, and the
// shelf is told all the same.

#include "platform/ui/Messages.h"
#include "reader/ReadProgress.h"
#include "reader/ReadThread.h"

#include <QDialog>

#include <memory>
#include <string>

class QMovie;
class QTimer;

namespace Ui {
class ReadProgressDialog;
}

namespace pellidor {

class CPathLine;

// Runs the dialog modally, without an owner window, for the drive at
// `root`; returns when it has closed. The reading of CReadMenu.
void RunReadProgressDialog(const std::string& root);

class CReadProgressDialog : public QDialog, public platform::ui::MessageHandler {
    Q_OBJECT
public:
    explicit CReadProgressDialog(std::string root, QWidget* owner = nullptr);
    ~CReadProgressDialog() override;

    // WM_COMMAND IDOK and IDCANCEL.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool IsCancelled() const;
    CPathLine* PathLine() const;
    QMovie* Animation() const { return animation_; }
    const CReadThread& Reader() const { return reader_; }

    // Escape and the Cancel button.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Progress;

    void StartReading();
    void OnOk();
    void OnCancel();
    // Blocks until the reader has ended, processing events meanwhile.
    void WaitForReader();
    void ShowCurrentPath();

    std::unique_ptr<Ui::ReadProgressDialog> ui_;
    std::string root_;
    std::unique_ptr<Progress> progress_;
    CReadThread reader_;
    QMovie* animation_ = nullptr;
    QTimer* pathTimer_ = nullptr;
    bool started_ = false;
    // One way to end at a time, however the others come in. While closing,
    // the reader's OK that arrives during the wait is not taken: the close
    // ends as a Cancel.
    enum class Ending { No, Closing, Yes };
    Ending ending_ = Ending::No;
};

} // namespace pellidor
