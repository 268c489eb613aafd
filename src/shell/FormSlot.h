#pragma once
// Holds the one instance of a form. The form is created on first use; when its window closes
// (close box or Close()), the slot lets go of it once the event has finished, and the next use
// creates it afresh, as a new window with its initial layout.
#include <functional>
#include <memory>
#include <utility>

#include "platform/ui.h"

namespace pelmora {

template <typename Form>
class FormSlot {
  public:
    FormSlot(ui::Platform& platform, std::function<std::unique_ptr<Form>()> make)
        : platform_(platform), make_(std::move(make)) {}

    Form& Get() {
        if (!form_) {
            form_ = make_();
            ui::Window& w = form_->window();
            // The form's own unload handler runs first; then the slot forgets the form. It is
            // freed after the event, since we may be inside one of its own handlers.
            w.Unload = [this, inner = std::move(w.Unload)] {
                if (inner) {
                    inner();
                }
                std::shared_ptr<Form> dying(std::move(form_));
                platform_.Defer([dying] {});
            };
        }
        return *form_;
    }

    bool Exists() const { return form_ != nullptr; }
    Form* IfExists() { return form_.get(); }

    // Closes the form's window if it exists; its unload handler runs.
    void Close() {
        if (form_) {
            form_->window().Close();
        }
    }

  private:
    ui::Platform& platform_;
    std::function<std::unique_ptr<Form>()> make_;
    std::unique_ptr<Form> form_;
};

}  // namespace pelmora
