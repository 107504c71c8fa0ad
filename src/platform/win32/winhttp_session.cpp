#include "platform/win32/winhttp_session.h"

#include "platform/win32/certificate_probe.h"
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

// What WinHTTP reports of a certificate it refuses, as opposed to a TLS
// channel that failed for another reason (SECURITY_CHANNEL_ERROR).
constexpr DWORD kCertificateFailures =
    WINHTTP_CALLBACK_STATUS_FLAG_CERT_REV_FAILED | WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CERT |
    WINHTTP_CALLBACK_STATUS_FLAG_CERT_REVOKED | WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA |
    WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID | WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID |
    WINHTTP_CALLBACK_STATUS_FLAG_CERT_WRONG_USAGE;

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

// A synchronous request reports a refused certificate as
// ERROR_WINHTTP_SECURE_FAILURE and says why only through this callback,
// which adds the reasons to the DWORD its context points at.
void CALLBACK noteSecureFailure(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information, DWORD length) {
    if (status == WINHTTP_CALLBACK_STATUS_SECURE_FAILURE && context && information && length >= sizeof(DWORD))
        *reinterpret_cast<DWORD*>(context) |= *static_cast<const DWORD*>(information);
}

// Whether a failed step of a request failed on the service's certificate.
bool certificateRefused(DWORD error, DWORD secureFailures) {
    switch (error) {
        case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
        case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        case ERROR_WINHTTP_SECURE_INVALID_CA:
        case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
        case ERROR_WINHTTP_SECURE_INVALID_CERT:
        case ERROR_WINHTTP_SECURE_CERT_REVOKED:
        case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE: return true;
        case ERROR_WINHTTP_SECURE_FAILURE: return (secureFailures & kCertificateFailures) != 0;
        default: return false;
    }
}

// A failed handshake that WinHTTP gave no certificate reason for (Wine's
// WinHTTP gives none for any): the certificate is looked at by itself.
bool unexplainedSecureFailure(DWORD error) {
    return error == ERROR_WINHTTP_SECURE_CHANNEL_ERROR || error == ERROR_WINHTTP_SECURE_FAILURE;
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

Fetched WinHttpSession::get(const std::string& url) {
    if (!session_) return {};
    const UrlParts parts = splitUrl(url);
    const std::wstring origin = codePageToWide(parts.origin);
    URL_COMPONENTS components{};
    components.dwStructSize = sizeof components;
    components.dwSchemeLength = static_cast<DWORD>(-1);
    components.dwHostNameLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(origin.c_str(), static_cast<DWORD>(origin.size()), 0, &components)) return {};
    if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS) return {};

    const std::wstring host(components.lpszHostName, components.dwHostNameLength);
    DWORD secureFailures = 0;  // outlives the request, whose callback writes it
    InternetHandle connection(WinHttpConnect(session_, host.c_str(), components.nPort, 0));
    if (!connection) return {};

    // The target is plain ASCII once escaped; WinHTTP must not escape it again.
    const std::wstring target = codePageToWide(escapeRequestTarget(parts.target));
    DWORD flags = WINHTTP_FLAG_ESCAPE_DISABLE | WINHTTP_FLAG_ESCAPE_DISABLE_QUERY;
    if (components.nScheme == INTERNET_SCHEME_HTTPS) flags |= WINHTTP_FLAG_SECURE;
    InternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", target.c_str(), nullptr, WINHTTP_NO_REFERER,
                                              WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!request) return {};

    // No option of the request lowers WinHTTP's checks of the certificate: a
    // refused one ends the request before anything of it is sent.
    WinHttpSetStatusCallback(request.get(), noteSecureFailure, WINHTTP_CALLBACK_FLAG_SECURE_FAILURE, 0);
    const bool answered =
        WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                           reinterpret_cast<DWORD_PTR>(&secureFailures)) &&
        WinHttpReceiveResponse(request.get(), nullptr);
    if (answered) return {readBody(request.get())};
    const DWORD error = GetLastError();
    const bool refused = certificateRefused(error, secureFailures) ||
                         (unexplainedSecureFailure(error) && serverCertificateRefused(host, components.nPort));
    return {std::nullopt, refused ? NoReply::UntrustedCertificate : NoReply::Unreachable};
}

}  // namespace kv::platform::win32
