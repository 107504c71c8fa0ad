#pragma once
#include "platform/form.h"

namespace kv::platform {

// Shows the core's windows. The main window ("FrmMainMdi") is the platform's
// hidden top-level window; every other form is a dialog.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    virtual void show(Form& form) = 0;   // modeless, no owner; creates it on screen if needed
    virtual void hide(Form& form) = 0;
    virtual void setState(Form& form, WindowState state) = 0;
    virtual void centre(Form& form) = 0;
    virtual void refresh(Form& form) = 0;  // the core changed control values: show them
    virtual void destroy(Form& form) = 0;  // the window is unloaded: remove it from the screen
};

}  // namespace kv::platform
