#include "common/window.h"

namespace kv {

Window::Window(platform::WindowSystem& windows, std::string name, std::string caption) : windows_(windows) {
    form_.name = std::move(name);
    form_.caption = std::move(caption);
    form_.events = this;
}

void Window::use() {
    if (loaded_) return;
    form_.controls.clear();
    createControls();
    loaded_ = true;
    onLoad();
}

void Window::unload() {
    if (!loaded_) return;
    onUnload();
    loaded_ = false;
    windows_.destroy(form_);
}

void Window::discard() {
    if (!loaded_) return;
    loaded_ = false;
    windows_.destroy(form_);
}

void Window::showModeless() {
    use();
    windows_.show(form_);
}

void Window::hide() {
    use();
    windows_.hide(form_);
}

void Window::setState(platform::WindowState state) {
    use();
    windows_.setState(form_, state);
}

void Window::centre() { windows_.centre(form_); }

void Window::refresh() {
    if (loaded_) windows_.refresh(form_);
}

void Window::addControl(std::string name, platform::ControlKind kind, std::string text) {
    platform::Control c;
    c.name = std::move(name);
    c.kind = kind;
    c.text = std::move(text);
    form_.controls.push_back(std::move(c));
}

platform::Control& Window::control(const std::string& name) {
    use();
    return form_.control(name);
}

}  // namespace kv
