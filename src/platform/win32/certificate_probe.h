#pragma once
#include <string>

namespace kv::platform::win32 {

// Whether the TLS service at HOST:PORT shows a certificate this machine
// refuses: one signed by no trusted root, for another name, expired, or
// otherwise invalid by the system's rules for a server. It shakes hands only
// to read the certificate, then hangs up: no byte of a request is sent.
// False when no certificate could be had (no connection, no TLS there).
//
// WinHTTP says the same through ERROR_WINHTTP_SECURE_FAILURE and its
// secure-failure flags; Wine's WinHTTP (8.0) reports every failed handshake,
// a refused certificate included, as ERROR_WINHTTP_SECURE_CHANNEL_ERROR, so
// a channel error is looked at again here.
bool serverCertificateRefused(const std::wstring& host, unsigned short port);

}  // namespace kv::platform::win32
