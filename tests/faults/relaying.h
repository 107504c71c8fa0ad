#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "machine.h"
#include "platform/text_file.h"

namespace faults {

// A machine whose program is logged in and relaying, with a service that
// answers every order event as the real one does (the order number, ";",
// field 5 of the order's line in the log now, "\n", or "ok\n" for a
// modification) unless `spoil` turns that answer into something else.
class Relaying : public Machine {
public:
    using Spoil = std::function<std::optional<std::string>(const std::string& url, const std::string& answer)>;

    // The orders in the log and the records of those the service knows.
    explicit Relaying(const std::vector<std::string>& orders = {}, const std::vector<std::string>& known = {}) {
        write("Data/TempInit.dat", "20261205\r\n");  // the tables were built today already
        writeOrders(orders);
        write(orderFile("manualorder.log"), kv::platform::joinLines(known));
        hp.service.answer = [this](const std::string& url) { return answer(url); };
        start();
        logIn();
    }

    Spoil spoil;
    std::vector<std::string> sent;                  // event requests, as "EditTD 9"
    std::map<std::string, int> acknowledgements;    // correct answers given, by "EditTD 9 O2"

    // One poll interval; the events it sent.
    std::vector<std::string> cycle() {
        sent.clear();
        tick();
        return sent;
    }

    // Whether the files the engine keeps are each exactly as given.
    bool stateFilesAre(const std::string& knownRecords, const std::string& journalLines) const {
        return known() == knownRecords && journal() == journalLines;
    }
    int messages() const { return static_cast<int>(hp.messages.shown.size()); }
    bool lastMessageNames(const std::string& file) const {
        return !hp.messages.shown.empty() && hp.messages.shown.back().text.find(file) != std::string::npos;
    }
    // Active.log lines of this request kind and order.
    int journaled(const std::string& event) {
        int lines = 0;
        for (const auto& line : kv::platform::splitLines(activeLog(), hp.files))
            lines += shortName(line.substr(1)) == event;
        return lines;
    }

private:
    std::optional<std::string> answer(const std::string& url) {
        if (url.find("/LoginCheckAction.do?") != std::string::npos) return std::string("7;12;Alpha");
        const std::string event = shortName(url);
        sent.push_back(event);
        const std::string no = pairValue(url, "orderno");
        std::string field5;
        for (const auto& line : kv::platform::splitLines(read(orderFile("systemorder.log")), hp.files)) {
            std::vector<std::string> f;
            for (std::size_t from = 0;;) {
                auto to = line.find(';', from);
                f.push_back(line.substr(from, to - from));
                if (to == std::string::npos) break;
                from = to + 1;
            }
            if (f.size() > 4 && f[3] == no) {
                field5 = f[4];
                break;
            }
        }
        if (field5.empty()) return std::string("unknown order");
        const std::string correct = no + ";" + field5 + (event.starts_with("EditTD") ? "ok\n" : "\n");
        std::optional<std::string> reply = spoil ? spoil(url, correct) : correct;
        if (reply == correct) ++acknowledgements[event + " " + field5];
        return reply;
    }
};

}  // namespace faults
