#pragma once
/* Identifiers shared by the resource script, the program and any tool that
 * drives the program's windows. Plain #defines only: the resource compiler
 * reads this file too.
 *
 * Dialog resources are named after their forms ("frmLogin", "FrmSys",
 * "frmSettings", "FrmTerminals"); the ids below are their controls. Ids 1 and 2 (IDOK,
 * IDCANCEL) are left unused: Enter presses each dialog's default button, and
 * the dialog manager sends IDCANCEL for Escape, which closes the dialog. */

#define KV_IDI_APP 100 /* application icon, 16x16 and 32x32, also the tray icon while relaying */
#define KV_IDI_IDLE 101      /* tray icon while nobody is logged in (greyed) */
#define KV_IDI_ATTENTION 102 /* tray icon when the service is long silent or the order log is missing */

/* The experts the program puts into MT4 (KorvaneVantor.mq4) and MT5
 * (KorvaneVantor.mq5), as RCDATA. */
#define KV_RC_EXPERT_MT4 200
#define KV_RC_EXPERT_MT5 201

/* frmLogin */
#define KV_IDC_LOGIN_LABEL1 1001
#define KV_IDC_LOGIN_TXTUSER 1002
#define KV_IDC_LOGIN_LABEL2 1003
#define KV_IDC_LOGIN_TXTPASS 1004
#define KV_IDC_LOGIN_CMDLOGIN 1005
#define KV_IDC_LOGIN_CMDCANCEL 1006
#define KV_IDC_LOGIN_CHKLOGIN 1007

/* FrmSys */
#define KV_IDC_SYS_LBLSYS 1101
#define KV_IDC_SYS_CMBSYSTEM 1102
#define KV_IDC_SYS_CHKSYS 1103
#define KV_IDC_SYS_CMDPROCCED 1104

/* frmSettings */
#define KV_IDC_SETTINGS_LABEL1 1201
#define KV_IDC_SETTINGS_LABEL2 1202
#define KV_IDC_SETTINGS_MT4LOCATION 1203
#define KV_IDC_SETTINGS_CMDBROWSE 1204
#define KV_IDC_SETTINGS_CMDSAVE 1205
#define KV_IDC_SETTINGS_CMDCANCEL 1206
#define KV_IDC_SETTINGS_LBLORDERLOG 1207
#define KV_IDC_SETTINGS_LBLEXPERT 1208

/* FrmTerminals */
#define KV_IDC_TERMINALS_LBLRELAYED 1301
#define KV_IDC_TERMINALS_LSTRELAYED 1302
#define KV_IDC_TERMINALS_LBLSYSTEM 1303
#define KV_IDC_TERMINALS_CMBTERMSYSTEM 1304
#define KV_IDC_TERMINALS_CMDREMOVE 1305
#define KV_IDC_TERMINALS_LBLSTATUS 1306
#define KV_IDC_TERMINALS_LBLFOUND 1307
#define KV_IDC_TERMINALS_LSTFOUND 1308
#define KV_IDC_TERMINALS_CMDBROWSE 1309
#define KV_IDC_TERMINALS_CMDADD 1310
#define KV_IDC_TERMINALS_CMDCLOSE 1311

/* The hidden main window: found by class and caption; mouse messages over the
 * tray icon arrive as KV_TRAY_CALLBACK_MESSAGE with the mouse message in lParam. */
#define KV_MAIN_WINDOW_CLASS L"KorvaneVantorMain"
#define KV_MAIN_WINDOW_CAPTION L"Korvane Vantor"
#define KV_TRAY_ICON_ID 1
#define KV_TRAY_CALLBACK_MESSAGE 512
/* Registered message by which the installer asks a running copy to exit as
 * its menu's Exit does; the installer script spells the name out again. */
#define KV_EXIT_REQUEST_MESSAGE L"KorvaneVantor.ExitRequest"
