#pragma once
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell_ui.h"
#include "platform/window_system.h"

namespace kv::platform::headless {

// What a test can see of one window.
struct WindowView {
    Form* form = nullptr;  // null once destroyed
    bool visible = false;
    WindowState state = WindowState::Normal;
    int timesShown = 0;
    int timesCentred = 0;
};

class HeadlessWindowSystem : public WindowSystem {
public:
    std::map<std::string, WindowView> windows;

    void show(Form& form) override;
    void hide(Form& form) override;
    void setState(Form& form, WindowState state) override;
    void centre(Form& form) override;
    void refresh(Form&) override {}
    void destroy(Form& form) override;

    bool isVisible(const std::string& name) const;
    // The trader's actions on a window that is on screen (throws when it is not).
    Form& onScreen(const std::string& name);
    void type(const std::string& window, const std::string& control, const std::string& text);
    void tick(const std::string& window, const std::string& control, int value);
    // Picks the items of these texts: the one a combo box shows, or those a list box selects.
    void select(const std::string& window, const std::string& control, const std::vector<std::string>& items);
    void click(const std::string& window, const std::string& button);
    void closeBox(const std::string& window);

private:
    WindowView& view(Form& form);
};

class HeadlessTray : public TrayIcon {
public:
    bool present = false;
    std::string tip;
    TrayLook look = TrayLook::Relaying;
    std::vector<std::string> balloons;
    int added = 0, removed = 0;
    void add(const std::string& tipText) override { present = true; tip = tipText; ++added; }
    void remove() override { present = false; ++removed; }
    void show(const std::string& tipText, TrayLook newLook) override { tip = tipText; look = newLook; }
    void balloon(const std::string& text) override { balloons.push_back(text); }
};

// Picks come from `picks` in order; an empty queue dismisses the menu.
class ScriptedPopupMenu : public PopupMenu {
public:
    std::deque<std::string> picks;
    std::vector<std::vector<MenuItem>> opened;
    std::string popup(const std::vector<MenuItem>& items) override;
};

class ScriptedFileDialog : public FileOpenDialog {
public:
    std::deque<std::optional<std::string>> answers;  // nothing = cancelled
    int opened = 0;
    std::string title, folder;  // of the last opening
    std::optional<std::string> choose(const std::string& title, const std::string& folder) override;
};

class HeadlessProcess : public Process {
public:
    bool ended = false;
    void end() override { ended = true; }
};

}  // namespace kv::platform::headless
