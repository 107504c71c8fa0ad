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

// Why a line closed: from the comment MT4 gives it, or, on MT5, which gives
// none, from its price; a netting position reversed goes on in a new line.
std::string closeReason(const mt4sim::TicketEvent& event, bool mt5) {
    const mt4sim::Order& line = event.state;
    if (event.relatedTicket != 0) return mt5 ? "reversed" : "partly";
    if (line.comment == "[sl]" || (mt5 && line.stopLoss != 0 && line.closePrice == line.stopLoss)) return "at-stop-loss";
    if (line.comment == "[tp]" || (mt5 && line.takeProfit != 0 && line.closePrice == line.takeProfit))
        return "at-take-profit";
    return "by-trader";
}

}  // namespace

std::int64_t wallMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

SessionRecord::SessionRecord(const std::filesystem::path& file, std::filesystem::path orderLog, bool mt5)
    : out_(file, std::ios::binary | std::ios::trunc), orderLog_(std::move(orderLog)), mt5_(mt5) {
    if (!out_) throw std::runtime_error("cannot write the session history");
}

void SessionRecord::catchUp(const std::vector<mt4sim::TicketEvent>& events) {
    const std::int64_t now = wallMicros();
    for (; told_ < events.size(); ++told_) {
        const mt4sim::TicketEvent& event = events[told_];
        std::string text = kindName(event.kind);
        text.append(" ").append(std::to_string(event.state.ticket)).append(" ").append(typeName(event.state.type));
        if (event.kind == mt4sim::TicketEventKind::Closed) text.append(" ").append(closeReason(event, mt5_));
        line(now, text);
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
