#include "platform/headless/HeadlessTray.h"

#include "platform/headless/HeadlessPlatform.h"

namespace pelmora::headless {

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
    wanted_ = true;
    tip_ = data.tip;
    TryAgain();
}

void HeadlessTrayIcon::TryAgain() {
    if (!wanted_ || present_) {
        return;
    }
    if (platform_.trayRefusals > 0) {
        --platform_.trayRefusals;
        platform_.log.push_back("tray refused");
        return;
    }
    present_ = true;
    platform_.log.push_back("tray add");
}

void HeadlessTrayIcon::Delete() {
    if (wanted_) {
        wanted_ = present_ = false;
        platform_.log.push_back("tray delete");
    }
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
        if (tray_ && !tray_->Owner().Closed()) {
            tray_->present_ = false;  // the new task bar has none of the old icons
            tray_->TryAgain();
        }
    });
}

}  // namespace pelmora::headless
