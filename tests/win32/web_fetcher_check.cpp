#include <gtest/gtest.h>

#include <cstdlib>
#include <span>
#include <vector>

#include "platform/win32/winhttp_fetcher_factory.h"
#include "platform/win32/win32_api.h"

#include <iphlpapi.h>
#include <winsock2.h>

namespace kv::platform::win32 {
namespace {

// The reference service run_checks.sh started, its one account's login reply
// longer than one read of WinHTTP's buffer.
const std::string kService = std::getenv("KV_SERVICE_URL") ? std::getenv("KV_SERVICE_URL") : "";
const std::string kLongLoginReply = "7;12;" + std::string(20000, 'A') + ";";

// Connections from this machine to PORT that are open at both ends.
int establishedConnectionsTo(int port) {
    ULONG size = 0;
    GetTcpTable(nullptr, &size, FALSE);
    std::vector<char> bytes(size);
    auto* table = reinterpret_cast<MIB_TCPTABLE*>(bytes.data());
    if (GetTcpTable(table, &size, FALSE) != NO_ERROR) return -1;
    int count = 0;
    for (const MIB_TCPROW& row : std::span(table->table, table->dwNumEntries))
        if (row.dwState == MIB_TCP_STATE_ESTAB && ntohs(static_cast<u_short>(row.dwRemotePort)) == port) ++count;
    return count;
}

TEST(WinHttpFetcher, EveryReplyIsItsWholeBodyAndAllFetchersShareOneKeptAliveConnection) {
    ASSERT_FALSE(kService.empty()) << "KV_SERVICE_URL names no reference service";
    WinHttpFetcherFactory factory;
    auto login = factory.create();
    auto engine = factory.create();

    EXPECT_EQ(login->FetchUrl(kService + "/LoginCheckAction.do?email=a b@c.d&password=p&w=1+2%"), kLongLoginReply);
    EXPECT_EQ(engine->FetchUrl(kService + "/Missing.do?x=1"), std::optional<std::string>("not found"));
    EXPECT_EQ(establishedConnectionsTo(std::stoi(kService.substr(kService.rfind(':') + 1))), 1);

    EXPECT_EQ(engine->FetchUrl(kService + "/__requests"),
              std::optional<std::string>("/LoginCheckAction.do?email=a%20b@c.d&password=p&w=1+2%\n"
                                         "/Missing.do?x=1\n"));
}

TEST(WinHttpFetcher, NoReplyAtAllIsNoValueNeverAText) {
    WinHttpFetcherFactory factory;
    auto fetcher = factory.create();
    EXPECT_EQ(fetcher->FetchUrl("http://127.0.0.1:1/SetTD.do?x=1"), std::nullopt);  // nothing listens there

    ASSERT_TRUE(fetcher->FetchUrl(kService + "/__control?mode=drop"));
    EXPECT_EQ(fetcher->FetchUrl(kService + "/EditTD.do?orderno=1"), std::nullopt);
    fetcher->FetchUrl(kService + "/__control?mode=normal");

    EXPECT_EQ(fetcher->FetchUrl("ftp://127.0.0.1/file"), std::nullopt);
    EXPECT_EQ(fetcher->FetchUrl("not a url"), std::nullopt);
}

}  // namespace
}  // namespace kv::platform::win32
