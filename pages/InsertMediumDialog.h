#pragma once
// CInsertMediumDialog: asks the user to insert the medium that holds a
// catalogued file, and FindTheMedium, which looks in the optical drives first
// and shows the dialog only when the medium is in none of them.

#include "platform/com/Types.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <string>

namespace Ui {
class InsertMediumDialog;
}

namespace pellidor {

class CCatItem;
class CDriveComboBox;

// What the dialog needs to know of the wanted medium.
struct MediumQuery {
    std::string fileName; // shown in the dialog and used for its icon
    std::string volumeName; // the catalog's name, "<no name>" when it has none
    // The medium at a drive root is the catalogued one and holds the file.
    std::function<bool(const std::string& driveRoot)> isPresent;
};

// The query for `item`: its name, its catalog's name and IsMediumPresent. The
// item must outlive the query.
MediumQuery MediumQueryFor(CCatItem& item);

// True with the root of a drive that holds the item's medium: an optical
// drive that already holds it (nothing is shown), or the drive the user
// confirmed in the dialog. False when the user cancels.
bool FindTheMedium(CCatItem& item, HWND owner, std::string* driveRoot);
bool FindTheMedium(const MediumQuery& query, HWND owner, std::string* driveRoot);

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
