#include "platform/win32/winhttp_fetcher_factory.h"

namespace kv::platform::win32 {

namespace {

class WinHttpFetcher : public WebFetcher {
public:
    explicit WinHttpFetcher(WinHttpSession& session) : session_(session) {}
    Fetched FetchUrl(const std::string& url) override { return session_.get(url); }

private:
    WinHttpSession& session_;
};

}  // namespace

std::unique_ptr<WebFetcher> WinHttpFetcherFactory::create() { return std::make_unique<WinHttpFetcher>(session_); }

}  // namespace kv::platform::win32
