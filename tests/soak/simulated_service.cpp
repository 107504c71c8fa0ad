#include "simulated_service.h"

#include "support/machine.h"

namespace soak {

namespace {

std::optional<EventKind> kindOf(const std::string& url) {
    auto path = url.find('/', std::string("http://").size());
    const std::string rest = url.substr(path);
    if (rest.starts_with("/SetTD.do?")) return EventKind::New;
    if (rest.starts_with("/EditTD.do?")) return EventKind::Modification;
    if (rest.starts_with("/CloseTD.do?")) return EventKind::Close;
    if (rest.starts_with("/DeleteTD.do?")) return EventKind::Delete;
    return std::nullopt;
}

// The pairs each request carries, with the order's value for each.
std::vector<std::pair<std::string, std::string>> expectedPairs(EventKind kind, const ExpertOrder& o) {
    std::vector<std::pair<std::string, std::string>> pairs{
        {"systemid", "12"}, {"accountno", "52001"}, {"orderno", o.no}, {"ordertype", o.type}};
    if (kind == EventKind::New) pairs.push_back({"symbol", o.symbol});
    for (auto p : {std::pair<std::string, std::string>{"lots", o.lots}, {"openprice", o.openPrice},
                   {"stoploss", o.stopLoss}, {"takeprofit", o.takeProfit}})
        pairs.push_back(p);
    if (kind == EventKind::New) pairs.push_back({"demo", "1"});
    if (kind == EventKind::Close || kind == EventKind::Delete) pairs.push_back({"closeprice", o.closePrice});
    if (kind == EventKind::Close) pairs.push_back({"pnl", o.pnl});
    static const std::map<EventKind, std::string> modes{
        {EventKind::New, "New"}, {EventKind::Modification, "Mod"}, {EventKind::Close, "Cls"}, {EventKind::Delete, "Del"}};
    pairs.push_back({"mode", modes.at(kind)});
    return pairs;
}

}  // namespace

const char* faultName(ReplyFault fault) {
    switch (fault) {
        case ReplyFault::None: return "none";
        case ReplyFault::TimeOut: return "time-out";
        case ReplyFault::Refused: return "connection refused";
        case ReplyFault::ErrorPage: return "error page";
        case ReplyFault::EmptyReply: return "empty reply";
        case ReplyFault::AnotherOrder: return "reply for another order";
        case ReplyFault::AnotherState: return "reply for another state";
        case ReplyFault::OneCharacterShort: return "reply one character short";
        case ReplyFault::DeathBeforeReply: return "death while the request is sent";
        case ReplyFault::DeathAfterReply: return "death after the service took the event";
    }
    return "?";
}

// The request is exactly the one the order's line in the log makes: a line
// the program read half-written would give other values.
bool SimulatedService::carriesTheLog(const std::string& url, EventKind kind, const ExpertOrder& o) const {
    std::string query = "?";
    for (const auto& [name, value] : expectedPairs(kind, o)) query += (query.size() > 1 ? "&" : "") + name + "=" + value;
    const bool closedRightly = kind == EventKind::New || kind == EventKind::Modification
                                   ? o.mark == 'O'
                                   : o.mark == 'X' && o.market() == (kind == EventKind::Close);
    return url.ends_with(query) && closedRightly;
}

std::optional<std::string> SimulatedService::spoilt(ReplyFault fault, const std::string& answer) const {
    switch (fault) {
        case ReplyFault::TimeOut:
        case ReplyFault::Refused: return std::nullopt;
        case ReplyFault::ErrorPage: return std::string("<html><body><h1>503 Service Unavailable</h1></body></html>");
        case ReplyFault::EmptyReply: return std::string();
        case ReplyFault::AnotherOrder: return "9" + answer;
        case ReplyFault::AnotherState: {
            std::string other = answer;
            char& mark = other[other.find(';') + 1];
            mark = mark == 'X' ? 'O' : 'X';
            return other;
        }
        case ReplyFault::OneCharacterShort: return answer.substr(0, answer.size() - 1);
        default: return answer;
    }
}

std::optional<std::string> SimulatedService::answer(const std::string& url) {
    const std::optional<EventKind> kind = kindOf(url);
    if (!kind) return loginReply;
    ++requests;
    if (awaitingJournal_) {
        ledger_.fault("acknowledged but not in Active.log: " + *awaitingJournal_);
        awaitingJournal_.reset();
    }
    const std::string no = kvtest::pairValue(url, "orderno");
    const ExpertOrder* order = expert_.order(no);
    const bool faithful = order && carriesTheLog(url, *kind, *order);
    if (!faithful) {
        ++garbled;
        ledger_.fault("a request the log does not make: " + url);
    }
    if (!order) return std::string("unknown order");

    const std::string answer = no + ";" + order->field5() + (*kind == EventKind::Modification ? "ok\n" : "\n");
    const ReplyFault fault = nextFault ? nextFault() : ReplyFault::None;
    if (fault != ReplyFault::None) ++faultsInjected[faultName(fault)];
    if (fault == ReplyFault::DeathBeforeReply) throw kvtest::Killed{};
    if (fault == ReplyFault::DeathAfterReply) {
        if (faithful) take(*kind, no, order->field5());
        throw kvtest::Killed{};
    }
    if (fault == ReplyFault::None && faithful) {
        take(*kind, no, order->field5());
        awaitingJournal_ = "\"" + url + "\"";
    }
    return spoilt(fault, answer);
}

void SimulatedService::take(EventKind kind, const std::string& no, const std::string& field5) {
    ++taken;
    ledger_.take(kind, no, field5);
}

void SimulatedService::journalAppended(bool written) {
    if (!awaitingJournal_) {
        ledger_.fault("Active.log appended without an acknowledgement");
        return;
    }
    if (written)
        journal_.push_back(*awaitingJournal_);
    else
        ++journalLinesLost;
    awaitingJournal_.reset();
}

void SimulatedService::cycleEnded() {
    if (awaitingJournal_) ledger_.fault("acknowledged but not in Active.log: " + *awaitingJournal_);
    awaitingJournal_.reset();
}

}  // namespace soak
