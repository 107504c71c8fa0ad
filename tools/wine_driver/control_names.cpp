#include "control_names.h"

#include <cwchar>

#include "resource_ids.h"

namespace kvdriver {
namespace {

struct NamedControl {
    const wchar_t* name;
    int id;
};

#define KV_CONTROL(suffix) {L## #suffix, KV_IDC_##suffix}
constexpr NamedControl kControls[] = {
    KV_CONTROL(LOGIN_LABEL1),       KV_CONTROL(LOGIN_TXTUSER),       KV_CONTROL(LOGIN_LABEL2),
    KV_CONTROL(LOGIN_TXTPASS),      KV_CONTROL(LOGIN_CMDLOGIN),      KV_CONTROL(LOGIN_CMDCANCEL),
    KV_CONTROL(LOGIN_CHKLOGIN),     KV_CONTROL(SYS_LBLSYS),          KV_CONTROL(SYS_CMBSYSTEM),
    KV_CONTROL(SYS_CHKSYS),         KV_CONTROL(SYS_CMDPROCCED),      KV_CONTROL(SETTINGS_LABEL1),
    KV_CONTROL(SETTINGS_LABEL2),    KV_CONTROL(SETTINGS_MT4LOCATION), KV_CONTROL(SETTINGS_CMDBROWSE),
    KV_CONTROL(SETTINGS_CMDSAVE),   KV_CONTROL(SETTINGS_CMDCANCEL),   KV_CONTROL(SETTINGS_LBLORDERLOG),
    KV_CONTROL(SETTINGS_LBLEXPERT),  KV_CONTROL(TERMINALS_LBLRELAYED), KV_CONTROL(TERMINALS_LSTRELAYED),
    KV_CONTROL(TERMINALS_LBLSYSTEM), KV_CONTROL(TERMINALS_CMBTERMSYSTEM), KV_CONTROL(TERMINALS_CMDREMOVE),
    KV_CONTROL(TERMINALS_LBLSTATUS), KV_CONTROL(TERMINALS_LBLFOUND),  KV_CONTROL(TERMINALS_LSTFOUND),
    KV_CONTROL(TERMINALS_CMDBROWSE), KV_CONTROL(TERMINALS_CMDADD),    KV_CONTROL(TERMINALS_CMDCLOSE),
};
#undef KV_CONTROL

}  // namespace

std::optional<int> controlId(const std::wstring& text) {
    for (const auto& control : kControls) {
        if (text == control.name) return control.id;
    }
    wchar_t* end = nullptr;
    const long number = std::wcstol(text.c_str(), &end, 0);
    if (text.empty() || *end != L'\0' || number < 0 || number > 0xFFFF) return std::nullopt;
    return static_cast<int>(number);
}

std::wstring controlNameList() {
    std::wstring list;
    for (const auto& control : kControls) list += (list.empty() ? L"" : L" ") + std::wstring(control.name);
    return list;
}

}  // namespace kvdriver
