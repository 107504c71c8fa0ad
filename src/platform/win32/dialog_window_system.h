#pragma once
#include <map>
#include <memory>
#include <string>

#include "platform/win32/app_icons.h"
#include "platform/win32/dialog_layout.h"
#include "platform/win32/hidden_window.h"
#include "platform/window_system.h"

namespace kv::platform::win32 {

// Shows the core's forms: "FrmMainMdi" is the hidden main window, the
// dialogs come from the resources named after their forms, and any other
// form (a hidden holder) has no window at all.
//
// The form stays the truth about its controls: what the trader types or
// ticks is copied into it at once and again before a handler runs, and what
// the handler changed is shown when it returns.
class DialogWindowSystem : public WindowSystem {
public:
    DialogWindowSystem(HINSTANCE instance, HiddenWindow& hiddenWindow, const AppIcons& icons);
    ~DialogWindowSystem() override;

    void show(Form& form) override;
    void hide(Form& form) override;
    void setState(Form& form, WindowState state) override;
    void centre(Form& form) override;
    void refresh(Form& form) override;
    void destroy(Form& form) override;

    // The message loop offers every message here first: Tab, the arrow keys,
    // Enter (the default button) and Escape (the close command) of a dialog
    // are handled by the dialog manager.
    bool handleDialogMessage(MSG& message);

    HWND handleOf(const Form& form) const;  // nullptr when the form has no window now

private:
    struct OpenWindow {
        Form* form = nullptr;
        const DialogLayout* layout = nullptr;  // nullptr for the main window
        HWND window = nullptr;
        WindowState state = WindowState::Normal;
        bool pushing = false;  // our own changes must not be read back as typing
        DialogWindowSystem* owner = nullptr;
    };

    OpenWindow* find(const Form& form) const;
    OpenWindow* open(Form& form);  // finds or creates (hidden); nullptr for windowless forms
    void push(OpenWindow& window);

    template <class Handler>
    void runHandler(OpenWindow& window, Handler handler);

    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handleMessage(OpenWindow& window, UINT message, WPARAM wParam);
    void onInit(OpenWindow& window);
    void onCommand(OpenWindow& window, int id, int code);

    HINSTANCE instance_;
    HiddenWindow& hiddenWindow_;
    AppIcons icons_;
    std::map<std::string, std::unique_ptr<OpenWindow>> windows_;  // by form name
};

}  // namespace kv::platform::win32
