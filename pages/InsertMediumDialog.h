#pragma once
// CInsertMediumDialog: asks the user to insert the medium that holds a
// catalogued file. The items find a medium through FindTheMedium, which
// shows this dialog (through InsertMediumPrompt) only when the medium is in
// no optical drive.

#include "items/MediumQuery.h"
#include "platform/com/Types.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <string>

namespace Ui {
class InsertMediumDialog;
}

namespace pellidor {

class CDriveComboBox;

// The prompt that runs the dialog modally; the one FindTheMedium is given
// wherever a user can be asked.
IMediumPrompt& InsertMediumPrompt();

class CInsertMediumDialog : public QDialog {
    Q_OBJECT
public:
    CInsertMediumDialog(MediumQuery query, QWidget* owner);
    ~CInsertMediumDialog() override;

    // The root the dialog was confirmed with; empty before that.
    const std::string& DriveRoot() const { return driveRoot_; }
    CDriveComboBox* DriveList() const;

    // OK: ends the dialog only when the selected drive holds the medium.
    void accept() override;

public Q_SLOTS:
    // A medium arrived at `root`: select its drive and confirm, queued.
    void OnVolumeArrived(const QString& root);

private:
    std::unique_ptr<Ui::InsertMediumDialog> ui_;
    MediumQuery query_;
    std::string driveRoot_;
};

} // namespace pellidor
