// Entry point of KorvaneVantor.exe: one copy per folder, the Windows platform
// under the program, then the message loop until Exit.
#include "platform/win32/win32_api.h"

#include <commctrl.h>

#include "platform/win32/callback_guard.h"
#include "platform/win32/dpi_awareness.h"
#include "platform/win32/exe_folder.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/win32_platform.h"
#include "shell/program.h"

using namespace kv::platform::win32;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    becomeDpiAware();
    const std::wstring folder = exeFolder();
    const SingleInstance guard(folder);
    if (guard.alreadyRunning()) {
        Win32MessageBox().showModal("Korvane - Vantor is already running.", kv::platform::MessageIcon::Information);
        return 0;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    Win32Platform platform(instance, utf8FromWide(folder));
    kv::Program program(platform.platform());
    platform.hiddenWindow().onIconMessage = [&program](LPARAM mouseMessage) {
        runGuarded([&] { program.iconCallback(static_cast<double>(mouseMessage)); });
    };
    platform.hiddenWindow().onExitRequest = [&program] { runGuarded([&] { program.exitRequested(); }); };
    runGuarded([&] { program.start(); });
    runMessageLoop(platform.windows(), platform.process(), platform.folderWatch());
    // Exit has saved what it saves; nothing else may run, not even destructors
    // that would talk to windows already gone.
    ExitProcess(0);
}
