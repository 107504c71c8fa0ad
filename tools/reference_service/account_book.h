#pragma once
#include <string>
#include <utility>
#include <vector>

namespace refsvc {

struct TradeSystem {
    std::string id;
    std::string name;
};

struct Account {
    std::string email;
    std::string password;
    std::string userId;
    std::vector<TradeSystem> systems;
};

// The accounts the service knows, one per line of its account file:
//   e-mail;password;userId;sysId;sysName;sysId;sysName...
// Blank lines and lines starting with '#' are ignored.
class AccountBook {
public:
    // Throws std::runtime_error naming the line of a malformed entry.
    static AccountBook parse(const std::string& text);
    static AccountBook load(const std::string& path);

    // "userId;id;name;id;name;" for a good login, "userId;0" for an account
    // without systems, "0;" for an unknown address or a wrong password.
    std::string loginReply(const std::string& email, const std::string& password) const;

    const std::vector<Account>& accounts() const { return accounts_; }

private:
    std::vector<Account> accounts_;
};

}  // namespace refsvc
