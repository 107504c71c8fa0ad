#include "platform/win32/winhttp_session.h"

#include "platform/win32/request_target.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/win32_api.h"

#include <winhttp.h>

namespace kv::platform::win32 {

namespace {

// Every request blocks the tray and the poll timer until it returns, so no
// step may take long; the defaults (no limit on name resolution or on
// receiving) could freeze the program for good.
constexpr int kResolveMs = 3000;
constexpr int kConnectMs = 3000;
constexpr int kSendMs = 5000;
constexpr int kReceiveMs = 5000;

// Replies of the service are a few hundred bytes; anything this large is not one.
constexpr std::size_t kMaxBody = 4 * 1024 * 1024;

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() {
        if (handle_) WinHttpCloseHandle(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
};

HINTERNET openSession() {
    constexpr const wchar_t* kAgent = L"Korvane-Vantor/1.0";
    // The automatic proxy (Windows 8.1 on) follows the system's proxy setup;
    // older systems refuse it and get the configured default proxy instead.
    HINTERNET session = WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session)
        session = WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                              WINHTTP_NO_PROXY_BYPASS, 0);
    if (session) WinHttpSetTimeouts(session, kResolveMs, kConnectMs, kSendMs, kReceiveMs);
    return session;
}

// Reads the body to its very end, so the connection can serve the next request.
std::optional<std::string> readBody(HINTERNET request) {
    std::string body;
    for (;;) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available)) return std::nullopt;
        if (available == 0) return body;
        if (body.size() + available > kMaxBody) return std::nullopt;
        const std::size_t had = body.size();
        body.resize(had + available);
        DWORD read = 0;
        if (!WinHttpReadData(request, body.data() + had, available, &read)) return std::nullopt;
        body.resize(had + read);
        if (read == 0) return body;
    }
}

}  // namespace

WinHttpSession::WinHttpSession() : session_(openSession()) {}

WinHttpSession::~WinHttpSession() {
    if (session_) WinHttpCloseHandle(session_);
}

std::optional<std::string> WinHttpSession::get(const std::string& url) {
    if (!session_) return std::nullopt;
    const UrlParts parts = splitUrl(url);
    const std::wstring origin = codePageToWide(parts.origin);
    URL_COMPONENTS components{};
    components.dwStructSize = sizeof components;
    components.dwSchemeLength = static_cast<DWORD>(-1);
    components.dwHostNameLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(origin.c_str(), static_cast<DWORD>(origin.size()), 0, &components)) return std::nullopt;
    if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS)
        return std::nullopt;

    const std::wstring host(components.lpszHostName, components.dwHostNameLength);
    InternetHandle connection(WinHttpConnect(session_, host.c_str(), components.nPort, 0));
    if (!connection) return std::nullopt;

    // The target is plain ASCII once escaped; WinHTTP must not escape it again.
    const std::wstring target = codePageToWide(escapeRequestTarget(parts.target));
    DWORD flags = WINHTTP_FLAG_ESCAPE_DISABLE | WINHTTP_FLAG_ESCAPE_DISABLE_QUERY;
    if (components.nScheme == INTERNET_SCHEME_HTTPS) flags |= WINHTTP_FLAG_SECURE;
    InternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", target.c_str(), nullptr, WINHTTP_NO_REFERER,
                                              WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!request) return std::nullopt;
    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return std::nullopt;
    if (!WinHttpReceiveResponse(request.get(), nullptr)) return std::nullopt;
    return readBody(request.get());
}

}  // namespace kv::platform::win32
