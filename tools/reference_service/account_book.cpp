#include "account_book.h"

#include <stdexcept>

#include "text_lines.h"

namespace refsvc {
namespace {

Account parseAccount(const std::string& line, std::size_t lineNumber) {
    auto fields = splitFields(line);
    // A trailing ';' after the last name is allowed, as in the replies.
    if (fields.size() > 3 && fields.back().empty() && fields.size() % 2 == 0) fields.pop_back();
    const auto fail = [&](const std::string& why) {
        throw std::runtime_error("account line " + std::to_string(lineNumber) + ": " + why);
    };
    if (fields.size() < 3) fail("needs at least e-mail;password;userId");
    if (fields[0].empty()) fail("empty e-mail address");
    if (fields[2].empty() || fields[2] == "0") fail("user id must be a non-zero number");
    if ((fields.size() - 3) % 2 != 0) fail("trade system id without a name");
    Account account{fields[0], fields[1], fields[2], {}};
    for (std::size_t i = 3; i < fields.size(); i += 2) {
        if (fields[i].empty() || fields[i] == "0") fail("trade system id must be a non-zero text");
        account.systems.push_back({fields[i], fields[i + 1]});
    }
    return account;
}

}  // namespace

AccountBook AccountBook::parse(const std::string& text) {
    AccountBook book;
    const auto lines = splitAnyLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& line = lines[i];
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
        book.accounts_.push_back(parseAccount(line, i + 1));
    }
    return book;
}

AccountBook AccountBook::load(const std::string& path) {
    return parse(readWholeFile(path));
}

std::string AccountBook::loginReply(const std::string& email, const std::string& password) const {
    for (const auto& account : accounts_) {
        if (account.email != email) continue;
        if (account.password != password) break;
        if (account.systems.empty()) return account.userId + ";0";
        std::string reply = account.userId + ";";
        for (const auto& system : account.systems) reply += system.id + ";" + system.name + ";";
        return reply;
    }
    return "0;";
}

}  // namespace refsvc
