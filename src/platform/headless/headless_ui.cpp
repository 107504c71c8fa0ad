#include "platform/headless/headless_ui.h"

#include <algorithm>
#include <stdexcept>

namespace kv::platform::headless {

WindowView& HeadlessWindowSystem::view(Form& form) {
    WindowView& v = windows[form.name];
    v.form = &form;
    return v;
}

void HeadlessWindowSystem::show(Form& form) {
    WindowView& v = view(form);
    v.visible = true;
    ++v.timesShown;
}

void HeadlessWindowSystem::hide(Form& form) { view(form).visible = false; }
void HeadlessWindowSystem::setState(Form& form, WindowState state) { view(form).state = state; }
void HeadlessWindowSystem::centre(Form& form) { ++view(form).timesCentred; }

void HeadlessWindowSystem::destroy(Form& form) {
    WindowView& v = view(form);
    v.visible = false;
    v.form = nullptr;
}

bool HeadlessWindowSystem::isVisible(const std::string& name) const {
    auto it = windows.find(name);
    return it != windows.end() && it->second.form && it->second.visible;
}

Form& HeadlessWindowSystem::onScreen(const std::string& name) {
    if (!isVisible(name)) throw std::logic_error("window " + name + " is not on screen");
    return *windows[name].form;
}

void HeadlessWindowSystem::type(const std::string& window, const std::string& control, const std::string& text) {
    Form& form = onScreen(window);
    form.control(control).text = text;
    form.events->onTextChange(control);
}

void HeadlessWindowSystem::tick(const std::string& window, const std::string& control, int value) {
    onScreen(window).control(control).value = value;
}

void HeadlessWindowSystem::select(const std::string& window, const std::string& control,
                                  const std::vector<std::string>& items) {
    Form& form = onScreen(window);
    Control& box = form.control(control);
    std::vector<std::size_t> picked;
    for (const auto& item : items) {
        const auto at = std::find(box.items.begin(), box.items.end(), item);
        if (at == box.items.end()) throw std::logic_error(control + " has no item " + item);
        picked.push_back(static_cast<std::size_t>(at - box.items.begin()));
    }
    if (box.kind == ControlKind::ComboBox) {
        if (picked.size() != 1) throw std::logic_error("a combo box shows one item");
        box.text = items.front();
    } else {
        box.selected = picked;
    }
    form.events->onPick(control);
}

void HeadlessWindowSystem::click(const std::string& window, const std::string& button) {
    onScreen(window).events->onButton(button);
}

void HeadlessWindowSystem::closeBox(const std::string& window) { onScreen(window).events->onCloseCommand(); }

std::string ScriptedPopupMenu::popup(const std::vector<MenuItem>& items) {
    opened.push_back(items);
    if (picks.empty()) return {};
    std::string pick = picks.front();
    picks.pop_front();
    return pick;
}

std::optional<std::string> ScriptedFileDialog::choose(const std::string& titleShown, const std::string& startFolder) {
    ++opened;
    title = titleShown;
    folder = startFolder;
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace kv::platform::headless
