#include "reference_service.h"

#include <httplib.h>

#include <stdexcept>
#include <thread>

#include "connection_dropper.h"
#include "raw_query.h"
#include "self_signed_certificate.h"

namespace refsvc {
namespace {

constexpr const char* kLoopback = "127.0.0.1";

// Line breaks in a reply shown as \n so each log entry stays on one line.
std::string visible(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

bool isControlPath(const std::string& path) { return path.rfind("/__", 0) == 0; }

std::unique_ptr<httplib::Server> serverFor(Scheme scheme) {
    if (scheme == Scheme::Http) return std::make_unique<httplib::Server>();
    // The server takes its own references to the key and the certificate.
    const auto identity = SelfSignedCertificate::make();
    auto server = std::make_unique<httplib::SSLServer>(identity.certificate.get(), identity.key.get());
    if (!server->is_valid()) throw std::runtime_error("cannot serve https with the self-signed certificate");
    return server;
}

}  // namespace

ReferenceService::ReferenceService(AccountBook accounts, OrderAcknowledger orders, RequestRecord& record,
                                   std::ostream& log, Scheme scheme)
    : accounts_(std::move(accounts)),
      orders_(std::move(orders)),
      record_(record),
      log_(log),
      scheme_(scheme),
      server_(serverFor(scheme)),
      random_(std::random_device{}()) {
    routeRequests();
}

ReferenceService::~ReferenceService() = default;

int ReferenceService::bind(int port) {
    port_ = port == 0 ? server_->bind_to_any_port(kLoopback) : (server_->bind_to_port(kLoopback, port) ? port : -1);
    if (port_ <= 0) throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
    return port_;
}

std::string ReferenceService::baseUrl() const {
    return std::string(scheme_ == Scheme::Https ? "https://" : "http://") + kLoopback + ":" + std::to_string(port_);
}

void ReferenceService::run() { server_->listen_after_bind(); }

void ReferenceService::stop() { server_->stop(); }

void ReferenceService::setMode(const FaultMode& mode) {
    {
        std::lock_guard lock(mutex_);
        mode_ = mode;
    }
    logLine("mode " + faultModeName(mode));
}

FaultMode ReferenceService::currentMode() {
    std::lock_guard lock(mutex_);
    return mode_;
}

void ReferenceService::logLine(const std::string& line) {
    std::lock_guard lock(mutex_);
    log_ << line << std::endl;
}

void ReferenceService::routeRequests() {
    // Headers and body leave in separate writes: without this, each reply
    // waits on the client's delayed acknowledgement, tens of milliseconds.
    server_->set_tcp_nodelay(true);
    // A connection serves many requests, as a web server's does, rather than five.
    server_->set_keep_alive_max_count(1000);
    server_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        if (isControlPath(request.path)) return httplib::Server::HandlerResponse::Unhandled;
        if (record_.add(request.target)) return httplib::Server::HandlerResponse::Unhandled;
        logLine("record full, refused " + request.target);
        response.status = 503;
        response.set_content("record full", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
    });

    server_->Get("/LoginCheckAction.do", [this](const httplib::Request& request, httplib::Response& response) {
        const auto query = queryOf(request.target);
        const auto reply = accounts_.loginReply(queryValue(query, "email").value_or(""),
                                                queryValue(query, "password").value_or(""));
        answer(request, response, reply, reply == "0;" ? "" : "logged in");
    });

    server_->Get(R"(/(SetTD|EditTD|CloseTD|DeleteTD)\.do)",
                 [this](const httplib::Request& request, httplib::Response& response) {
                     const auto query = queryOf(request.target);
                     const auto orderNo = queryValue(query, "orderno");
                     const auto reply = orderNo ? orders_.replyFor(*orderEventOfPath(request.path), *orderNo,
                                                                   queryValue(query, "systemid").value_or(""))
                                                : std::nullopt;
                     answer(request, response, reply.value_or("unknown order"), reply ? "acknowledged" : "");
                 });

    server_->Get("/__control", [this](const httplib::Request& request, httplib::Response& response) {
        const auto query = queryOf(request.target);
        const auto mode = parseFaultMode(queryValue(query, "mode").value_or(""), queryValue(query, "ms"));
        if (!mode) {
            response.status = 400;
            response.set_content("use mode=normal|refuse|delay&ms=N|garble|drop|short\n", "text/plain");
            return;
        }
        setMode(*mode);
        response.set_content("mode " + faultModeName(*mode) + "\n", "text/plain");
    });

    server_->Get("/__requests", [this](const httplib::Request& request, httplib::Response& response) {
        response.set_content(record_.text(request.has_param("times")), "text/plain");
    });

    server_->set_error_handler([this](const httplib::Request& request, httplib::Response& response) {
        if (response.status == 404) {
            logLine(request.target + "  =>  404");
            response.set_content("not found", "text/plain");
        }
    });
}

void ReferenceService::answer(const httplib::Request& request, httplib::Response& response, const std::string& reply,
                              const std::string& success) {
    const auto mode = currentMode();
    if (mode.kind == FaultKind::Delay) std::this_thread::sleep_for(mode.delay);
    std::optional<std::string> sent;
    {
        std::lock_guard lock(mutex_);
        sent = applyFault(mode, reply, random_);
    }
    if (!sent) {
        shutDownConnection(port_, request.remote_port);
        logLine(request.target + "  =>  (dropped)");
        return;
    }
    response.set_content(*sent, "text/plain");
    const bool unspoilt = !success.empty() && *sent == reply;
    logLine(request.target + "  =>  \"" + visible(*sent) + "\"" + (unspoilt ? "  " + success : ""));
}

}  // namespace refsvc
