// The floor for the relay's burst: a bare WinHTTP loop of GET requests to one
// URL over one session and one connection, nothing else, with the session
// set up as the program sets up its own. Prints the time.
//   kvhttploop URL COUNT
#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fwprintf(stderr, L"usage: kvhttploop URL COUNT\n");
        return 2;
    }
    const std::wstring url = argv[1];
    const int count = _wtoi(argv[2]);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    wchar_t host[256], path[4096];
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 4096;
    if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return 1;
    HINTERNET session = WinHttpOpen(L"kvhttploop", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                    WINHTTP_NO_PROXY_BYPASS, 0);
    if (session) WinHttpSetTimeouts(session, 3000, 3000, 5000, 5000);
    HINTERNET connection = session ? WinHttpConnect(session, host, parts.nPort, 0) : nullptr;
    if (!connection) return 1;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int answered = 0;
    for (int i = 0; i < count; ++i) {
        HINTERNET request = WinHttpOpenRequest(connection, L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                               WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
        if (request && WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
            WinHttpReceiveResponse(request, nullptr)) {
            char body[4096];
            DWORD available = 0, read = 0;
            while (WinHttpQueryDataAvailable(request, &available) && available > 0 &&
                   WinHttpReadData(request, body, available < sizeof body ? available : sizeof body, &read) && read > 0) {
            }
            ++answered;
        }
        if (request) WinHttpCloseHandle(request);
    }
    QueryPerformanceCounter(&end);
    const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("requests=%d answered=%d ms=%.3f\n", count, answered, ms);
    WinHttpCloseHandle(connection);
    WinHttpCloseHandle(session);
    return answered == count ? 0 : 1;
}
