#include "session_record.h"

#include <chrono>
#include <stdexcept>

namespace kvterminal {

namespace {

const char* kindName(mtsim::TicketEventKind kind) {
    switch (kind) {
        case mtsim::TicketEventKind::Opened: return "Opened";
        case mtsim::TicketEventKind::Modified: return "Modified";
        case mtsim::TicketEventKind::Filled: return "Filled";
        case mtsim::TicketEventKind::Closed: return "Closed";
        case mtsim::TicketEventKind::Deleted: return "Deleted";
        case mtsim::TicketEventKind::Expired: return "Expired";
    }
    return "?";
}

const char* typeName(mtsim::OrderType type) {
    static const char* const names[] = {"BUY", "SELL", "BUYLIMIT", "SELLLIMIT", "BUYSTOP", "SELLSTOP"};
    const int index = static_cast<int>(type);
    return index >= 0 && index < 6 ? names[index] : "OTHER";
}

// Why a line closed: from the comment MT4 gives it, or, on MT5, which gives
// none, from its price; a netting position reversed goes on in a new line.
std::string closeReason(const mtsim::TicketEvent& event, bool mt5) {
    const mtsim::LineState& line = event.line;
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

SessionRecord::SessionRecord(const std::filesystem::path& file, bool mt5)
    : out_(file, std::ios::binary | std::ios::trunc), mt5_(mt5) {
    if (!out_) throw std::runtime_error("cannot write the session history");
}

void SessionRecord::catchUp(const std::vector<mtsim::TicketEvent>& events) {
    const std::int64_t now = wallMicros();
    for (; told_ < events.size(); ++told_) {
        const mtsim::TicketEvent& event = events[told_];
        std::string text = kindName(event.kind);
        text.append(" ").append(std::to_string(event.line.number)).append(" ").append(typeName(event.line.type));
        if (event.kind == mtsim::TicketEventKind::Closed) text.append(" ").append(closeReason(event, mt5_));
        line(now, text);
    }
}

void SessionRecord::note(const std::string& what) { line(wallMicros(), what); }

void SessionRecord::line(std::int64_t micros, const std::string& text) {
    out_ << micros << ' ' << text << '\n';
    if (!out_.flush()) throw std::runtime_error("cannot write the session's history");
}

}  // namespace kvterminal
