#include "platform/win32/dialog_layout.h"

#include <cstring>

#include "platform/win32/resource_ids.h"

namespace kv::platform::win32 {

namespace {

constexpr ControlBinding kLoginControls[] = {
    {"Label1", KV_IDC_LOGIN_LABEL1},     {"txtUser", KV_IDC_LOGIN_TXTUSER},
    {"Label2", KV_IDC_LOGIN_LABEL2},     {"txtPass", KV_IDC_LOGIN_TXTPASS},
    {"cmdLogin", KV_IDC_LOGIN_CMDLOGIN}, {"cmdCancel", KV_IDC_LOGIN_CMDCANCEL},
    {"chklogin", KV_IDC_LOGIN_CHKLOGIN},
};

constexpr ControlBinding kSystemControls[] = {
    {"LblSys", KV_IDC_SYS_LBLSYS},
    {"cmbsystem", KV_IDC_SYS_CMBSYSTEM},
    {"chksys", KV_IDC_SYS_CHKSYS},
    {"CmdProcced", KV_IDC_SYS_CMDPROCCED},
};

constexpr ControlBinding kSettingsControls[] = {
    {"Label1", KV_IDC_SETTINGS_LABEL1},       {"Label2", KV_IDC_SETTINGS_LABEL2},
    {"mt4location", KV_IDC_SETTINGS_MT4LOCATION}, {"cmdBrowse", KV_IDC_SETTINGS_CMDBROWSE},
    {"cmdSave", KV_IDC_SETTINGS_CMDSAVE},     {"cmdCancel", KV_IDC_SETTINGS_CMDCANCEL},
    {"LblOrderLog", KV_IDC_SETTINGS_LBLORDERLOG}, {"LblExpert", KV_IDC_SETTINGS_LBLEXPERT},
};

constexpr ControlBinding kTerminalsControls[] = {
    {"LblRelayed", KV_IDC_TERMINALS_LBLRELAYED}, {"lstRelayed", KV_IDC_TERMINALS_LSTRELAYED},
    {"LblSystem", KV_IDC_TERMINALS_LBLSYSTEM},   {"cmbTermSystem", KV_IDC_TERMINALS_CMBTERMSYSTEM},
    {"cmdRemove", KV_IDC_TERMINALS_CMDREMOVE},   {"LblStatus", KV_IDC_TERMINALS_LBLSTATUS},
    {"LblFound", KV_IDC_TERMINALS_LBLFOUND},     {"lstFound", KV_IDC_TERMINALS_LSTFOUND},
    {"cmdBrowse", KV_IDC_TERMINALS_CMDBROWSE},   {"cmdAdd", KV_IDC_TERMINALS_CMDADD},
    {"cmdClose", KV_IDC_TERMINALS_CMDCLOSE},
};

struct NamedLayout {
    const char* form;
    DialogLayout layout;
};

const NamedLayout kLayouts[] = {
    {"frmLogin", {L"frmLogin", kLoginControls}},
    {"FrmSys", {L"FrmSys", kSystemControls}},
    {"frmSettings", {L"frmSettings", kSettingsControls}},
    {"FrmTerminals", {L"FrmTerminals", kTerminalsControls}},
};

}  // namespace

int DialogLayout::idOf(const std::string& control) const {
    for (const auto& binding : controls)
        if (control == binding.control) return binding.id;
    return 0;
}

const char* DialogLayout::nameOf(int id) const {
    for (const auto& binding : controls)
        if (binding.id == id) return binding.control;
    return nullptr;
}

const DialogLayout* dialogLayoutFor(const std::string& formName) {
    for (const auto& named : kLayouts)
        if (formName == named.form) return &named.layout;
    return nullptr;
}

}  // namespace kv::platform::win32
