#pragma once
// Numbered strings. A module's string table is the file "strings.txt" in its
// folder of the compiled resources (platform/ui/Resources.h): one
// "id<TAB>text" line per string, with \t, \n and \\ as escapes. Texts are
// UTF-8.

#include "platform/com/Types.h"
#include "platform/ui/Resources.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform::ui {

// The string of `module`'s table, or empty when it has none with that id.
std::string LoadString(const ResourceModule& module, UINT id);
bool HasString(const ResourceModule& module, UINT id);

// The system's message formatting: %1 … %99 are replaced by the inserts in
// order; an insert's printf form (%1!s!, %2!d!) is dropped, since inserts
// come as ready texts. %% gives %. A missing insert leaves the marker as is.
std::string FormatInserts(std::string_view pattern, const std::vector<std::string>& inserts);

} // namespace platform::ui
