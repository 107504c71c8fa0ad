#pragma once
#include <memory>
#include <mutex>
#include <ostream>
#include <random>
#include <string>

#include "account_book.h"
#include "fault_mode.h"
#include "order_acknowledger.h"
#include "request_record.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace refsvc {

// A stand-in for the relay's web service on 127.0.0.1: the login and the
// four order events, plus two endpoints for the tests:
//   /__control?mode=normal|refuse|delay&ms=N|garble|drop|short
//   /__requests   every request received so far, one target per line
//                 (?times: each line led by its arrival in steady microseconds)
// Each answered request is also written as one line to LOG. Over https it
// shows a fresh self-signed certificate, which no client trusts.
enum class Scheme { Http, Https };

class ReferenceService {
public:
    ReferenceService(AccountBook accounts, OrderAcknowledger orders, RequestRecord& record, std::ostream& log,
                     Scheme scheme = Scheme::Http);
    ~ReferenceService();
    ReferenceService(const ReferenceService&) = delete;
    ReferenceService& operator=(const ReferenceService&) = delete;

    // Binds 127.0.0.1:PORT (0 picks a free port) and returns the port bound.
    // Throws std::runtime_error when the port cannot be bound.
    int bind(int port);
    std::string baseUrl() const;  // "http://127.0.0.1:PORT" once bound
    void run();   // serves until stop(); call after bind()
    void stop();  // from any thread

    void setMode(const FaultMode& mode);

private:
    void routeRequests();
    // SUCCESS names what an unspoilt REPLY means ("logged in", "acknowledged"),
    // or is empty when the reply turns the request down.
    void answer(const httplib::Request& request, httplib::Response& response, const std::string& reply,
                const std::string& success);
    void logLine(const std::string& line);
    FaultMode currentMode();

    AccountBook accounts_;
    OrderAcknowledger orders_;
    RequestRecord& record_;
    std::ostream& log_;
    Scheme scheme_;
    std::unique_ptr<httplib::Server> server_;
    int port_ = 0;

    std::mutex mutex_;  // guards mode_, random_ and log_
    FaultMode mode_;
    std::mt19937 random_;
};

}  // namespace refsvc
