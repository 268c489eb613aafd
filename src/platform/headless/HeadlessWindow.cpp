#include "platform/headless/HeadlessWindow.h"

#include <algorithm>
#include <stdexcept>

#include "platform/headless/HeadlessControls.h"
#include "platform/headless/HeadlessPlatform.h"

namespace pelmora::headless {

HeadlessWindow::HeadlessWindow(HeadlessPlatform& platform, const ui::WindowSpec& layout)
    : platform_(platform), spec_(layout) {
    for (const ui::ControlSpec& c : spec_.controls) {
        controls_.emplace(c.name, MakeControl(*this, c));
    }
    platform_.Register(this);
}

HeadlessWindow::~HeadlessWindow() {
    if (!closed_) {
        platform_.Unregister(this);
    }
}

void HeadlessWindow::Show() {
    if (closed_) {
        return;
    }
    visible_ = true;
    GiveFocusBack();
    platform_.log.push_back("show " + spec_.name);
}

void HeadlessWindow::Hide() {
    if (closed_) {
        return;
    }
    visible_ = false;
    platform_.log.push_back("hide " + spec_.name);
}

void HeadlessWindow::PlaceTopmostAtOrigin() {
    if (closed_) {
        return;
    }
    topmost_ = true;
    left_ = 0;
    top_ = 0;
    visible_ = true;
    GiveFocusBack();
    platform_.log.push_back("topmost " + spec_.name);
}

void HeadlessWindow::Close() {
    if (closed_) {
        return;
    }
    if (Unload) {
        Unload();
    }
    closed_ = true;
    visible_ = false;
    // A window may close from its own timer's handler: the timers stop now and are freed once
    // that handler has returned.
    for (auto& t : timers_) {
        t->SetEnabled(false);
    }
    auto dying = std::make_shared<std::vector<std::unique_ptr<ui::Timer>>>(std::move(timers_));
    platform_.Defer([dying] {});
    platform_.log.push_back("close " + spec_.name);
    platform_.Unregister(this);
}

ui::Control* HeadlessWindow::FindControl(std::string_view name) {
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second.get();
}

ui::Timer& HeadlessWindow::AddTimer(std::string_view, int intervalMs, bool enabled) {
    timers_.push_back(std::make_unique<HeadlessTimer>(platform_, intervalMs, enabled));
    return *timers_.back();
}

bool HeadlessWindow::CanTakeFocus(const ui::ControlSpec& c) {
    const ui::Control* control = FindControl(c.name);
    return control && control->Enabled();
}

void HeadlessWindow::FocusOn(const ui::ControlSpec& c) {
    if (!closed_ && CanTakeFocus(c)) {
        focused_ = &c;
    }
}

const ui::ControlSpec* HeadlessWindow::FocusTargetFrom(const ui::ControlSpec* losing) {
    return ui::FocusTarget(spec_, losing,
                           [this](const ui::ControlSpec& t) { return CanTakeFocus(t); });
}

void HeadlessWindow::Disabled(const ui::ControlSpec& c) {
    if (focused_ == &c) {
        focused_ = FocusTargetFrom(&c);
    }
}

void HeadlessWindow::GiveFocusBack() {
    if (!focused_ || !CanTakeFocus(*focused_)) {
        focused_ = FocusTargetFrom(focused_);
    }
}

std::string HeadlessWindow::Focused() const {
    return focused_ ? focused_->name : std::string{};
}

void HeadlessWindow::PressKey(Key key) {
    UserCanReach();
    if (closed_ || !visible_) {
        throw std::logic_error("cannot type into " + spec_.name + ": not visible");
    }
    switch (key) {
        case Key::Tab:
        case Key::ShiftTab: {
            std::vector<const ui::ControlSpec*> stops;
            for (const ui::ControlSpec* c : ui::InFocusOrder(spec_)) {
                if (c->tabIndex >= 0 && (CanTakeFocus(*c) || c == focused_)) {
                    stops.push_back(c);
                }
            }
            if (stops.empty()) {
                return;
            }
            const auto at = std::find(stops.begin(), stops.end(), focused_);
            const auto n = static_cast<std::ptrdiff_t>(stops.size());
            std::ptrdiff_t i = at == stops.end() ? -1 : at - stops.begin();
            i = key == Key::Tab ? (i + 1) % n : (i <= 0 ? n - 1 : i - 1);
            focused_ = stops[static_cast<std::size_t>(i)];
            return;
        }
        case Key::Enter:
            if (focused_ && focused_->kind == ui::ControlKind::ListBox) {
                ui::ListBox& list = GetListBox(focused_->name);
                if (list.ListIndex() >= 0 && list.DblClick) {
                    platform_.Dispatch(list.DblClick);
                }
                return;
            }
            [[fallthrough]];
        case Key::Space:
            if (focused_ && focused_->kind == ui::ControlKind::Button) {
                Click(focused_->name);
            }
            return;
        case Key::Escape:
            if (!spec_.escapeButton.empty()) {
                Click(spec_.escapeButton);
            } else if (spec_.escapeCloses) {
                PressCloseBox();
            }
            return;
    }
}

void HeadlessWindow::UserCanReach() const {
    if (platform_.boxDepth_ > 0) {
        throw std::logic_error(spec_.name + " takes no input while a message box is open");
    }
}

void HeadlessWindow::PressButton(std::string_view name) {
    UserCanReach();
    GetButton(name).SetFocus();  // a click takes the focus
    Click(name);
}

void HeadlessWindow::Click(std::string_view name) {
    ui::Button& b = GetButton(name);
    if (closed_ || !visible_ || !b.Enabled()) {
        throw std::logic_error("cannot press " + std::string(name) + ": not visible or disabled");
    }
    platform_.Dispatch([&] {
        if (b.Click) {
            b.Click();
        }
    });
}

void HeadlessWindow::SelectRow(std::string_view list, int row) {
    UserCanReach();
    GetListBox(list).SetFocus();
    platform_.Dispatch([&] { GetListBox(list).SetListIndex(row); });
}

void HeadlessWindow::DoubleClickRow(std::string_view list, int row) {
    UserCanReach();
    ui::ListBox& box = GetListBox(list);
    box.SetFocus();
    if (row < 0 || row >= box.Count()) {
        return;
    }
    platform_.Dispatch([&] {
        if (box.ListIndex() != row) {
            box.SetListIndex(row);
        }
        if (box.DblClick) {
            box.DblClick();
        }
    });
}

void HeadlessWindow::PickEntry(std::string_view combo, int entry) {
    UserCanReach();
    GetComboBox(combo).SetFocus();
    platform_.Dispatch([&] { GetComboBox(combo).SetListIndex(entry); });
}

void HeadlessWindow::Type(std::string_view control, std::string_view text) {
    UserCanReach();
    ui::Control* c = FindControl(control);
    if (!c) {
        throw std::logic_error("no control " + std::string(control) + " in " + spec_.name);
    }
    c->SetFocus();
    platform_.Dispatch([&] { UserTypes(*c, *ui::FindControlSpec(spec_, control), text); });
}

void HeadlessWindow::Receive(const std::function<void()>& handler) {
    platform_.Dispatch([&] {
        if (!closed_ && handler) {
            handler();
        }
    });
}

void HeadlessWindow::RequestExit() {
    Receive(ExitRequest);
}

void HeadlessWindow::RequestClose() {
    Receive(CloseRequest ? CloseRequest : [this] { CloseByUser(); });
}

void HeadlessWindow::SessionEnds() {
    Receive(EndSession);
}

void HeadlessWindow::PressCloseBox() {
    UserCanReach();
    if (spec_.userCanClose) {
        platform_.Dispatch([&] { CloseByUser(); });
    }
}

void HeadlessWindow::CloseByUser() {
    if (CloseBox) {
        CloseBox();
    }
    Close();
}

// HeadlessTimer -----------------------------------------------------------------------------

HeadlessTimer::HeadlessTimer(HeadlessPlatform& platform, int interval, bool enabled)
    : platform_(platform), interval_(interval), sequence_(platform.timerSequence_++) {
    platform_.timers_.push_back(this);
    SetEnabled(enabled);
}

HeadlessTimer::~HeadlessTimer() {
    std::erase(platform_.timers_, this);
}

bool HeadlessTimer::SetInterval(int ms) {
    if (enabled_ && !Arm(ms)) {
        return false;
    }
    interval_ = ms;
    return true;
}

void HeadlessTimer::SetEnabled(bool enabled) {
    if (!enabled || Arm(interval_)) {
        enabled_ = enabled;
    }
}

void HeadlessTimer::Fire() {
    due_ += std::chrono::milliseconds(interval_);
    if (Tick) {
        Tick();
    }
}

bool HeadlessTimer::Arm(int ms) {
    if (platform_.refusedTimerSets > 0) {
        --platform_.refusedTimerSets;
        platform_.log.push_back("timer refused");
        return false;
    }
    due_ = platform_.now_ + std::chrono::milliseconds(ms);
    return true;
}

}  // namespace pelmora::headless
