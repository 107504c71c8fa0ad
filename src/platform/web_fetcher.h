#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kv::platform {

// Why a request brought no reply at all.
enum class NoReply {
    Unreachable,           // no connection, a time-out, a dropped connection, a URL that is not http or https
    UntrustedCertificate,  // the service's certificate is refused: an untrusted root, a wrong name, expired, revoked
};

// What one GET brought: the body of the reply, whatever its status (an error
// page from a live service is a reply), or, without one, why none came.
struct Fetched {
    std::optional<std::string> reply;
    NoReply noReply = NoReply::Unreachable;
};

// Performs one HTTP GET. Nothing is ever sent over a connection whose
// certificate was refused.
class WebFetcher {
public:
    virtual ~WebFetcher() = default;
    virtual Fetched FetchUrl(const std::string& url) = 0;
};

// Each caller (the login dialog, the relay) creates and keeps its own fetcher.
class WebFetcherFactory {
public:
    virtual ~WebFetcherFactory() = default;
    virtual std::unique_ptr<WebFetcher> create() = 0;
};

// The host name of a URL: what stands between "://" and the port, path or end.
std::string_view hostOf(std::string_view url);

}  // namespace kv::platform
