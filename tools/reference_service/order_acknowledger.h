#pragma once
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace refsvc {

enum class OrderEvent { New, Modify, Close, Delete };

// Which order event a request path names ("/SetTD.do" and so on), if any.
std::optional<OrderEvent> orderEventOfPath(const std::string& path);

// Answers order events the way the relay expects them acknowledged
// (acknowledgement.h), with the order's state field as the order log in the files folder now
// shows it: the field is not in the request, so it is looked up in the log. A
// trade system may have a files folder of its own (its terminal's); the others share one.
class OrderAcknowledger {
public:
    explicit OrderAcknowledger(std::filesystem::path filesFolder,
                               std::map<std::string, std::filesystem::path> foldersBySystem = {});

    // Field 5 of the first log line whose field 4 is ORDER_NO; nothing when the
    // log or the order is missing.
    std::optional<std::string> orderState(const std::string& orderNo, const std::string& systemId = {}) const;

    // The acknowledging reply, or nothing when the order is not in the log.
    std::optional<std::string> replyFor(OrderEvent event, const std::string& orderNo,
                                        const std::string& systemId = {}) const;

private:
    std::optional<std::filesystem::path> orderLogPath(const std::string& systemId) const;

    std::filesystem::path folder_;
    std::map<std::string, std::filesystem::path> foldersBySystem_;
};

}  // namespace refsvc
