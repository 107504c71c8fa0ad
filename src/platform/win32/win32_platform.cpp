#include "platform/win32/win32_platform.h"

namespace kv::platform::win32 {

Win32Platform::Win32Platform(HINSTANCE instance, std::string exeFolder)
    : icons_(loadAppIcons(instance)),
      mainWindow_(instance, icons_),
      messages_(mainWindow_.handle()),
      timers_(mainWindow_),
      windows_(instance, mainWindow_, icons_),
      tray_(mainWindow_, icons_),
      menus_(mainWindow_),
      exeFolder_(std::move(exeFolder)) {}

Platform Win32Platform::platform() {
    return Platform{files_, clock_, messages_, web_, timers_, windows_, tray_, menus_, fileDialog_, process_, folderWatch_, exeFolder_};
}

}  // namespace kv::platform::win32
