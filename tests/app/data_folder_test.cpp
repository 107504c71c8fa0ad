#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

TEST(DataFolder, AnUnwritableFolderIsToldOnceAtStartWithWhatToDo) {
    Machine m;
    auto& hp = m.hp;
    // Every write under Data is refused, as under Program Files for a standard user.
    m.files.decide = [](FileStep step, const std::string& path) {
        const bool writing = step != FileStep::Read;
        const bool underData = path.ends_with("\\Data") || path.find("\\Data\\") != std::string::npos;
        return writing && underData ? FileError::AccessDenied : FileError::None;
    };
    bool iconDuringMessage = false;
    hp.messages.whileModal = [&](const auto&) { iconDuringMessage = hp.tray.present; };
    m.start();
    ASSERT_EQ(hp.messages.shown.size(), 1u);
    EXPECT_NE(hp.messages.shown[0].text.find("install it with the installer, or move it to a folder you can write to"),
              std::string::npos);
    EXPECT_NE(hp.messages.shown[0].text.find("access is denied"), std::string::npos);
    EXPECT_TRUE(iconDuringMessage);

    // A missing folder says nothing of it.
    m.files.decide = nullptr;
    ::rename(hp.path("Data").c_str(), hp.path("Elsewhere").c_str());
    m.start();
    EXPECT_FALSE(m.told("install it with the installer"));
}
