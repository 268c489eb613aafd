#pragma once
// The tray icon as the user sees it.
#include <string>

#include "platform/ui.h"

namespace pelmora::headless {

class HeadlessPlatform;
class HeadlessWindow;

// The tray icon as the user sees it: there or not, and its tip.
class HeadlessTrayIcon final : public ui::TrayIcon {
  public:
    HeadlessTrayIcon(HeadlessPlatform& platform, HeadlessWindow& owner);
    ~HeadlessTrayIcon() override;
    void Add(const ui::TrayIconData& data) override;
    void TryAgain() override;
    void Delete() override;
    bool Present() const override { return present_; }

    const std::string& Tip() const { return tip_; }
    HeadlessWindow& Owner() const { return owner_; }

  private:
    friend class HeadlessPlatform;  // a restarted task bar forgets the icon

    HeadlessPlatform& platform_;
    HeadlessWindow& owner_;
    bool wanted_ = false;
    bool present_ = false;
    std::string tip_;
};

}  // namespace pelmora::headless
