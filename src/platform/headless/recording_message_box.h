#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace kv::platform::headless {

struct ShownMessage {
    std::string text;
    MessageIcon icon;
};

// Records every box; a test may act while a modal box is "open" through
// whileModal, and closes the modeless box as the trader would with pressOkOnModeless.
class RecordingMessageBox : public MessageBox {
public:
    std::vector<ShownMessage> shown;
    std::function<void(const ShownMessage&)> whileModal;
    std::optional<ShownMessage> modeless;  // while it is open

    void showModal(const std::string& text, MessageIcon icon) override {
        shown.push_back({text, icon});
        if (whileModal) whileModal(shown.back());
    }
    void openModeless(const std::string& text, MessageIcon icon, std::function<void()> closed) override {
        shown.push_back({text, icon});
        modeless = shown.back();
        closed_ = std::move(closed);
    }
    void closeModeless() override {
        modeless.reset();
        closed_ = nullptr;
    }
    void pressOkOnModeless() {
        std::function<void()> closed = std::move(closed_);
        closeModeless();
        if (closed) closed();
    }

private:
    std::function<void()> closed_;
};

}  // namespace kv::platform::headless
