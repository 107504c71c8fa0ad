#include "check.h"

#include "loopback_server.h"
#include "platform/win32/winhttp_fetcher_factory.h"

namespace kv::platform::win32::checks {
namespace {

std::string reply(const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(WinHttpFetcher, EveryReplyIsItsWholeBodyAndAllFetchersShareOneKeptAliveConnection) {
    LoopbackServer server({
        reply("200 OK", "7;12;Alpha;13;Beta;"),
        reply("500 Internal Server Error", "oops"),
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\n1001\r\n3\r\n;X1\r\n0\r\n\r\n",
    });
    WinHttpFetcherFactory factory;
    auto login = factory.create();
    auto engine = factory.create();

    EXPECT_EQ(login->FetchUrl(server.url("/LoginCheckAction.do?email=a b@c.d&password=p&w=1+2%")),
              std::optional<std::string>("7;12;Alpha;13;Beta;"));
    EXPECT_EQ(engine->FetchUrl(server.url("/SetTD.do?systemid=12&mode=New")), std::optional<std::string>("oops"));
    EXPECT_EQ(engine->FetchUrl(server.url("/CloseTD.do?ticket=1001")), std::optional<std::string>("1001;X1"));
    server.finish();

    ASSERT_EQ(server.requestLines().size(), 3u);
    EXPECT_EQ(server.requestLines()[0], "GET /LoginCheckAction.do?email=a%20b@c.d&password=p&w=1+2% HTTP/1.1");
    EXPECT_EQ(server.requestLines()[1], "GET /SetTD.do?systemid=12&mode=New HTTP/1.1");
    EXPECT_EQ(server.connections(), 1);
}

TEST(WinHttpFetcher, NoReplyAtAllIsNoValueNeverAText) {
    WinHttpFetcherFactory factory;
    auto fetcher = factory.create();
    const std::string refused = "http://127.0.0.1:" + std::to_string(LoopbackServer::closedPort()) + "/SetTD.do?x=1";
    EXPECT_EQ(fetcher->FetchUrl(refused), std::nullopt);

    LoopbackServer dropping({""});
    EXPECT_EQ(fetcher->FetchUrl(dropping.url("/EditTD.do?x=1")), std::nullopt);
    dropping.finish();

    EXPECT_EQ(fetcher->FetchUrl("ftp://127.0.0.1/file"), std::nullopt);
    EXPECT_EQ(fetcher->FetchUrl("not a url"), std::nullopt);
    EXPECT_EQ(fetcher->FetchUrl(""), std::nullopt);
}

}  // namespace
}  // namespace kv::platform::win32::checks
