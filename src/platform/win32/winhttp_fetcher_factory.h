#pragma once
#include "platform/web_fetcher.h"
#include "platform/win32/winhttp_session.h"

namespace kv::platform::win32 {

// Hands every caller its own fetcher; all of them share the one session.
class WinHttpFetcherFactory : public WebFetcherFactory {
public:
    std::unique_ptr<WebFetcher> create() override;

private:
    WinHttpSession session_;
};

}  // namespace kv::platform::win32
