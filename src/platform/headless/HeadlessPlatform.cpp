#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>
#include <stdexcept>

#include "platform/text.h"

namespace pelmora::headless {

// What every control has: an enabled state, and a window that keeps the focus.
template <typename Interface>
class Basic : public Interface {
  public:
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool e) override {
        enabled_ = e;
        if (!e && owner_) {
            owner_->Disabled(*layout_);
        }
    }
    void SetFocus() override {
        if (owner_) {
            owner_->FocusOn(*layout_);
        }
    }
    void Attach(HeadlessWindow& owner, const ui::ControlSpec& layout) {
        owner_ = &owner;
        layout_ = &layout;
    }

  private:
    bool enabled_ = true;
    HeadlessWindow* owner_ = nullptr;
    const ui::ControlSpec* layout_ = nullptr;
};

namespace {

// Labels and text boxes: a text the program sets and reads.
template <typename Interface>
class WithText final : public Basic<Interface> {
  public:
    explicit WithText(std::string text) : text_(std::move(text)) {}
    std::string Text() const override { return text_; }
    void SetText(std::string_view text) override { text_ = text; }

  private:
    std::string text_;
};

using HeadlessLabel = WithText<ui::Label>;
using HeadlessTextBox = WithText<ui::TextBox>;

class HeadlessButton final : public Basic<ui::Button> {
  public:
    explicit HeadlessButton(std::string caption) : caption_(std::move(caption)) {}
    std::string Caption() const override { return caption_; }

  private:
    std::string caption_;
};

// The item list and selection shared by list boxes and combo boxes.
class Items {
  public:
    void Clear() {
        items_.clear();
        index_ = -1;
    }
    void Add(std::string_view item) { items_.emplace_back(item); }
    int Count() const { return static_cast<int>(items_.size()); }
    std::string At(int i) const {
        if (i < 0 || i >= Count()) {
            throw std::out_of_range("no such item");
        }
        return items_[static_cast<std::size_t>(i)];
    }
    int Index() const { return index_; }
    void Select(int i) {
        if (i < -1 || i >= Count()) {
            throw std::out_of_range("no such item");
        }
        index_ = i;
    }

  private:
    std::vector<std::string> items_;
    int index_ = -1;
};

// List boxes and combo boxes: the items and the selection, through the interface.
template <typename Interface>
class WithItems : public Basic<Interface> {
  public:
    void AddItem(std::string_view item) override { items_.Add(item); }
    int Count() const override { return items_.Count(); }
    std::string Item(int index) const override { return items_.At(index); }
    int ListIndex() const override { return items_.Index(); }

  protected:
    Items items_;
};

class HeadlessListBox final : public WithItems<ui::ListBox> {
  public:
    void Clear() override { items_.Clear(); }
    void SetListIndex(int index) override {
        items_.Select(index);
        if (Click) {
            Click();
        }
    }
};

class HeadlessComboBox final : public WithItems<ui::ComboBox> {
  public:
    void Clear() override {
        items_.Clear();
        text_.clear();
    }
    void SetListIndex(int index) override {
        items_.Select(index);
        text_ = index >= 0 ? items_.At(index) : std::string{};
        if (Click) {
            Click();
        }
    }
    std::string Text() const override { return text_; }
    // Setting the text leaves the list's selection as it is.
    void SetText(std::string_view text) override { text_ = text; }
    // The user types with the list closed: the text changes, no entry stays selected (as with
    // the real control), and Change is raised.
    void UserType(std::string_view text) {
        text_ = text;
        items_.Select(-1);
        if (Change) {
            Change();
        }
    }

  private:
    std::string text_;
};

using HeadlessImage = Basic<ui::Control>;

// Text a box with a limit takes: Windows counts UTF-16 units, so a character beyond the basic
// plane counts two. 0: no limit.
std::string_view CutToUtf16Units(std::string_view text, int limit) {
    if (limit <= 0) {
        return text;
    }
    std::size_t at = 0;
    for (int units = 0; at < text.size();) {
        const std::size_t n = Utf8CharLength(text, at);
        units += n == 4 ? 2 : 1;
        if (units > limit) {
            break;
        }
        at += n;
    }
    return text.substr(0, at);
}

template <typename T, typename... Args>
std::unique_ptr<ui::Control> Make(HeadlessWindow& owner, const ui::ControlSpec& c, Args&&... args) {
    auto control = std::make_unique<T>(std::forward<Args>(args)...);
    control->Attach(owner, c);
    return control;
}

std::unique_ptr<ui::Control> MakeControl(HeadlessWindow& owner, const ui::ControlSpec& c) {
    switch (c.kind) {
        case ui::ControlKind::Label:
            return Make<HeadlessLabel>(owner, c, c.caption);
        case ui::ControlKind::Button:
            return Make<HeadlessButton>(owner, c, c.caption);
        case ui::ControlKind::TextBox:
            return Make<HeadlessTextBox>(owner, c, c.caption);
        case ui::ControlKind::ListBox:
            return Make<HeadlessListBox>(owner, c);
        case ui::ControlKind::ComboBox:
            return Make<HeadlessComboBox>(owner, c);
        case ui::ControlKind::Image:
            return Make<HeadlessImage>(owner, c);
    }
    throw std::logic_error("unknown control kind");
}

}  // namespace

class HeadlessTimer final : public ui::Timer {
  public:
    HeadlessTimer(HeadlessPlatform& platform, int interval, bool enabled)
        : platform_(platform), interval_(interval), sequence_(platform.timerSequence_++) {
        platform_.timers_.push_back(this);
        SetEnabled(enabled);
    }
    ~HeadlessTimer() override { std::erase(platform_.timers_, this); }

    int Interval() const override { return interval_; }
    void SetInterval(int ms) override {
        interval_ = ms;
        Restart();
    }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override {
        enabled_ = enabled;
        Restart();
    }

    bool Running() const { return enabled_ && interval_ > 0; }
    std::chrono::local_time<std::chrono::milliseconds> Due() const { return due_; }
    unsigned long long Sequence() const { return sequence_; }
    // Timers run on the machine's tick count, which a change of the wall clock does not move.
    void ShiftDue(std::chrono::milliseconds shift) { due_ += shift; }
    void Fire() {
        due_ += std::chrono::milliseconds(interval_);
        if (Tick) {
            Tick();
        }
    }

  private:
    void Restart() { due_ = platform_.now_ + std::chrono::milliseconds(interval_); }

    HeadlessPlatform& platform_;
    int interval_;
    bool enabled_ = false;
    std::chrono::local_time<std::chrono::milliseconds> due_{};
    unsigned long long sequence_;
};

// HeadlessWindow ----------------------------------------------------------------------------

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

void HeadlessWindow::PickEntry(std::string_view combo, int entry) {
    UserCanReach();
    GetComboBox(combo).SetFocus();
    platform_.Dispatch([&] { GetComboBox(combo).SetListIndex(entry); });
}

void HeadlessWindow::Type(std::string_view control, std::string_view text) {
    UserCanReach();
    if (ui::Control* c = FindControl(control)) {
        c->SetFocus();
    }
    platform_.Dispatch([&] {
        if (auto* combo = dynamic_cast<HeadlessComboBox*>(FindControl(control))) {
            combo->UserType(text);
        } else {
            const ui::ControlSpec* c = ui::FindControlSpec(spec_, control);
            GetTextBox(control).SetText(CutToUtf16Units(text, c ? c->maxLength : 0));
        }
    });
}

void HeadlessWindow::RequestExit() {
    platform_.Dispatch([&] {
        if (!closed_ && ExitRequest) {
            ExitRequest();
        }
    });
}

void HeadlessWindow::PressCloseBox() {
    UserCanReach();
    platform_.Dispatch([&] {
        if (CloseBox) {
            CloseBox();
        }
        Close();
    });
}

// HeadlessTrayIcon --------------------------------------------------------------------------

HeadlessTrayIcon::HeadlessTrayIcon(HeadlessPlatform& platform, HeadlessWindow& owner)
    : platform_(platform), owner_(owner) {
    platform_.tray_ = this;
}

HeadlessTrayIcon::~HeadlessTrayIcon() {
    Delete();
    if (platform_.tray_ == this) {
        platform_.tray_ = nullptr;
    }
}

void HeadlessTrayIcon::Add(const ui::TrayIconData& data) {
    present_ = true;
    tip_ = data.tip;
    platform_.log.push_back("tray add");
}

void HeadlessTrayIcon::Delete() {
    if (present_) {
        present_ = false;
        platform_.log.push_back("tray delete");
    }
}

// HeadlessPlatform --------------------------------------------------------------------------

LocalMilliseconds VirtualClock::NowPrecise() const {
    return platform_.Now();
}

std::optional<std::string> LoggingFiles::ReadAll(const Path& path) {
    log_.push_back("read " + std::string(path.FileName()));
    return disk_.ReadAll(path);
}

std::optional<WriteError> LoggingFiles::Replace(const Path& path, std::string_view bytes) {
    log_.push_back("write " + std::string(path.FileName()));
    return disk_.Replace(path, bytes);
}

HeadlessPlatform::HeadlessPlatform(std::chrono::local_seconds start) : now_(start) {}

HeadlessPlatform::~HeadlessPlatform() = default;

std::unique_ptr<ui::Window> HeadlessPlatform::CreateForm(const ui::WindowSpec& layout) {
    log.push_back("create " + layout.name);
    return std::make_unique<HeadlessWindow>(*this, layout);
}

ui::Answer HeadlessPlatform::MsgBox(std::string_view text, std::string_view title,
                                    ui::Buttons buttons, ui::Icon icon) {
    RecordedBox box{std::string(text), std::string(title.empty() ? ui::ApplicationTitle : title),
                    buttons, icon};
    log.push_back("box " + box.title);
    boxes.push_back(box);
    if (answerBox) {
        // Task-modal: while the box is open the user cannot reach the program's windows.
        ++boxDepth_;
        const ui::Answer answer = answerBox(box);
        --boxDepth_;
        return answer;
    }
    return buttons == ui::Buttons::YesNo ? ui::Answer::Yes : ui::Answer::Ok;
}

std::unique_ptr<ui::TrayIcon> HeadlessPlatform::CreateTrayIcon(ui::Window& owner) {
    return std::make_unique<HeadlessTrayIcon>(*this, static_cast<HeadlessWindow&>(owner));
}

void HeadlessPlatform::MouseOnTray(ui::TrayMouse event) {
    Dispatch([&] {
        if (tray_ && tray_->Present() && !tray_->Owner().Closed() && tray_->MouseEvent) {
            tray_->MouseEvent(event);
        }
    });
}

void HeadlessPlatform::RestartTaskbar() {
    Dispatch([&] {
        if (tray_ && tray_->Present() && !tray_->Owner().Closed()) {
            log.push_back("tray add");
        }
    });
}

void HeadlessPlatform::SetForegroundWindow(ui::Window& window) {
    log.push_back("foreground " + static_cast<HeadlessWindow&>(window).Layout().name);
}

void HeadlessPlatform::PopupMenu(ui::Window&, const std::vector<ui::MenuItem>& items) {
    log.push_back("menu");
    const std::optional<std::string> chosen = chooseMenuItem ? chooseMenuItem(items) : std::nullopt;
    if (!chosen) {
        return;
    }
    const auto item = std::find_if(items.begin(), items.end(), [&](const ui::MenuItem& i) {
        return i.name == *chosen && i.kind == ui::MenuItemKind::Command;
    });
    if (item == items.end()) {
        throw std::logic_error("the menu has no item " + *chosen);
    }
    menuItemsRun.push_back(item->name);
    if (item->Click) {
        item->Click();
    }
}

void HeadlessPlatform::PlayWave(const Path& wave) {
    log.push_back("sound " + wave.Generic());
}

void HeadlessPlatform::Defer(std::function<void()> work) {
    deferred_.Add(std::move(work));
}

void HeadlessPlatform::RunDeferred() {
    deferred_.RunIfIdle();
}

void HeadlessPlatform::Advance(std::chrono::milliseconds d) {
    const auto target = now_ + d;
    for (;;) {
        HeadlessTimer* next = nullptr;
        for (HeadlessTimer* t : timers_) {
            if (t->Running() && t->Due() <= target &&
                (!next || t->Due() < next->Due() ||
                 (t->Due() == next->Due() && t->Sequence() < next->Sequence()))) {
                next = t;
            }
        }
        if (!next) {
            break;
        }
        now_ = std::max(now_, next->Due());
        Dispatch([next] { next->Fire(); });
    }
    now_ = std::max(now_, target);
}

void HeadlessPlatform::SetNow(std::chrono::local_seconds t) {
    // A clock change moves the wall clock but not the timers' schedule.
    const auto shift = std::chrono::local_time<std::chrono::milliseconds>(t) - now_;
    now_ += shift;
    for (HeadlessTimer* timer : timers_) {
        timer->ShiftDue(shift);
    }
}

HeadlessWindow* HeadlessPlatform::Find(std::string_view name) const {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
        if ((*it)->Layout().name == name) {
            return *it;
        }
    }
    return nullptr;
}

void HeadlessPlatform::Register(HeadlessWindow* w) {
    windows_.push_back(w);
}

void HeadlessPlatform::Unregister(HeadlessWindow* w) {
    std::erase(windows_, w);
    if (windows_.empty()) {
        ended_ = true;
        log.push_back("end");
    }
}

}  // namespace pelmora::headless
