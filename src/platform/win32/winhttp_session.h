#pragma once
#include <optional>
#include <string>

namespace kv::platform::win32 {

// The program's one WinHTTP session: every request goes through it, so the
// connections to the service are kept alive and reused between requests.
class WinHttpSession {
public:
    WinHttpSession();
    ~WinHttpSession();
    WinHttpSession(const WinHttpSession&) = delete;
    WinHttpSession& operator=(const WinHttpSession&) = delete;

    // One GET; the body of the reply whatever its status, nothing when no
    // reply came (no connection, time-out, a URL that is not http or https).
    std::optional<std::string> get(const std::string& url);

private:
    void* session_;  // HINTERNET
};

}  // namespace kv::platform::win32
