// Our expert on a chart of the simulated terminal (MT4, or MT5 hedging or
// netting), with the checks every test of it makes: every write of the log
// has whole lines, no number twice and no number the terminal never had a
// line for; after a step, each line is what the terminal's record of order
// line events says, and no line is missing.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "korvane_vantor_expert.h"
#include "sim_terminal.h"

using Line = std::vector<std::string>;  // the 14 fields
using mtsim::AccountMode;
using mtsim::OrderType;

constexpr int64_t kDayStartMs = 1796634000LL * 1000;  // 2026-12-07 09:00:00

// The log's lines by number; fails the test unless every line is whole (CR
// LF ended, fourteen fields) and no number stands twice.
inline std::map<int, Line> parseLog(const std::string& text) {
    std::map<int, Line> lines;
    EXPECT_TRUE(text.empty() || text.ends_with("\r\n")) << text;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find("\r\n", start);
        const std::string raw = text.substr(start, end - start);
        start = end == std::string::npos ? text.size() : end + 2;
        EXPECT_EQ(raw.find_first_of("\r\n"), std::string::npos) << raw;
        Line fields;
        std::stringstream split(raw);
        for (std::string field; std::getline(split, field, ';');) fields.push_back(field);
        EXPECT_EQ(fields.size(), 14u) << raw;
        if (fields.size() == 14) {
            EXPECT_TRUE(lines.emplace(std::stoi(fields[3]), fields).second) << "twice: " << raw << "\n" << text;
        }
    }
    return lines;
}

struct Desk {
    // Unique per run: other builds may run the same test at the same time.
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("kv-expert-" + std::to_string(std::random_device{}()) + "-" +
                                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    AccountMode mode;
    mtsim::Terminal mt;
    int chart = 0;
    std::set<int> writers;            // the charts whose expert wrote the log
    std::vector<std::string> writes;  // every log written

    explicit Desk(AccountMode accountMode, bool attach = true)
        : mode(accountMode),
          mt((std::filesystem::remove_all(folder), folder),
             accountMode == AccountMode::Mt4 ? makeKorvaneVantorExpert : makeKorvaneVantorExpert5, kDayStartMs) {
        mt.addAccount(5551001, true, mode);
        mt.addAccount(7002, false, mode);
        mt.addSymbol({"EURUSD", 5, 0.01, 100000, 7.0, 1.10000, 1.10020});
        mt.addSymbol({"USDJPY", 3, 0.1, 100000, 0, 150.000, 150.020});
        mt.watchLogWrites([this](int writer, const std::string& bytes) {
            writers.insert(writer);
            writes.push_back(bytes);
            for (const auto& [number, line] : parseLog(bytes)) EXPECT_TRUE(known(number)) << "a line that never was: " << bytes;
        });
        if (attach) chart = mt.attachExpert("EURUSD");
    }
    ~Desk() { std::filesystem::remove_all(folder); }

    bool known(int number) const {
        for (const auto& e : mt.events())
            if (e.line.number == number) return true;
        return false;
    }
    std::string text() const {
        std::ifstream in(folder / "systemorder.log", std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    // The log ms later and at least two periods and a bit after the last
    // change (an order may expire meanwhile, a deal reach the history late),
    // as the record says it must be.
    std::map<int, Line> log(int64_t ms = 60) {
        mt.advance(ms);
        while (!mt.events().empty() && mt.events().back().timeMs > mt.nowMs() - 160) mt.advance(60);
        auto lines = parseLog(text());
        expectRecord(lines);
        return lines;
    }
    // Each line is what the record's last event of its number says; every
    // number of the record has its line.
    void expectRecord(const std::map<int, Line>& lines) const {
        std::map<int, const mtsim::TicketEvent*> last;
        for (const auto& e : mt.events())
            if (e.account == mt.accountNumber()) last[e.line.number] = &e;
        EXPECT_EQ(lines.size(), last.size());
        for (const auto& [number, event] : last) {
            auto it = lines.find(number);
            if (it == lines.end()) {
                ADD_FAILURE() << "no line " << number;
                continue;
            }
            const Line& l = it->second;
            const bool ended = event->kind == mtsim::TicketEventKind::Closed || event->kind == mtsim::TicketEventKind::Deleted ||
                               event->kind == mtsim::TicketEventKind::Expired;
            static const char* const types[] = {"BUY", "SELL", "BUYLIMIT", "SELLLIMIT", "BUYSTOP", "SELLSTOP"};
            EXPECT_EQ(l[4][0], ended ? 'X' : 'O') << number;
            EXPECT_NEAR(std::stod(l[7]), event->line.lots, 1e-9) << number;
            EXPECT_EQ(l[5], types[static_cast<int>(event->line.type)]) << number;
        }
    }
    static std::string stamp(const Line& l) { return l[4].substr(1); }
};
