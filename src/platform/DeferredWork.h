#pragma once
// Work that must wait until the event being handled is over, as a message loop would run it:
// a handler may close, and so free, the window whose handler is running. Both backends count
// the events under way (a message box or menu opened by a handler dispatches further events
// inside it) and run the queue when the outermost one ends.
#include <deque>
#include <functional>
#include <utility>

namespace pelmora::ui {

class DeferredWork {
  public:
    // Each item runs as an event of its own through `runEvent` (Platform::RunEvent), so that one
    // that throws neither stops the others nor unwinds into the message loop.
    explicit DeferredWork(std::function<void(const std::function<void()>&)> runEvent)
        : runEvent_(std::move(runEvent)) {}

    void Add(std::function<void()> work) { queue_.push_back(std::move(work)); }

    // Runs the queue, including work added meanwhile, unless an event is still under way (it
    // runs the queue when it ends).
    void RunIfIdle() {
        while (depth_ == 0 && !queue_.empty()) {
            std::function<void()> work = std::move(queue_.front());
            queue_.pop_front();
            runEvent_(work);
        }
    }

    // Marks the handling of one event.
    class EventScope {
      public:
        explicit EventScope(DeferredWork& work) : work_(work) { ++work_.depth_; }
        ~EventScope() {
            --work_.depth_;
            work_.RunIfIdle();
        }
        EventScope(const EventScope&) = delete;
        EventScope& operator=(const EventScope&) = delete;

      private:
        DeferredWork& work_;
    };

  private:
    std::function<void(const std::function<void()>&)> runEvent_;
    std::deque<std::function<void()>> queue_;
    int depth_ = 0;
};

}  // namespace pelmora::ui
