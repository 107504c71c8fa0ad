#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace kv::platform::headless {

struct ShownMessage {
    std::string text;
    MessageIcon icon;
};

// Records every box; a test may act while a box is "open" through whileOpen.
class RecordingMessageBox : public MessageBox {
public:
    std::vector<ShownMessage> shown;
    std::function<void(const ShownMessage&)> whileOpen;

    void show(const std::string& text, MessageIcon icon) override {
        shown.push_back({text, icon});
        if (whileOpen) whileOpen(shown.back());
    }
};

}  // namespace kv::platform::headless
