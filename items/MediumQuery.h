#pragma once
// Finding the medium that holds a catalogued file: the optical drives are
// looked at first, without showing anything; when the medium is in none of
// them the user is asked to insert it. Asking is the user interface's part:
// it provides an IMediumPrompt, and without one (the command-line tool) a
// medium that is in no optical drive is not found.

#include "platform/com/Types.h"

#include <functional>
#include <string>

namespace pellidor {

class CCatItem;

// What is known of the wanted medium.
struct MediumQuery {
    std::string fileName; // shown to the user and used for its icon
    std::string volumeName; // the catalog's name, "<no name>" when it has none
    // The medium at a drive root is the catalogued one and holds the file.
    std::function<bool(const std::string& driveRoot)> isPresent;
};

// Asks the user to insert the medium and confirm its drive; runs on the
// user-interface thread.
class IMediumPrompt {
public:
    // True with the confirmed drive's root in `driveRoot`; false when the
    // user gives up.
    virtual bool AskForMedium(const MediumQuery& query, HWND owner, std::string* driveRoot) = 0;

protected:
    ~IMediumPrompt() = default;
};

// The prompt FindTheMedium uses; null: none. Not owned; it must outlive its
// use (the library sets it once, as it loads).
void SetMediumPrompt(IMediumPrompt* prompt);

// The query for `item`: its name, its catalog's name and IsMediumPresent. The
// item must outlive the query.
MediumQuery MediumQueryFor(CCatItem& item);

// True with the root of a drive that holds the item's medium: an optical
// drive that already holds it (nothing is shown), or the drive the user
// confirmed. False when the user cancels or there is nobody to ask. While a
// drag's data is being served nobody is asked, and a removable drive that
// holds the medium counts as well.
bool FindTheMedium(CCatItem& item, HWND owner, std::string* driveRoot);
bool FindTheMedium(const MediumQuery& query, HWND owner, std::string* driveRoot);

} // namespace pellidor
