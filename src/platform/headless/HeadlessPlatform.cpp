#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>
#include <stdexcept>

namespace pelmora::headless {

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
        struct Open {
            int& depth;
            explicit Open(int& d) : depth(++d) {}
            ~Open() { --depth; }  // also when the script throws, as a failing box would
        } open(boxDepth_);
        return answerBox(box);
    }
    return buttons == ui::Buttons::YesNo ? ui::Answer::Yes : ui::Answer::Ok;
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
