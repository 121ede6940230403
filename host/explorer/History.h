#pragma once
// The locations a window went through, for Back and Forward. Visiting a new
// location drops what lay ahead; visiting the current one again changes
// nothing.

#include "platform/com/Types.h"

#include <optional>
#include <vector>

namespace host::explorer {

class History {
public:
    using Location = std::vector<BYTE>;

    void Visit(const Location& location);
    bool CanGoBack() const { return !back_.empty(); }
    bool CanGoForward() const { return !forward_.empty(); }
    // The location gone to; nothing when there is none that way.
    std::optional<Location> GoBack();
    std::optional<Location> GoForward();
    // Undoes the last GoBack or GoForward, when the location could not be
    // shown.
    void Undo();

private:
    std::vector<Location> back_;
    std::vector<Location> forward_;
    std::optional<Location> current_;
    enum class Move { None, Back, Forward } last_ = Move::None;
};

} // namespace host::explorer
