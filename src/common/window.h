#pragma once
#include <string>

#include "platform/form.h"
#include "platform/window_system.h"

namespace kv {

// A window that exists at most once. Its first use creates it and runs its
// load; using it again does not. Unloading runs its unload handler and closes
// it; the object and its public values stay, and the next use loads it again.
class Window : public platform::FormEvents {
public:
    Window(platform::WindowSystem& windows, std::string name, std::string caption);
    ~Window() override = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The single-instance rule: call before any use of the window's controls.
    void use();
    bool loaded() const { return loaded_; }
    void unload();   // runs the unload handler, then closes the window
    void discard();  // closed without its unload handler (the program is ending)

    void showModeless();
    void hide();
    void setState(platform::WindowState state);
    void centre();
    void refresh();  // shows control values the core changed

    platform::Form& form() { return form_; }
    platform::Control& control(const std::string& name);

    void onButton(const std::string&) override {}
    void onCloseCommand() override { unload(); }

protected:
    // Builds the controls with their initial values (run before each load).
    virtual void createControls() {}
    void addControl(std::string name, platform::ControlKind kind, std::string text = {});
    virtual void onLoad() {}
    virtual void onUnload() {}

    platform::WindowSystem& windows_;

private:
    platform::Form form_;
    bool loaded_ = false;
};

}  // namespace kv
