#include <gtest/gtest.h>

#include "trader.h"

using app::ProgramRun;
using kv::platform::FileError;
using kv::platform::headless::FileStep;
using kv::platform::headless::HeadlessPlatform;

TEST(DataFolder, AnUnwritableFolderIsToldOnceAtStartWithWhatToDo) {
    HeadlessPlatform hp;
    app::install(hp);
    // Every write under Data is refused, as under Program Files for a standard user.
    hp.files.fault = [](FileStep step, const std::string& path) {
        const bool writing = step != FileStep::Read;
        return writing && path.find("/Data/") != std::string::npos ? FileError::AccessDenied : FileError::None;
    };
    bool iconDuringMessage = false;
    hp.messages.whileOpen = [&](const auto&) { iconDuringMessage = hp.tray.present; };
    ProgramRun run(hp);
    ASSERT_EQ(hp.messages.shown.size(), 1u);
    EXPECT_NE(hp.messages.shown[0].text.find("install it with the installer, or move it to a folder you can write to"),
              std::string::npos);
    EXPECT_NE(hp.messages.shown[0].text.find("access is denied"), std::string::npos);
    EXPECT_TRUE(iconDuringMessage);

    // A writable folder and a missing one say nothing of it.
    hp.files.fault = nullptr;
    hp.messages.whileOpen = nullptr;
    ProgramRun writable(hp);
    EXPECT_TRUE(hp.messages.shown.empty());
    ::rename(hp.path("Data").c_str(), hp.path("Elsewhere").c_str());
    ProgramRun missing(hp);
    EXPECT_FALSE(app::mentions(hp, "install it with the installer"));
}
