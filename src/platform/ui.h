#pragma once
// The window system as the forms see it: windows built from declarative layouts, the classic
// controls, timers, message boxes, popup menus, the tray icon and a few process services.
//
// Two backends implement it: headless (platform/headless, for tests: in-memory controls, a
// virtual clock, scripted answers) and win32 (platform/win32, the product). Forms never see a
// window handle of their own; they hold typed references to controls and set handlers on them.
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"

namespace pelmora::ui {

// Layout ---------------------------------------------------------------------------------

// A rectangle in twips (1/1440 inch): left, top, width, height.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

enum class ControlKind { Label, Button, TextBox, ListBox, ComboBox, Image };

struct Font {
    std::string face;  // exact face name, e.g. "ＭＳ ゴシック"
    int points = 9;
    bool bold = false;
    int charset = 128;  // SHIFTJIS_CHARSET
};

struct ControlSpec {
    ControlKind kind = ControlKind::Label;
    std::string name;
    std::string caption;  // label text, button caption, initial text
    Rect rect;
    int tabIndex = -1;                  // position in the focus order; -1: not a tab stop
    std::optional<Font> font;           // nothing: the window's default font
    bool centred = false;               // label text centred
    bool buttonFaceBackground = false;  // list boxes drawn on the button-face colour
    int maxLength = 0;  // text boxes: the most characters the user can enter (0: no limit)
    // Where the focus goes when this control is disabled while it has it (the name of another
    // control); empty: the window's first tab stop.
    std::string focusWhenDisabled;
};

// Shorthands for the commonest controls of a layout.
inline ControlSpec LabelAt(std::string name, std::string caption, Rect r) {
    return {.kind = ControlKind::Label,
            .name = std::move(name),
            .caption = std::move(caption),
            .rect = r};
}
inline ControlSpec ButtonAt(std::string name, std::string caption, Rect r, int tabIndex) {
    return {.kind = ControlKind::Button,
            .name = std::move(name),
            .caption = std::move(caption),
            .rect = r,
            .tabIndex = tabIndex};
}

enum class Border {
    FixedSingle,  // thin frame, title bar, close box
    FixedDialog,  // dialog frame, title bar, close box
};

struct WindowSpec {
    std::string name;
    std::string caption;
    int clientWidth = 0;  // twips
    int clientHeight = 0;
    Border border = Border::FixedSingle;
    bool centred = true;  // placed in the centre of the screen when created
    bool hasIcon = true;  // the program's icon in the title bar
    bool inTaskbar = true;
    std::vector<ControlSpec> controls;
    // What Esc does: presses this button (the name of one of `controls`), or, with
    // escapeCloses, acts as the close box; otherwise nothing.
    std::string escapeButton;
    bool escapeCloses = false;
    // False: the close box, Alt+F4 and the system menu's Close do nothing (a hidden window that
    // becomes the active one while its tray menu is open).
    bool userCanClose = true;
};

// The layout's control of that name, or nullptr.
const ControlSpec* FindControlSpec(const WindowSpec& layout, std::string_view name);

// The keyboard's focus, as both window systems keep it: a window shown or activated gives the
// focus back to the control that last had it, or, the first time, to its first tab stop; Tab
// and Shift+Tab go through the tab stops in the order of their index; a control disabled while
// it has the focus hands it to its focusWhenDisabled.

// The layout's controls in focus order: the tab stops by index, then the others as listed.
std::vector<const ControlSpec*> InFocusOrder(const WindowSpec& layout);
// Where the focus goes from `losing` (nullptr: the window has none to give back): its
// focusWhenDisabled when that can take the focus, else the first tab stop that can; nullptr
// when none can.
const ControlSpec* FocusTarget(const WindowSpec& layout, const ControlSpec* losing,
                               const std::function<bool(const ControlSpec&)>& canTakeFocus);

// Controls -------------------------------------------------------------------------------

class Control {
  public:
    virtual ~Control() = default;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void SetFocus() = 0;
};

class Label : public Control {
  public:
    virtual std::string Text() const = 0;
    virtual void SetText(std::string_view text) = 0;
};

class Button : public Control {
  public:
    virtual std::string Caption() const = 0;
    std::function<void()> Click;
};

class TextBox : public Control {
  public:
    virtual std::string Text() const = 0;
    virtual void SetText(std::string_view text) = 0;
};

// Single-selection, unsorted list box; tabs in items are expanded to the standard stops.
class ListBox : public Control {
  public:
    virtual void Clear() = 0;
    virtual void AddItem(std::string_view item) = 0;
    virtual int Count() const = 0;
    virtual std::string Item(int index) const = 0;
    virtual int ListIndex() const = 0;  // -1: nothing selected
    // Selects a row (-1: none); raises Click like a selection by the user.
    virtual void SetListIndex(int index) = 0;
    std::function<void()> Click;  // the selection changed (mouse, keyboard or program)
    // The user double-clicked a line, or pressed Enter while the list has the focus and a line
    // is selected; a double-click below the last line raises nothing.
    std::function<void()> DblClick;
};

// Drop-down combo box whose text field can be typed into. Its whole text is selected whenever it
// gets the keyboard's focus (Tab, or the focus given back), so that typing replaces it.
class ComboBox : public Control {
  public:
    virtual void Clear() = 0;
    virtual void AddItem(std::string_view item) = 0;
    virtual int Count() const = 0;
    virtual std::string Item(int index) const = 0;
    virtual int ListIndex() const = 0;  // -1: no entry selected (e.g. the text was typed over)
    // Selects an entry (-1: none); raises Click like a pick by the user.
    virtual void SetListIndex(int index) = 0;
    virtual std::string Text() const = 0;
    virtual void SetText(std::string_view text) = 0;
    // An entry was picked, by the user or by the program; the text field already shows it.
    std::function<void()> Click;
    std::function<void()> Change;  // the user edited the text field
};

class Timer {
  public:
    virtual ~Timer() = default;
    virtual int Interval() const = 0;  // milliseconds
    // False when the window system refused the new interval: a running timer then runs on as it
    // was, never stopped (it is replaced in place, not killed and made anew).
    virtual bool SetInterval(int ms) = 0;
    virtual bool Enabled() const = 0;
    // Enabling a running timer starts its interval again. A timer the window system refuses to
    // start stays as it was: Enabled() tells.
    virtual void SetEnabled(bool enabled) = 0;
    std::function<void()> Tick;
};

// Windows --------------------------------------------------------------------------------

class Window {
  public:
    virtual ~Window() = default;

    virtual std::string Caption() const = 0;
    virtual void SetCaption(std::string_view caption) = 0;
    virtual void Show() = 0;  // modeless, no owner; becomes the active window
    virtual void Hide() = 0;
    virtual bool Visible() const = 0;
    // Topmost, moved to the screen's top-left corner, size kept, made visible.
    virtual void PlaceTopmostAtOrigin() = 0;
    // Closes the window for good: Unload runs, then the window is destroyed. Calls on a closed
    // window do nothing.
    virtual void Close() = 0;
    virtual bool Closed() const = 0;

    // The layout's controls by name; a name the layout does not have, or a control of another
    // kind, is a programming error (std::logic_error).
    Label& GetLabel(std::string_view name) { return Get<Label>(name); }
    Button& GetButton(std::string_view name) { return Get<Button>(name); }
    TextBox& GetTextBox(std::string_view name) { return Get<TextBox>(name); }
    ListBox& GetListBox(std::string_view name) { return Get<ListBox>(name); }
    ComboBox& GetComboBox(std::string_view name) { return Get<ComboBox>(name); }
    // A timer that belongs to this window and dies with it.
    virtual Timer& AddTimer(std::string_view name, int intervalMs, bool enabled) = 0;

    // Runs when the user presses the close box (or Alt+F4, or the system menu's Close), before
    // the window closes.
    std::function<void()> CloseBox;
    // Runs when another program asks the window to close (Win32: WM_CLOSE, which taskkill without
    // /F posts; the user's close box comes as SC_CLOSE instead). Not set: as the close box.
    std::function<void()> CloseRequest;
    // Runs when the window closes, whether by its close box or by Close(), before it is
    // destroyed.
    std::function<void()> Unload;
    // Runs when another program asks this one to end as its own Exit would (the setup, before
    // it replaces or removes the program). Unlike the user's input it also arrives while a
    // message box or a menu of the program is open. (Win32: a registered window message posted
    // to the window, Win32Platform::kExitRequestMessage.)
    std::function<void()> ExitRequest;
    // Runs when the session ends (shutdown, sign-out) or the Restart Manager closes the program:
    // the process may be ended as soon as it returns, so whatever must be kept is saved inside it.
    // It also arrives while a message box or a menu of the program is open.
    std::function<void()> EndSession;

  protected:
    // The control of that name, or nullptr.
    virtual Control* FindControl(std::string_view name) = 0;

  private:
    template <typename T>
    T& Get(std::string_view name) {
        if (T* control = dynamic_cast<T*>(FindControl(name))) {
            return *control;
        }
        throw std::logic_error("no such control: " + Caption() + " " + std::string(name));
    }
};

// Popup menus ------------------------------------------------------------------------------

enum class MenuItemKind { Command, Separator };

struct MenuItem {
    std::string name;     // "mnuExit"
    std::string caption;  // "終了(&X)": & marks the access key
    MenuItemKind kind = MenuItemKind::Command;
    std::function<void()> Click;  // runs when the item is chosen, after the menu has closed
};

// The tray icon ----------------------------------------------------------------------------

// A mouse event on the tray icon.
enum class TrayMouse {
    Move,
    LeftDown,
    LeftUp,
    LeftDoubleClick,
    RightDown,
    RightUp,
    RightDoubleClick,
    MiddleDown,
    MiddleUp,
    MiddleDoubleClick,
    Other,
};

// What the icon shows besides the program's icon picture.
struct TrayIconData {
    std::string tip;
};

// The program's icon in the notification area. It reports to the window it was made for. From
// Add to Delete the icon is wanted in the tray; the shell may not take it (a task bar not ready
// yet at a busy logon), and a new task bar (Explorer restarted) has none of the old icons: the
// platform tries again at once when the task bar is created, the program by TryAgain.
class TrayIcon {
  public:
    virtual ~TrayIcon() = default;
    // Puts the icon, with the window's icon picture and this tip, into the tray.
    virtual void Add(const TrayIconData& data) = 0;
    // A wanted icon that is not in the tray: tries again to put it there (the shell may take
    // seconds to answer). Otherwise nothing.
    virtual void TryAgain() = 0;
    // Takes it out again; nothing happens when it is not there.
    virtual void Delete() = 0;
    // In the tray, as far as the shell has said.
    virtual bool Present() const = 0;
    // The user did something with the mouse on the icon.
    std::function<void(TrayMouse)> MouseEvent;
};

// Platform services ----------------------------------------------------------------------

enum class Buttons { Ok, YesNo };  // Yes is the default button of YesNo
enum class Icon { None, Information, Error };
enum class Answer { Ok, Yes, No };

// The title of a message box that has none of its own.
inline constexpr std::string_view ApplicationTitle = "Pelmora";

class Platform {
  public:
    virtual ~Platform() = default;

    virtual std::unique_ptr<Window> CreateForm(const WindowSpec& layout) = 0;

    // Modal; the message loop and so the timers keep running while it is open. An empty title
    // gives the application's title.
    virtual Answer MsgBox(std::string_view text, std::string_view title, Buttons buttons,
                          Icon icon) = 0;

    // A tray icon that reports to `owner` (not yet in the tray).
    virtual std::unique_ptr<TrayIcon> CreateTrayIcon(Window& owner) = 0;
    virtual void SetForegroundWindow(Window& window) = 0;
    // Opens a popup menu at the mouse position; when the user chooses an item, its Click runs
    // once the menu has closed.
    virtual void PopupMenu(Window& owner, const std::vector<MenuItem>& items) = 0;

    // True when another instance of the program is already running.
    virtual bool AnotherInstanceRunning() = 0;
    // The folder that holds the executable.
    virtual Path AppFolder() const = 0;
    virtual const Clock& clock() const = 0;
    virtual Files& files() = 0;

    // Starts playing a wave file and returns at once; a sound still playing is cut off. A
    // missing or unplayable file gives the system's default sound.
    virtual void PlayWave(const Path& wave) = 0;

    // Runs `work` after the event being handled now has finished.
    virtual void Defer(std::function<void()> work) = 0;

    // Every event the backends dispatch (a window's message, a timer, each deferred item) and the
    // start-up run through this when it is set, so that the program can take back what an event
    // that threw had done, and tell the user.
    std::function<void(const std::function<void()>& event)> eventGuard;
    // Runs one event through eventGuard. Whatever still escapes ends here: an exception never
    // unwinds through the window system's frames (on 32-bit Windows it cannot).
    void RunEvent(const std::function<void()>& event) noexcept {
        try {
            if (eventGuard) {
                eventGuard(event);
            } else {
                event();
            }
        } catch (...) {
        }
    }
};

// Base of every form: it owns its window, created from the form's layout.
class Form {
  public:
    virtual ~Form() = default;
    Window& window() { return *window_; }
    const Window& window() const { return *window_; }

  protected:
    Form(Platform& platform, const WindowSpec& layout) : window_(platform.CreateForm(layout)) {}

  private:
    std::unique_ptr<Window> window_;
};

}  // namespace pelmora::ui
