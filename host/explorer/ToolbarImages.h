#pragma once
// The common controls' standard toolbar bitmaps, which views add to the
// browser's toolbar with TB_ADDBITMAP: drawn from the icon theme, image for
// image in the order of the STD_* and VIEW_* indexes.

#include "platform/com/Types.h"

#include <QIcon>

#include <vector>

namespace host::explorer {

// The images of IDB_STD_SMALL_COLOR / IDB_STD_LARGE_COLOR (15) or
// IDB_VIEW_SMALL_COLOR / IDB_VIEW_LARGE_COLOR (12); none for another id.
std::vector<QIcon> StandardToolbarImages(UINT_PTR bitmapId);

} // namespace host::explorer
