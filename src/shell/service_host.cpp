#include "shell/service_host.h"

#include "common/optional_file.h"
#include "common/text_values.h"
#include "platform/utf8_text.h"

namespace kv {

std::string serviceHost(const platform::Platform& platform) {
    const std::string builtIn(kBuiltInServiceHost);
    const std::string path = platform.dataFile("Service.dat");
    auto lines = readOptionalLines(platform, path);
    if (lines.empty()) return builtIn;
    std::string line(trimSpaces(lines.front()));
    if (line.empty()) return builtIn;
    if (isServiceHost(line)) return line;
    // The file is 8-bit text; the message is UTF-8, as the path in it.
    const std::string shown = platform::utf8FromUtf16(platform.text.utf16FromCodePage(line));
    platform.messages.showModal("The service address \"" + shown + "\" in " + path +
                               " is not valid: it must be http:// or https:// followed by a host name and "
                               "an optional :port, with nothing after it. The built-in address " +
                               builtIn + " is used.",
                           platform::MessageIcon::Error);
    return builtIn;
}

}  // namespace kv
