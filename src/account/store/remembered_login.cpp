#include "account/store/remembered_login.h"

#include "common/optional_file.h"
#include "common/text_values.h"

namespace kv {

RememberedLogin::RememberedLogin(const platform::Platform& platform, FrmMainMdi& main)
    : path_(platform.dataFile("LoginChk.dat")),
      platform_(platform),
      main_(main),
      writer_(platform, "Your login and trade system choices are not remembered.") {}

void RememberedLogin::SplitLoginChkEntry(const std::string& entry) {
    if (entry.size() <= 1) return;
    std::string rest = entry;
    auto cut = [&rest] {
        auto p = rest.find(';');
        if (p == std::string::npos) return rest;
        std::string field = rest.substr(0, p);
        rest.erase(0, p + 1);
        return field;
    };
    chkKind = cut();
    chkValue = cut();
    chkText = rest;
}

void RememberedLogin::SaveRememberedLogin(const std::string& txtUser, int chklogin) {
    const std::string entry = "1;" + std::to_string(chklogin) + ";" + (chklogin != 0 ? txtUser : " ");
    auto& list = main_.ceklist;
    // The new entry goes to the end whether or not it replaces an old one.
    for (auto it = list.begin(); it != list.end(); ++it) {
        SplitLoginChkEntry(*it);
        if (chkKind == "1") {
            list.erase(it);
            break;
        }
    }
    list.push_back(entry);
    store();
}

void RememberedLogin::LoadRememberedLogin(std::string& txtUser, int& chklogin) {
    for (auto& line : readOptionalLines(platform_, path_))
        if (!line.empty()) main_.ceklist.push_back(std::move(line));
    for (const auto& entry : main_.ceklist) {
        SplitLoginChkEntry(entry);
        if (chkKind == "1") {
            txtUser = chkText;
            chklogin = checkValue(chkValue);
            return;
        }
    }
}

bool RememberedLogin::store() { return writer_.replace(path_, main_.ceklist); }

}  // namespace kv
