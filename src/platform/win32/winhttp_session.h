#pragma once
#include <string>

#include "platform/web_fetcher.h"

namespace kv::platform::win32 {

// The program's one WinHTTP session: every request goes through it, so the
// connections to the service are kept alive and reused between requests.
class WinHttpSession {
public:
    WinHttpSession();
    ~WinHttpSession();
    WinHttpSession(const WinHttpSession&) = delete;
    WinHttpSession& operator=(const WinHttpSession&) = delete;

    // One GET: the body of the reply whatever its status, or why no reply
    // came (a refused certificate, or no connection, a time-out, a URL that
    // is not http or https).
    Fetched get(const std::string& url);

private:
    void* session_;  // HINTERNET
};

}  // namespace kv::platform::win32
