#include "session_record.h"

#include <chrono>
#include <stdexcept>

namespace kvterminal {

namespace {

const char* kindName(mt4sim::TicketEventKind kind) {
    switch (kind) {
        case mt4sim::TicketEventKind::Opened: return "Opened";
        case mt4sim::TicketEventKind::Modified: return "Modified";
        case mt4sim::TicketEventKind::Filled: return "Filled";
        case mt4sim::TicketEventKind::Closed: return "Closed";
        case mt4sim::TicketEventKind::Deleted: return "Deleted";
        case mt4sim::TicketEventKind::Expired: return "Expired";
    }
    return "?";
}

const char* typeName(int type) {
    static const char* const names[] = {"BUY", "SELL", "BUYLIMIT", "SELLLIMIT", "BUYSTOP", "SELLSTOP"};
    return type >= 0 && type < 6 ? names[type] : "OTHER";
}

}  // namespace

std::int64_t wallMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

SessionRecord::SessionRecord(const std::filesystem::path& file, std::filesystem::path orderLog)
    : out_(file, std::ios::binary | std::ios::trunc), orderLog_(std::move(orderLog)) {
    if (!out_) throw std::runtime_error("cannot write " + file.string());
}

void SessionRecord::catchUp(const std::vector<mt4sim::TicketEvent>& events) {
    const std::int64_t now = wallMicros();
    for (; told_ < events.size(); ++told_) {
        const mt4sim::TicketEvent& event = events[told_];
        line(now, std::string(kindName(event.kind)) + " " + std::to_string(event.state.ticket) + " " +
                      typeName(event.state.type));
    }
}

void SessionRecord::noticeWrite() {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(orderLog_, error);
    if (error || written == lastWrite_) return;
    lastWrite_ = written;
    line(wallMicros(), "Written");
}

void SessionRecord::note(const std::string& what) { line(wallMicros(), what); }

void SessionRecord::line(std::int64_t micros, const std::string& text) {
    out_ << micros << ' ' << text << '\n';
    if (!out_.flush()) throw std::runtime_error("cannot write the session's history");
}

}  // namespace kvterminal
