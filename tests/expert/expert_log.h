// The order log as the relay reads it, for the experts' tests.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using Line = std::vector<std::string>;  // the 14 fields

// The log as the relay reads it; fails the test unless every line is whole:
// CR LF ended, no stray CR or LF, fourteen fields.
inline std::map<int, Line> readLog(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    EXPECT_TRUE(in.good()) << "no " << file;
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string text = bytes.str();
    std::map<int, Line> lines;
    EXPECT_TRUE(text.empty() || text.ends_with("\r\n")) << text;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        std::string raw = text.substr(start, end - start);
        start = end + 2;
        EXPECT_EQ(raw.find_first_of("\r\n"), std::string::npos) << raw;
        Line fields;
        std::stringstream split(raw);
        for (std::string field; std::getline(split, field, ';');) fields.push_back(field);
        EXPECT_EQ(fields.size(), 14u) << raw;
        if (fields.size() == 14) lines[std::stoi(fields[3])] = fields;
    }
    return lines;
}

