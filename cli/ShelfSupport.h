#pragma once
// What the shelf's commands share: the shelf got the way the shell gets it
// (its class object), finding catalogs and shelf folders named on the
// command line, questions and error boxes on the terminal, and a folder's
// rows as its columns show them.

#include "items/ShelfFolder.h"
#include "items/ShelfItem.h"
#include "platform/com/ComPtr.h"

#include <optional>
#include <string>
#include <vector>

namespace pellidor::cli {

// The shelf root through DllGetClassObject's path, initialised with an empty
// root list; null (with the error printed) when it cannot be had.
platform::com::ComPtr<CShelfFolder> OpenShelf();

// A shelf folder named by its names below the shelf ("Music/Rock", "/" or
// "\" between them, empty for the root) or by its directory. `error` says
// why there is none.
platform::com::ComPtr<CShelfFolder> FindShelfFolder(CShelfFolder& root, const std::string& name, std::string* error);
// A catalog named by its file's path (on the shelf or not) or by its name on
// the shelf; several catalogs of that name are an error listing them.
platform::com::ComPtr<CShelfItem> FindCatalog(CShelfFolder& root, const std::string& name, std::string* error);
// A folder inside a catalog by its path below the volume's root ("/" or
// "\" between names, A-Z folded; empty for the root itself).
platform::com::ComPtr<CCatFolder> FindCatalogFolder(CCatFolder& catalog, const std::string& path, std::string* error);
// A catalog or a shelf folder, as `mv` and `rm` take them.
platform::com::ComPtr<CCatFolder> FindShelfEntry(CShelfFolder& root, const std::string& name, std::string* error);

// Answers the platform's questions on the terminal (or yes for --yes, no
// without a terminal) and keeps its error texts for one error line, for as
// long as it lives.
class TerminalDialogs {
public:
    explicit TerminalDialogs(bool assumeYes);
    ~TerminalDialogs();
    TerminalDialogs(const TerminalDialogs&) = delete;
    TerminalDialogs& operator=(const TerminalDialogs&) = delete;

    // The last error box's text; empty when none was shown.
    const std::string& LastError() const { return lastError_; }
    bool Declined() const { return declined_; }

private:
    std::string lastError_;
    bool declined_ = false;
};

// Takes "--yes" and "--json" out of `arguments`.
bool TakeFlag(std::vector<std::string>& arguments, const std::string& flag);
// Takes "--name VALUE"; false when the value is missing (an error printed).
bool TakeOption(std::vector<std::string>& arguments, const std::string& option, std::optional<std::string>* value);

// The folder's children, sorted by `sortColumn` as the views sort them, as
// rows of their first `columnCount` column texts.
std::vector<std::vector<std::string>> ChildRows(CCatFolder& folder, int sortColumn, int columnCount);

} // namespace pellidor::cli
