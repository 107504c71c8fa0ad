#pragma once
#include <filesystem>
#include <optional>
#include <string>

namespace refsvc {

enum class OrderEvent { New, Modify, Close, Delete };

// Which order event a request path names ("/SetTD.do" and so on), if any.
std::optional<OrderEvent> orderEventOfPath(const std::string& path);

// Answers order events the way the relay expects them acknowledged
// (acknowledgement.h), with the order's state field as the order log in the files folder now
// shows it: the field is not in the request, so it is looked up in the log.
class OrderAcknowledger {
public:
    explicit OrderAcknowledger(std::filesystem::path filesFolder);

    // Field 5 of the first log line whose field 4 is ORDER_NO; nothing when the
    // log or the order is missing.
    std::optional<std::string> orderState(const std::string& orderNo) const;

    // The acknowledging reply, or nothing when the order is not in the log.
    std::optional<std::string> replyFor(OrderEvent event, const std::string& orderNo) const;

private:
    std::optional<std::filesystem::path> orderLogPath() const;

    std::filesystem::path folder_;
};

}  // namespace refsvc
