#include "order_acknowledger.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <system_error>

#include "acknowledgement.h"
#include "text_lines.h"

namespace refsvc {
namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

constexpr std::size_t kOrderNoField = 3;  // field 4, counted from 0
constexpr std::size_t kStateField = 4;    // field 5

}  // namespace

std::optional<OrderEvent> orderEventOfPath(const std::string& path) {
    if (path == "/SetTD.do") return OrderEvent::New;
    if (path == "/EditTD.do") return OrderEvent::Modify;
    if (path == "/CloseTD.do") return OrderEvent::Close;
    if (path == "/DeleteTD.do") return OrderEvent::Delete;
    return std::nullopt;
}

OrderAcknowledger::OrderAcknowledger(std::filesystem::path filesFolder,
                                     std::map<std::string, std::filesystem::path> foldersBySystem)
    : folder_(std::move(filesFolder)), foldersBySystem_(std::move(foldersBySystem)) {}

std::optional<std::filesystem::path> OrderAcknowledger::orderLogPath(const std::string& systemId) const {
    const auto own = foldersBySystem_.find(systemId);
    const std::filesystem::path& folder = own == foldersBySystem_.end() ? folder_ : own->second;
    // The expert and the relay spell the name differently; on Windows it is one file.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (lowered(entry.path().filename().string()) == "systemorder.log") return entry.path();
    }
    return std::nullopt;
}

std::optional<std::string> OrderAcknowledger::orderState(const std::string& orderNo,
                                                         const std::string& systemId) const {
    const auto path = orderLogPath(systemId);
    if (!path) return std::nullopt;
    std::string text;
    try {
        text = readWholeFile(path->string());
    } catch (const std::runtime_error&) {
        return std::nullopt;  // being replaced by the expert right now; the relay asks again
    }
    for (const auto& line : splitAnyLines(text)) {
        const auto fields = splitFields(line);
        if (fields.size() > kStateField && fields[kOrderNoField] == orderNo) return fields[kStateField];
    }
    return std::nullopt;
}

std::optional<std::string> OrderAcknowledger::replyFor(OrderEvent event, const std::string& orderNo,
                                                       const std::string& systemId) const {
    const auto state = orderState(orderNo, systemId);
    if (!state) return std::nullopt;
    return acknowledgement(orderNo, *state, event == OrderEvent::Modify);
}

}  // namespace refsvc
