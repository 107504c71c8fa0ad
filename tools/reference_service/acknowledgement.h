#pragma once
#include <string>
#include <string_view>

namespace refsvc {

// The service's acknowledgement of an order event: the order number, ";",
// field 5 of the order's line in the order log (its state mark and
// modification stamp, which the request does not carry), and one more
// character, or three for a modification. The reference service, the test
// machine, the soak and the fuzz targets all answer by this one rule.
inline std::string acknowledgement(std::string_view orderNo, std::string_view field5, bool modification) {
    std::string reply(orderNo);
    return reply.append(";").append(field5).append(modification ? "ok\n" : "\n");
}

}  // namespace refsvc
