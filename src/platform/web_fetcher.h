#pragma once
#include <memory>
#include <optional>
#include <string>

namespace kv::platform {

// Performs one HTTP GET and returns the body of the reply. No value means the
// request failed at the transport level (no connection, time-out): there was
// no reply at all. An error page from a live service is a reply.
class WebFetcher {
public:
    virtual ~WebFetcher() = default;
    virtual std::optional<std::string> FetchUrl(const std::string& url) = 0;
};

// Each caller (the login dialog, the relay) creates and keeps its own fetcher.
class WebFetcherFactory {
public:
    virtual ~WebFetcherFactory() = default;
    virtual std::unique_ptr<WebFetcher> create() = 0;
};

}  // namespace kv::platform
