#pragma once
// The property sheets of catalogued items: a file's or folder's page
// followed by its catalog's volume page, or a catalog's volume page alone,
// in the platform's property sheet titled "<name> Properties".

#include "items/PropertySheetUi.h"

namespace pellidor {

// The sheet the library gives the items' Properties commands.
IPropertySheetUi& ItemPropertySheetUi();

} // namespace pellidor
