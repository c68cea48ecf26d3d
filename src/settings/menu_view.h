#pragma once
// The main menu as the option model and the language file see it. The window binds it to
// its real menu; tests use a recording view. Items are found by command id, popup titles by
// their position chain from the menu bar (positions count separators too, from 0). Every
// call returns false when the item is not in the menu, and then changes nothing.

#include <span>
#include <string_view>

#include "base/types.h"

namespace varn {

class MenuView {
  public:
    virtual ~MenuView()                                    = default;
    virtual bool set_checked(u32 command_id, bool checked) = 0;
    // The item keeps its command id and becomes a plain text item.
    virtual bool set_text(u32 command_id, std::string_view text) = 0;
    // The entry at the last position of `path` inside the popup the earlier positions lead
    // to gets the text and keeps its popup.
    virtual bool set_text_at(std::span<const u32> path, std::string_view text) = 0;
};

}  // namespace varn
