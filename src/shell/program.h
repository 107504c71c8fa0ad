#pragma once
#include <memory>

#include "platform/platform.h"

namespace kv {

struct FrmMainMdi;
struct ProsesWriteMO;
class MainWindow;
class FrmLogin;
class FrmSys;
class FrmSettings;
class FrmTerminals;
class FrmManual;
class TrayStatusWatch;
class RelaySwitch;

// The whole program: owns the shared state and every window. The platform's
// entry point creates it, calls start() (the main window's load) and then
// delivers events: timer ticks through the timers it created, window events
// through each form's FormEvents, and mouse messages over the tray icon
// through iconCallback.
class Program {
public:
    explicit Program(const platform::Platform& platform);
    ~Program();

    void start();
    void iconCallback(double x);  // the mouse message number, e.g. 516 for a right-button press
    void exitRequested();         // from outside (the installer): ends the program as Exit does

    // The parts, for the platform layer and the tests.
    FrmMainMdi& values();
    ProsesWriteMO& module();
    MainWindow& mainWindow();
    FrmLogin& login();
    FrmSys& systems();
    FrmSettings& settings();
    FrmTerminals& terminals();
    FrmManual& manual();
    platform::Timer& mytimer();
    TrayStatusWatch& trayStatus();
    RelaySwitch& relay();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace kv
