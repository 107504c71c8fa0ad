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
// longer than one read of WinHTTP's buffer, and the same over https with a
// self-signed certificate.
const std::string kService = std::getenv("KV_SERVICE_URL") ? std::getenv("KV_SERVICE_URL") : "";
const std::string kUntrustedService = std::getenv("KV_UNTRUSTED_SERVICE_URL") ? std::getenv("KV_UNTRUSTED_SERVICE_URL") : "";
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

    EXPECT_EQ(login->FetchUrl(kService + "/LoginCheckAction.do?email=a b@c.d&password=p&w=1+2%").reply, kLongLoginReply);
    EXPECT_EQ(engine->FetchUrl(kService + "/Missing.do?x=1").reply, "not found");
    EXPECT_EQ(establishedConnectionsTo(std::stoi(kService.substr(kService.rfind(':') + 1))), 1);

    EXPECT_EQ(engine->FetchUrl(kService + "/__requests").reply,
              "/LoginCheckAction.do?email=a%20b@c.d&password=p&w=1+2%\n/Missing.do?x=1\n");
}

// Why no reply came: a refused certificate, or anything else.
NoReply noReply(WebFetcher& fetcher, const std::string& url) {
    const Fetched fetched = fetcher.FetchUrl(url);
    EXPECT_EQ(fetched.reply, std::nullopt) << url;
    return fetched.noReply;
}

TEST(WinHttpFetcher, NoReplyAtAllIsNoValueNeverATextAndARefusedCertificateIsToldApart) {
    ASSERT_FALSE(kUntrustedService.empty()) << "KV_UNTRUSTED_SERVICE_URL names no https reference service";
    WinHttpFetcherFactory factory;
    auto fetcher = factory.create();
    EXPECT_EQ(noReply(*fetcher, "http://127.0.0.1:1/SetTD.do?x=1"), NoReply::Unreachable);  // nothing listens there

    ASSERT_TRUE(fetcher->FetchUrl(kService + "/__control?mode=drop").reply);
    EXPECT_EQ(noReply(*fetcher, kService + "/EditTD.do?orderno=1"), NoReply::Unreachable);
    fetcher->FetchUrl(kService + "/__control?mode=normal");

    EXPECT_EQ(noReply(*fetcher, "ftp://127.0.0.1/file"), NoReply::Unreachable);
    EXPECT_EQ(noReply(*fetcher, "not a url"), NoReply::Unreachable);

    // A certificate signed by nobody this machine trusts, twice: no kept connection lets the second through.
    const std::string login = "/LoginCheckAction.do?email=a b@c.d&password=p";
    EXPECT_EQ(noReply(*fetcher, kUntrustedService + login), NoReply::UntrustedCertificate);
    EXPECT_EQ(noReply(*fetcher, kUntrustedService + login), NoReply::UntrustedCertificate);
    // TLS that fails for another reason (a service that speaks plain HTTP) is no certificate matter.
    EXPECT_EQ(noReply(*fetcher, "https" + kService.substr(4) + login), NoReply::Unreachable);
}

}  // namespace
}  // namespace kv::platform::win32
