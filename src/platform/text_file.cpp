#include "platform/text_file.h"

namespace kv::platform {

std::optional<std::size_t> utf16LeStart(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return 2;
    // 8-bit text never holds a NUL; UTF-16LE of the ASCII an order line is
    // made of has one behind every character.
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        if (bytes[i + 1] != '\0') return std::nullopt;
        if (bytes[i] == '\r') break;
    }
    if (i == 0) return std::nullopt;
    return 0;
}

std::u16string utf16LeUnits(const std::string& bytes, std::size_t from) {
    std::u16string units;
    units.reserve((bytes.size() - from) / 2);
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return units;
}

std::vector<std::string> splitLines(const std::string& raw, FileSystem& files) {
    std::string decoded;
    const std::string* text = &raw;
    std::size_t start = 0;
    if (const auto utf16 = utf16LeStart(raw)) {
        decoded = files.fromUtf16(utf16LeUnits(raw, *utf16));
        text = &decoded;
    } else if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        start = 3;
    }

    std::vector<std::string> lines;
    const std::string& s = *text;
    std::size_t lineStart = start;
    for (std::size_t i = start; i < s.size(); ++i) {
        if (s[i] != '\r') continue;
        lines.emplace_back(s, lineStart, i - lineStart);
        if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        lineStart = i + 1;
    }
    if (lineStart < s.size()) lines.emplace_back(s, lineStart, s.size() - lineStart);
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

FileError readLines(FileSystem& files, const std::string& path, std::vector<std::string>& lines) {
    std::string bytes;
    FileError error = files.readAll(path, bytes);
    if (error == FileError::None) lines = splitLines(bytes, files);
    return error;
}

FileError writeLines(FileSystem& files, const std::string& path, const std::vector<std::string>& lines) {
    return files.replaceAtomically(path, joinLines(lines));
}

FileError appendLine(FileSystem& files, const std::string& path, const std::string& line) {
    return files.append(path, line + "\r\n");
}

}  // namespace kv::platform
