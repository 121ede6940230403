#pragma once
// CNewFolderDialog: dialog 1036 "New Folder", asking for the name of a new
// shelf folder. OK makes the folder through the given function; when that
// fails the system's text for the error is shown and the dialog stays open
// for another name.

#include "platform/com/Types.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

namespace Ui {
class NewFolderDialog;
}

namespace pellidor {

class CShelfFolder;

class CNewFolderDialog : public QDialog {
    Q_OBJECT
public:
    // Makes the folder `name`: 0, or the Windows error why it could not.
    using CreateFolder = std::function<DWORD(const std::string& name)>;

    CNewFolderDialog(QWidget* owner, CreateFolder create);
    ~CNewFolderDialog() override;

    void accept() override;

private:
    std::unique_ptr<Ui::NewFolderDialog> ui_;
    CreateFolder create_;
};

// The new-folder command of the shelf view: the dialog over `folder`'s
// directory, asking again after an error. True when a folder was made.
bool NewShelfFolder(CShelfFolder& folder, HWND owner);

} // namespace pellidor
