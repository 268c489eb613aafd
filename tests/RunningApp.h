#pragma once
// The whole program on the headless platform, as the form tests drive it: the process-wide
// state and MainForm, the schedule file in memory, and shorthands for what a user does and
// sees.
#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "platform/text.h"
#include "shell/MainForm.h"
#include "shell/Module1.h"

namespace pelmora::support {

// A message box as text, title, buttons and icon.
using Box = std::tuple<std::string, std::string, ui::Buttons, ui::Icon>;

class RunningApp {
  public:
    explicit RunningApp(std::chrono::local_seconds start) : platform(start) {}

    headless::HeadlessPlatform platform;
    Module1 module;
    MainForm main{module, platform};

    Path FilePath() const { return platform.AppFolder() / "Alarm_List.txt"; }
    void PutFile(const std::string& utf8) {
        platform.disk().contents[FilePath()] = Utf8ToCp932(utf8);
    }
    std::string FileBytes() { return platform.disk().contents.at(FilePath()); }
    std::string File() { return Cp932ToUtf8(FileBytes()); }
    // Puts the schedule file beside the program and runs the start-up.
    void Start(const std::string& utf8) {
        PutFile(utf8);
        main.Form_Load();
    }

    headless::HeadlessWindow& W(std::string_view name) {
        headless::HeadlessWindow* w = platform.Find(name);
        if (!w) {
            throw std::logic_error("no window " + std::string(name));
        }
        return *w;
    }
    // A right press on the tray icon, and the menu item chosen.
    void Menu(std::string_view item) {
        platform.chooseMenuItem = [item = std::string(item)](const auto&) { return item; };
        platform.MouseOnTray(ui::TrayMouse::RightDown);
    }
    // The lines of a list box.
    std::vector<std::string> Items(std::string_view window, std::string_view list) {
        const ui::ListBox& box = W(window).GetListBox(list);
        std::vector<std::string> out;
        for (int i = 0; i < box.Count(); ++i) {
            out.push_back(box.Item(i));
        }
        return out;
    }

    // Position of the first log entry equal to `entry`, or -1.
    int Pos(const std::string& entry) const {
        const auto it = std::find(platform.log.begin(), platform.log.end(), entry);
        return it == platform.log.end() ? -1 : static_cast<int>(it - platform.log.begin());
    }
    long Count(const std::string& entry) const {
        return static_cast<long>(std::count(platform.log.begin(), platform.log.end(), entry));
    }
    std::vector<Box> Boxes() const {
        std::vector<Box> out;
        for (const headless::RecordedBox& b : platform.boxes) {
            out.emplace_back(b.text, b.title, b.buttons, b.icon);
        }
        return out;
    }
};

}  // namespace pelmora::support
