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

}  // namespace pelmora::headless
