#include "platform/headless/HeadlessControls.h"

#include <stdexcept>
#include <vector>

#include "platform/headless/HeadlessWindow.h"
#include "platform/text.h"

namespace pelmora::headless {
namespace {

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

}  // namespace

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

void UserTypes(ui::Control& control, const ui::ControlSpec& layout, std::string_view text) {
    if (auto* combo = dynamic_cast<HeadlessComboBox*>(&control)) {
        combo->UserType(text);
    } else if (auto* box = dynamic_cast<ui::TextBox*>(&control)) {
        box->SetText(CutToUtf16Units(text, layout.maxLength));
    } else {
        throw std::logic_error("cannot type into " + layout.name);
    }
}

}  // namespace pelmora::headless
