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
// whileOpen, and closes an opened box as the trader would with pressOk.
class RecordingMessageBox : public MessageBox {
public:
    std::vector<ShownMessage> shown;
    std::function<void(const ShownMessage&)> whileOpen;
    std::optional<ShownMessage> opened;  // the box that does not wait, while it is open

    void show(const std::string& text, MessageIcon icon) override {
        shown.push_back({text, icon});
        if (whileOpen) whileOpen(shown.back());
    }
    void open(const std::string& text, MessageIcon icon, std::function<void()> closed) override {
        shown.push_back({text, icon});
        opened = shown.back();
        closed_ = std::move(closed);
    }
    void closeOpened() override {
        opened.reset();
        closed_ = nullptr;
    }
    void pressOk() {
        std::function<void()> closed = std::move(closed_);
        closeOpened();
        if (closed) closed();
    }

private:
    std::function<void()> closed_;
};

}  // namespace kv::platform::headless
