#include "platform/win32/win32_platform.h"

namespace kv::platform::win32 {

Win32Platform::Win32Platform(HINSTANCE instance, std::string exeFolder)
    : icons_(loadAppIcons(instance)),
      hiddenWindow_(instance, icons_),
      messages_(hiddenWindow_.handle()),
      timers_(hiddenWindow_),
      windows_(instance, hiddenWindow_, icons_),
      tray_(hiddenWindow_, icons_),
      menus_(hiddenWindow_),
      exeFolder_(std::move(exeFolder)) {}

Platform Win32Platform::platform() {
    return Platform{files_, text_, clock_, messages_, web_, timers_, windows_, tray_, menus_, fileDialog_, process_, folderWatch_,
                    expert_, exeFolder_};
}

}  // namespace kv::platform::win32
