#include "host/explorer/History.h"

namespace host::explorer {

void History::Visit(const Location& location)
{
    last_ = Move::None;
    if (current_ && *current_ == location)
        return;
    if (current_)
        back_.push_back(*current_);
    current_ = location;
    forward_.clear();
}

std::optional<History::Location> History::GoBack()
{
    if (back_.empty() || !current_)
        return std::nullopt;
    forward_.push_back(*current_);
    current_ = back_.back();
    back_.pop_back();
    last_ = Move::Back;
    return current_;
}

std::optional<History::Location> History::GoForward()
{
    if (forward_.empty() || !current_)
        return std::nullopt;
    back_.push_back(*current_);
    current_ = forward_.back();
    forward_.pop_back();
    last_ = Move::Forward;
    return current_;
}

void History::Undo()
{
    if (last_ == Move::Back) {
        back_.push_back(*current_);
        current_ = forward_.back();
        forward_.pop_back();
    } else if (last_ == Move::Forward) {
        forward_.push_back(*current_);
        current_ = back_.back();
        back_.pop_back();
    }
    last_ = Move::None;
}

} // namespace host::explorer
