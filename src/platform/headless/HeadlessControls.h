#pragma once
// The classic controls in memory: labels and text boxes hold a text, list and combo boxes their
// items and selection, and each tells its window when it is asked for the focus or disabled.
#include <memory>
#include <string_view>

#include "platform/ui.h"

namespace pelmora::headless {

class HeadlessWindow;

// The control a layout entry describes, belonging to `owner`.
std::unique_ptr<ui::Control> MakeControl(HeadlessWindow& owner, const ui::ControlSpec& layout);

// The user types into a combo box's text field (no entry stays selected, Change is raised) or a
// text box (cut to its limit, as Windows counts it).
void UserTypes(ui::Control& control, const ui::ControlSpec& layout, std::string_view text);

}  // namespace pelmora::headless
