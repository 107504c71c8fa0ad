#pragma once
#include <deque>
#include <optional>
#include <set>
#include <string>

#include "platform/message_box.h"

namespace kv {

// Faults that the poll cycle finds and must tell the trader of, such as a
// missing order log or a state file that cannot be written. No cycle waits
// for the trader: each fault is told once, in a box that does not block,
// while it lasts; the box closes by itself when the fault ends, and only a
// fault that comes back after that is told again. One box at a time: a fault
// found while another is on screen is told when that box closes.
class Notices {
public:
    explicit Notices(platform::MessageBox& boxes) : boxes_(boxes) {}
    ~Notices();
    Notices(const Notices&) = delete;
    Notices& operator=(const Notices&) = delete;

    // The fault, named by `fault`, is there now.
    void raise(const std::string& fault, const std::string& text);
    // The fault is gone.
    void withdraw(const std::string& fault);

private:
    struct Waiting {
        std::string fault, text;
    };

    void tellNext();

    platform::MessageBox& boxes_;
    std::set<std::string> lasting_;      // raised and not withdrawn: told, on screen or waiting
    std::deque<Waiting> waiting_;        // lasting, not told yet
    std::optional<std::string> onScreen_;
};

}  // namespace kv
