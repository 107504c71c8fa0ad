#include "platform/win32/certificate_probe.h"

#include "platform/win32/win32_api.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <optional>

namespace kv::platform::win32 {

namespace {

// The same limits as the requests': the probe follows a failed one.
constexpr DWORD kWaitMs = 5000;
constexpr int kMostHandshakeSteps = 16;

class Winsock {
public:
    Winsock() : started_(WSAStartup(MAKEWORD(2, 2), &data_) == 0) {}
    ~Winsock() {
        if (started_) WSACleanup();
    }
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;
    explicit operator bool() const { return started_; }

private:
    WSADATA data_{};
    bool started_;
};

class Connection {
public:
    Connection(const std::wstring& host, unsigned short port) {
        ADDRINFOW hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        ADDRINFOW* found = nullptr;
        if (GetAddrInfoW(host.c_str(), std::to_wstring(port).c_str(), &hints, &found) != 0) return;
        for (const ADDRINFOW* at = found; at && socket_ == INVALID_SOCKET; at = at->ai_next) {
            socket_ = ::socket(at->ai_family, at->ai_socktype, at->ai_protocol);
            if (socket_ == INVALID_SOCKET) continue;
            setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&kWaitMs), sizeof kWaitMs);
            setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&kWaitMs), sizeof kWaitMs);
            if (connect(socket_, at->ai_addr, static_cast<int>(at->ai_addrlen)) != 0) {
                closesocket(socket_);
                socket_ = INVALID_SOCKET;
            }
        }
        FreeAddrInfoW(found);
    }
    ~Connection() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    explicit operator bool() const { return socket_ != INVALID_SOCKET; }

    bool sendAll(const char* bytes, unsigned long size) {
        for (unsigned long sent = 0; sent < size;) {
            const int n = send(socket_, bytes + sent, static_cast<int>(size - sent), 0);
            if (n <= 0) return false;
            sent += static_cast<unsigned long>(n);
        }
        return true;
    }
    bool receiveMore(std::string& into) {
        char chunk[4096];
        const int n = recv(socket_, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        into.append(chunk, static_cast<std::size_t>(n));
        return true;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

class Credentials {
public:
    Credentials() {
        // The certificate is judged below, by the chain policy, not by the handshake.
        SCHANNEL_CRED settings{};
        settings.dwVersion = SCHANNEL_CRED_VERSION;
        settings.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
        acquired_ = AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND,
                                              nullptr, &settings, nullptr, nullptr, &handle_, nullptr) == SEC_E_OK;
    }
    ~Credentials() {
        if (acquired_) FreeCredentialsHandle(&handle_);
    }
    Credentials(const Credentials&) = delete;
    Credentials& operator=(const Credentials&) = delete;
    explicit operator bool() const { return acquired_; }
    CredHandle* get() { return &handle_; }

private:
    CredHandle handle_{};
    bool acquired_ = false;
};

class SecurityContext {
public:
    ~SecurityContext() {
        if (made_) DeleteSecurityContext(&handle_);
    }
    CtxtHandle* current() { return made_ ? &handle_ : nullptr; }
    CtxtHandle* next() { return &handle_; }
    void made() { made_ = true; }

private:
    CtxtHandle handle_{};
    bool made_ = false;
};

// The client's side of a TLS handshake, up to the server's certificate.
PCCERT_CONTEXT handshakeCertificate(Connection& connection, const std::wstring& host) {
    Credentials credentials;
    if (!credentials) return nullptr;
    SecurityContext context;
    constexpr DWORD kRequest = ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_CONFIDENTIALITY | ISC_REQ_SEQUENCE_DETECT |
                               ISC_REQ_REPLAY_DETECT | ISC_REQ_STREAM | ISC_REQ_MANUAL_CRED_VALIDATION;
    std::string received;
    bool needMore = false;  // the first step speaks first
    for (int step = 0; step < kMostHandshakeSteps; ++step) {
        if (needMore && !connection.receiveMore(received)) return nullptr;
        SecBuffer in[2] = {{static_cast<unsigned long>(received.size()), SECBUFFER_TOKEN, received.data()},
                           {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc input{SECBUFFER_VERSION, 2, in};
        SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc output{SECBUFFER_VERSION, 1, &out};
        unsigned long granted = 0;
        CtxtHandle* existing = context.current();
        const SECURITY_STATUS status =
            InitializeSecurityContextW(credentials.get(), existing, const_cast<wchar_t*>(host.c_str()), kRequest, 0,
                                       0, existing ? &input : nullptr, 0, context.next(), &output, &granted, nullptr);
        if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED || status == SEC_E_INCOMPLETE_MESSAGE) context.made();
        const bool sent = !out.pvBuffer || connection.sendAll(static_cast<const char*>(out.pvBuffer), out.cbBuffer);
        if (out.pvBuffer) FreeContextBuffer(out.pvBuffer);
        if (!sent) return nullptr;
        if (status == SEC_E_INCOMPLETE_MESSAGE) {
            needMore = true;
            continue;
        }
        if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED) return nullptr;
        received = in[1].BufferType == SECBUFFER_EXTRA ? received.substr(received.size() - in[1].cbBuffer) : "";
        needMore = received.empty();
        if (status == SEC_E_OK) {
            PCCERT_CONTEXT certificate = nullptr;
            if (QueryContextAttributesW(context.current(), SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK)
                return nullptr;
            return certificate;
        }
    }
    return nullptr;
}

// The system's rules for the certificate of a server of that name.
bool refusedForServer(PCCERT_CONTEXT certificate, const std::wstring& host) {
    char serverUse[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR uses[] = {serverUse};
    CERT_CHAIN_PARA request{};
    request.cbSize = sizeof request;
    request.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    request.RequestedUsage.Usage.cUsageIdentifier = 1;
    request.RequestedUsage.Usage.rgpszUsageIdentifier = uses;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &request, 0, nullptr,
                                 &chain))
        return false;
    HTTPSPolicyCallbackData server{};
    server.cbStruct = sizeof server;
    server.dwAuthType = AUTHTYPE_SERVER;
    server.pwszServerName = const_cast<wchar_t*>(host.c_str());
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &server;
    CERT_CHAIN_POLICY_STATUS verdict{};
    verdict.cbSize = sizeof verdict;
    const bool judged = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &verdict);
    CertFreeCertificateChain(chain);
    return judged && verdict.dwError != 0;
}

}  // namespace

bool serverCertificateRefused(const std::wstring& host, unsigned short port) {
    Winsock winsock;
    if (!winsock) return false;
    Connection connection(host, port);
    if (!connection) return false;
    PCCERT_CONTEXT certificate = handshakeCertificate(connection, host);
    if (!certificate) return false;
    const bool refused = refusedForServer(certificate, host);
    CertFreeCertificateContext(certificate);
    return refused;
}

}  // namespace kv::platform::win32
