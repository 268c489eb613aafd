#include <algorithm>
#include <climits>

#include "platform/ui.h"

namespace pelmora::ui {

const ControlSpec* FindControlSpec(const WindowSpec& layout, std::string_view name) {
    for (const ControlSpec& c : layout.controls) {
        if (c.name == name) {
            return &c;
        }
    }
    return nullptr;
}

std::vector<const ControlSpec*> InFocusOrder(const WindowSpec& layout) {
    std::vector<const ControlSpec*> order;
    for (const ControlSpec& c : layout.controls) {
        order.push_back(&c);
    }
    std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
        const int ka = a->tabIndex < 0 ? INT_MAX : a->tabIndex;
        const int kb = b->tabIndex < 0 ? INT_MAX : b->tabIndex;
        return ka < kb;
    });
    return order;
}

const ControlSpec* FocusTarget(const WindowSpec& layout, const ControlSpec* losing,
                               const std::function<bool(const ControlSpec&)>& canTakeFocus) {
    if (losing && !losing->focusWhenDisabled.empty()) {
        const ControlSpec* named = FindControlSpec(layout, losing->focusWhenDisabled);
        if (named && named != losing && canTakeFocus(*named)) {
            return named;
        }
    }
    for (const ControlSpec* c : InFocusOrder(layout)) {
        if (c->tabIndex >= 0 && c != losing && canTakeFocus(*c)) {
            return c;
        }
    }
    return nullptr;
}

}  // namespace pelmora::ui
