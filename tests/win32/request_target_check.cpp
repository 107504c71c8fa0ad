#include <gtest/gtest.h>

#include "platform/win32/request_target.h"

namespace kv::platform::win32 {
namespace {

TEST(RequestTarget, OnlyBytesThatCannotTravelInARequestLineAreEscaped) {
    // The query syntax the core builds, and a stray "%", pass as they are.
    EXPECT_EQ(escapeRequestTarget("/SetTD.do?systemid=12&price=1.5+2%&note=a;b/c:d,e!'()*~$@"),
              "/SetTD.do?systemid=12&price=1.5+2%&note=a;b/c:d,e!'()*~$@");
    EXPECT_EQ(escapeRequestTarget("/LoginCheckAction.do?email= a b&password=p#\"<>[\\]^`{|}"),
              "/LoginCheckAction.do?email=%20a%20b&password=p%23%22%3C%3E%5B%5C%5D%5E%60%7B%7C%7D");
    // Bytes of the 8-bit code page go out as the very bytes the core logged.
    EXPECT_EQ(escapeRequestTarget("/x?t=\t\r\n\x7F\x80\xE9\xFF"), "/x?t=%09%0D%0A%7F%80%E9%FF");
    EXPECT_EQ(escapeRequestTarget(std::string("/x?z=\0!", 7)), "/x?z=%00!");
}

TEST(RequestTarget, TheOriginIsCutFromPathAndQuery) {
    const char* const cases[][3] = {
        {"https://service.example/SetTD.do?x=a/b", "https://service.example", "/SetTD.do?x=a/b"},
        {"http://host", "http://host", "/"},
        {"http://host?x=1", "http://host", "/?x=1"},
    };
    for (const auto& [url, origin, target] : cases) {
        const UrlParts parts = splitUrl(url);
        EXPECT_EQ(parts.origin, origin) << url;
        EXPECT_EQ(parts.target, target) << url;
    }
}

}  // namespace
}  // namespace kv::platform::win32
