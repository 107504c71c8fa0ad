#include "relay/order_reporting.h"

#include <algorithm>
#include <utility>
#include <vector>


namespace kv {

namespace {

using Field = std::string_view OrderLine::*;
using Pairs = std::vector<std::pair<const char*, Field>>;

struct Request {
    const char* path;
    Pairs pairs;  // after systemid=, before mode=
    const char* mode;
    int reportKind;
};

const Request& requestFor(OrderEvent event) {
    static const Request requests[] = {
        {"/SetTD.do?",
         {{"accountno=", &OrderLine::accountNo}, {"orderno=", &OrderLine::orderNo},
          {"ordertype=", &OrderLine::orderType}, {"symbol=", &OrderLine::orderSymbol},
          {"lots=", &OrderLine::orderLots}, {"openprice=", &OrderLine::openPrice},
          {"stoploss=", &OrderLine::stopLoss}, {"takeprofit=", &OrderLine::takeProfit},
          {"demo=", &OrderLine::demoFlag}},
         "New", 1},
        {"/EditTD.do?",
         {{"accountno=", &OrderLine::accountNo}, {"orderno=", &OrderLine::orderNo},
          {"ordertype=", &OrderLine::orderType}, {"lots=", &OrderLine::orderLots},
          {"openprice=", &OrderLine::openPrice}, {"stoploss=", &OrderLine::stopLoss},
          {"takeprofit=", &OrderLine::takeProfit}},
         "Mod", 0},
        {"/CloseTD.do?",
         {{"accountno=", &OrderLine::accountNo}, {"orderno=", &OrderLine::orderNo},
          {"ordertype=", &OrderLine::orderType}, {"lots=", &OrderLine::orderLots},
          {"openprice=", &OrderLine::openPrice}, {"stoploss=", &OrderLine::stopLoss},
          {"takeprofit=", &OrderLine::takeProfit}, {"closeprice=", &OrderLine::closePrice},
          {"pnl=", &OrderLine::orderPnl}},
         "Cls", 2},
        {"/DeleteTD.do?",
         {{"accountno=", &OrderLine::accountNo}, {"orderno=", &OrderLine::orderNo},
          {"ordertype=", &OrderLine::orderType}, {"lots=", &OrderLine::orderLots},
          {"openprice=", &OrderLine::openPrice}, {"stoploss=", &OrderLine::stopLoss},
          {"takeprofit=", &OrderLine::takeProfit}, {"closeprice=", &OrderLine::closePrice}},
         "Del", 2},
    };
    return requests[static_cast<int>(event)];
}

}  // namespace

const char* requestPath(OrderEvent event) { return requestFor(event).path; }

std::string requestUrl(const std::string& host, const std::string& systemId, OrderEvent event, const OrderLine& line) {
    const Request& request = requestFor(event);
    std::string url = host;
    url.append(request.path).append("systemid=").append(systemId);
    for (const auto& [name, field] : request.pairs) url.append("&").append(name).append(line.*field);
    url.append("&mode=").append(request.mode);
    return url;
}

bool acknowledges(const std::optional<std::string>& reply, OrderEvent event, const OrderLine& line) {
    if (!reply) return false;
    std::optional<Reply> fields = splitReply(*reply);
    if (!fields) return false;
    std::string_view state = fields->replyState;
    // A modification is answered with three characters after field 5, not one.
    if (event == OrderEvent::Modification) state.remove_suffix(std::min<std::size_t>(2, state.size()));
    std::string answered(fields->replyOrderNo);
    answered.append(state);
    std::string expected(line.orderNo);
    expected.append(line.orderState);
    return answered == expected;
}

OrderReporter::OrderReporter(const platform::Platform& platform, const FrmMainMdi& main, ProsesWriteMO& module,
                             const TerminalSite& site, OrderTables& tables, KnownOrders& known, FileWriter& activeLog,
                             std::uint64_t deadline)
    : platform_(platform),
      main_(main),
      module_(module),
      site_(site),
      tables_(tables),
      known_(known),
      activeLog_(activeLog),
      deadline_(deadline) {}

void OrderReporter::reportOrderEvent(OrderEvent event, const OrderLine& line, std::optional<std::size_t> knownIndex) {
    if (connectionLost_ || outOfTime_) return;
    if (platform_.clock.steadyMilliseconds() >= deadline_) {
        outOfTime_ = true;
        return;
    }
    std::string url = requestUrl(main_.host, site_.systemId(), event, line);
    module_.reportKind = requestFor(event).reportKind;
    if (!module_.engineFetcher) module_.engineFetcher = platform_.web.create();
    ++requestsSent_;
    const platform::Fetched fetched = module_.engineFetcher->FetchUrl(url);
    if (!fetched.reply) connectionLost_ = true;
    const bool accepted = acknowledges(fetched.reply, event, line);
    module_.relayFacts.answered(fetched, accepted, platform_.clock.now());
    module_.relayFacts.terminals[site_.key()].answered(fetched.reply.has_value(), accepted);
    if (!accepted) return;
    acknowledged(event, line, knownIndex);
    appendActiveLog("\"" + url + "\"");
}

void OrderReporter::acknowledged(OrderEvent event, const OrderLine& line, std::optional<std::size_t> knownIndex) {
    if (event != OrderEvent::New) known_.remove(*knownIndex);
    if (event == OrderEvent::Close || event == OrderEvent::Delete)
        tables_.Closelist.push_back(knownRecordOf(line));
    else
        known_.append(knownRecordOf(line));
}

void OrderReporter::appendActiveLog(const std::string& line) {
    // The event was acknowledged, so the tables move on even when the journal
    // line cannot be written; the counter counts the lines really there.
    if (activeLog_.append(activeLogPath(platform_), line)) ++module_.reportCounter;
}

}  // namespace kv
