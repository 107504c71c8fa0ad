#pragma once
#include <string>

#include "common/file_writer.h"
#include "common/frm_main_mdi.h"
#include "platform/platform.h"

namespace kv {

// The remembered choices of Data\LoginChk.dat, one entry per line
// "kind;value;text": kind 1 is the login (remember box, e-mail address),
// kind 2 a user's trade system. The main window's ceklist holds them in memory.
class RememberedLogin {
public:
    RememberedLogin(const platform::Platform& platform, FrmMainMdi& main);

    // The fields of the entry split last. An entry of 0 or 1 characters is not
    // split and leaves them as they were.
    std::string chkKind, chkValue, chkText;
    void SplitLoginChkEntry(const std::string& entry);

    // Puts the login entry (the address only when remembered) at the end of
    // ceklist in place of the first one, and rewrites the file.
    void SaveRememberedLogin(const std::string& txtUser, int chklogin);

    // Appends the file's entries to ceklist; the first login entry, when there
    // is one, gives the address and the remember box. A missing file holds none.
    void LoadRememberedLogin(std::string& txtUser, int& chklogin);

    // Writes ceklist to the file; a failure is shown to the trader.
    bool store();

private:
    const std::string path_;
    platform::Platform platform_;
    FrmMainMdi& main_;
    FileWriter writer_;
};

}  // namespace kv
