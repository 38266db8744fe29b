#pragma once

#include "model/form1.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tintora::look {

// What assistive technology is told of a control beyond its caption: its
// name (empty: the caption names it), its description (a tooltip, or words
// on how to use it) and, for a label that holds a number, its role, which
// is read before the number ("赤の正解"). By the control's row in the table.
struct Spoken {
    std::string name;
    std::string description;
    std::string role;
};

Spoken spoken_of(std::size_t index);

// The words a label is read with: "role caption" where it has a role (and
// nothing while the caption is empty), otherwise its caption without arrows
// and runs of spaces.
std::string spoken_caption(std::string_view role, std::string_view caption);

// What a screen reader is told once a control's handler is done, or nothing:
// the stage that opened and how to match it, a channel's result, or the
// score. A bar's change is told by the bar itself.
std::string announcement_after(model::Form1 const& form, model::Control const& control);

// The first shown control in the focus order, or null. At opening it takes
// the focus ("ＥＮＤ", since the bars before it are hidden).
model::Control* first_shown_tab_stop(model::Form1 const& form);
// The same in the opening state, as the control table gives it.
model::ControlId focus_at_opening();

// Where the focus goes once the handler of a control is done. A handler that
// opened a stage (ＳＴＡＲＴ, 再測定, R, G, B) gives it to the stage's bar,
// where the keys its sentence names match Ａ to Ｂ, however the button was
// pressed. A handler that hid the focused control leaves the focus to the
// next step: the first shown control in the focus order other than "ＥＮＤ"
// (after a 確定 the next channel's button or PUSH), so that the next Space or
// Enter never ends the program by chance. Null where the focus may stay.
model::Control* focus_after_handler(
    model::Form1 const& form, model::Control const& handled, model::Control const* focused);

// Where Tab (forward) or Shift+Tab leads from a control: the next shown
// control in the focus order, round to the start after the last one. From
// a control outside the order, or from none, the first or the last shown.
model::Control* next_tab_stop(model::Form1 const& form, model::Control const* from, bool forward);

}
