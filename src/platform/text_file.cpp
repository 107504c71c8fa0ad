#include "platform/text_file.h"

#include <string_view>

#include "platform/text_encoding.h"

namespace kv::platform {

std::vector<std::string> splitLines(const std::string& raw, SystemText& system) {
    // Code-page text, the usual case, is split where it lies.
    const TextEncoding encoding = encodingOf(raw, UnmarkedUtf8::IsCodePage);
    std::string decoded;
    std::string_view s = raw;
    if (encoding.encoding != Encoding::CodePage) {
        decoded = codePageFromText(raw, encoding, system);
        s = decoded;
    }

    std::vector<std::string> lines;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\r') continue;
        lines.emplace_back(s.substr(lineStart, i - lineStart));
        if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        lineStart = i + 1;
    }
    if (lineStart < s.size()) lines.emplace_back(s.substr(lineStart));
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const auto& l : lines) size += l.size() + 2;
    std::string out;
    out.reserve(size);
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

FileError readLines(FileSystem& files, SystemText& system, const std::string& path, std::vector<std::string>& lines) {
    std::string bytes;
    FileError error = files.readAll(path, bytes);
    if (error == FileError::None) lines = splitLines(bytes, system);
    return error;
}

FileError writeLines(FileSystem& files, const std::string& path, const std::vector<std::string>& lines) {
    return files.replaceAtomically(path, joinLines(lines));
}

FileError appendLine(FileSystem& files, const std::string& path, const std::string& line) {
    return files.append(path, line + "\r\n");
}

}  // namespace kv::platform
