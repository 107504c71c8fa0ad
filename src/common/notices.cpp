#include "common/notices.h"

namespace kv {

Notices::~Notices() {
    if (onScreen_) boxes_.closeModeless();
}

void Notices::raise(const std::string& fault, const std::string& text) {
    if (!lasting_.insert(fault).second) return;
    waiting_.push_back({fault, text});
    tellNext();
}

void Notices::withdraw(const std::string& fault) {
    if (lasting_.erase(fault) == 0) return;
    std::erase_if(waiting_, [&](const Waiting& w) { return w.fault == fault; });
    if (onScreen_ != fault) return;
    onScreen_.reset();
    boxes_.closeModeless();
    tellNext();
}

void Notices::tellNext() {
    if (onScreen_ || waiting_.empty()) return;
    Waiting next = std::move(waiting_.front());
    waiting_.pop_front();
    onScreen_ = next.fault;
    boxes_.openModeless(next.text, platform::MessageIcon::Error, [this] {
        onScreen_.reset();
        tellNext();
    });
}

}  // namespace kv
