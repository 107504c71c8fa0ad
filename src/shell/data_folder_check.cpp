#include "shell/data_folder_check.h"

namespace kv {

void tellIfDataFolderUnwritable(const platform::Platform& platform) {
    const std::string folder = platform.exeFolder + "\\Data";
    const platform::FileError error = platform.files.probeWritable(folder);
    if (error == platform::FileError::None || error == platform::FileError::NotFound) return;
    platform.messages.showModal("Korvane - Vantor cannot write in its Data folder, " + folder + " (" +
                               platform::describe(error) +
                               "), so it cannot keep your settings and journals. Please install it with the "
                               "installer, or move it to a folder you can write to.",
                           platform::MessageIcon::Error);
}

}  // namespace kv
