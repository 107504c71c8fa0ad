// kvterminal: the simulated MT4 or MT5 terminal with our expert on a chart,
// playing a random trading session in real time into its data folder, for
// the demo, the end-to-end test and the latency benchmark.
//   kvterminal (--mt4 FOLDER | --mt5 FOLDER [--account hedging|netting]) --history FILE
//              [--roaming DIR] [--seed N] [--seconds S] [--step-ms LOW-HIGH]
//              [--restart-every S] [--hold-file FILE] [--delay-ms MAX] [--gentle]
// FOLDER is the terminal's installation folder as Windows writes it; the data
// folder (MQL4\Files or MQL5\Files) goes under DIR (default: %APPDATA%). An
// MT5 account is a hedging one unless told otherwise. Arguments are taken as UTF-8
// (on Windows from the UTF-16 command line), so no path loses a character. --seconds 0 plays until the
// program is ended. While the hold file exists, the trader and the market
// pause (the expert keeps running), so a relay that is down misses nothing.
// The terminal is closed and started again, or loses its connection for a
// moment, every --restart-every seconds (0: never). The session is harsh
// (see random_session.h), MT5 executions taking up to --delay-ms (500),
// unless --gentle.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "data_folder.h"
#include "korvane_vantor_expert.h"
#include "platform/utf8_text.h"
#include "random_session.h"
#include "session_record.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string terminalFolder;
    mtsim::AccountMode mode = mtsim::AccountMode::Mt4;
    std::filesystem::path history, roaming, holdFile;
    unsigned seed = 1;
    double seconds = 0, restartEvery = 15;
    int stepLowMs = 300, stepHighMs = 700;
    bool harsh = true;
    int maxDelayMs = 500;
};

std::filesystem::path pathOf(const std::string& utf8) { return std::u8string(utf8.begin(), utf8.end()); }

Options parse(const std::vector<std::string>& arguments, const std::string& appData) {
    std::map<std::string, std::string> values;
    std::vector<std::string> pairs;
    bool gentle = false;
    for (const std::string& argument : arguments)
        argument == "--gentle" ? (void)(gentle = true) : pairs.push_back(argument);
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) values[pairs[i]] = pairs[i + 1];
    const bool mt5 = values.count("--mt5") != 0;
    const std::string account = values.count("--account") ? values["--account"] : "hedging";
    if (pairs.size() % 2 == 1 || values.count("--mt4") + values.count("--mt5") != 1 || !values.count("--history") ||
        (account != "hedging" && account != "netting") || (!mt5 && values.count("--account")))
        throw std::invalid_argument("usage: kvterminal (--mt4 FOLDER | --mt5 FOLDER [--account hedging|netting]) "
                                    "--history FILE [--roaming DIR] [--seed N] [--seconds S] [--step-ms LOW-HIGH] "
                                    "[--restart-every S] [--hold-file FILE] [--delay-ms MAX] [--gentle]");
    Options options;
    options.harsh = !gentle;
    if (values.count("--delay-ms")) options.maxDelayMs = std::stoi(values["--delay-ms"]);
    options.terminalFolder = values[mt5 ? "--mt5" : "--mt4"];
    if (mt5) options.mode = account == "netting" ? mtsim::AccountMode::Netting : mtsim::AccountMode::Hedging;
    options.history = pathOf(values["--history"]);
    options.roaming = pathOf(values.count("--roaming") ? values["--roaming"] : appData);
    if (options.roaming.empty()) throw std::invalid_argument("no --roaming and no APPDATA");
    if (values.count("--hold-file")) options.holdFile = pathOf(values["--hold-file"]);
    if (values.count("--seed")) options.seed = static_cast<unsigned>(std::stoul(values["--seed"]));
    if (values.count("--seconds")) options.seconds = std::stod(values["--seconds"]);
    if (values.count("--restart-every")) options.restartEvery = std::stod(values["--restart-every"]);
    if (values.count("--step-ms")) {
        const std::string range = values["--step-ms"];
        options.stepLowMs = std::stoi(range);
        options.stepHighMs = std::stoi(range.substr(range.find('-') + 1));
        if (options.stepLowMs <= 0 || options.stepHighMs < options.stepLowMs)
            throw std::invalid_argument("--step-ms wants LOW-HIGH, 0 < LOW <= HIGH");
    }
    return options;
}

std::int64_t wallMs() { return kvterminal::wallMicros() / 1000; }

void play(const Options& options) {
    const bool mt5 = options.mode != mtsim::AccountMode::Mt4;
    const auto files = kvterminal::makeDataFolder(options.roaming, options.terminalFolder, mt5 ? "MQL5" : "MQL4");
    const std::u8string shown = files.u8string();
    std::cout << "files folder: " << std::string(shown.begin(), shown.end()) << std::endl;
    mtsim::Terminal terminal(files, mt5 ? makeKorvaneVantorExpert5 : makeKorvaneVantorExpert, wallMs());
    kvterminal::RandomSession session(terminal, options.seed, options.mode, options.harsh, options.maxDelayMs);
    if (!session.setUp()) throw std::runtime_error("the expert did not start");
    kvterminal::SessionRecord record(options.history, mt5);
    // A write is told when the expert makes it, after the changes it carries.
    terminal.watchLogWrites([&](int, const std::string&) {
        record.catchUp(terminal.events());
        record.note("Written");
    });
    std::mt19937 pace(options.seed);
    const auto between = [&](int low, int high) {
        return std::chrono::milliseconds(std::uniform_int_distribution<int>(low, high)(pace));
    };
    const auto catchUp = [&] { record.catchUp(terminal.events()); };
    const auto runOn = [&] { terminal.advance(std::max<std::int64_t>(0, wallMs() - terminal.nowMs())); };

    const auto started = Clock::now();
    const auto end = started + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.seconds));
    const auto restartPeriod =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.restartEvery));
    auto nextStep = started + between(options.stepLowMs, options.stepHighMs);
    auto nextBreak = started + restartPeriod;
    auto nextLook = started;      // for the hold file
    auto nextQuietTick = started;  // while the trader waits for the expert
    auto reconnectAt = Clock::time_point::max();
    bool held = false;
    for (auto now = started; options.seconds <= 0 || now < end; now = Clock::now()) {
        runOn();
        catchUp();
        if (now >= nextLook) {
            nextLook = now + std::chrono::milliseconds(20);
            const bool hold = !options.holdFile.empty() && std::filesystem::exists(options.holdFile);
            if (hold != held) record.note(hold ? "Held" : "Resumed");
            held = hold;
        }
        if (now >= reconnectAt) {
            session.reconnect();
            record.note("Reconnected");
            reconnectAt = Clock::time_point::max();
        }
        // The trader waits while the expert cannot write what he does (the
        // terminal loading, an order executing); the market ticks on quietly.
        const bool waiting = reconnectAt != Clock::time_point::max() || !session.settled();
        if (waiting && now >= nextQuietTick && terminal.connected()) {
            session.quietTick();
            catchUp();
            nextQuietTick = now + std::chrono::milliseconds(100);
        }
        if (!held && !waiting && now >= nextStep) {
            if (options.restartEvery > 0 && now >= nextBreak) {
                if (session.nextBreakIsDisconnection()) {
                    record.note("Disconnected");
                    terminal.disconnect();
                    reconnectAt = Clock::now() + between(500, 1500);
                } else {
                    // The terminal is closed for a moment: no expert runs, then fresh copies start.
                    record.note("Restarted");
                    std::this_thread::sleep_for(between(500, 1500));
                    session.restart(std::max<std::int64_t>(0, wallMs() - terminal.nowMs()));
                }
                nextBreak = Clock::now() + restartPeriod;
            } else {
                // The expert may write on the tick, before the trader acts.
                const auto touched = session.tick();
                catchUp();
                session.act(touched);
            }
            catchUp();
            nextStep = Clock::now() + between(options.stepLowMs, options.stepHighMs);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // The trader stops; the terminal runs on until nothing has happened for a
    // while and the expert writes again (an order may still expire or be
    // executing), so the log holds the last change before the session ends.
    if (reconnectAt != Clock::time_point::max()) {
        session.reconnect();
        record.note("Reconnected");
    }
    for (auto lastChange = Clock::now(); Clock::now() - lastChange < std::chrono::milliseconds(300);) {
        const std::size_t before = terminal.events().size();
        runOn();
        catchUp();
        if (terminal.events().size() != before || !session.settled()) lastChange = Clock::now();
        if (!session.settled() && terminal.connected()) session.quietTick();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    record.note("End");
}

int run(const std::vector<std::string>& arguments, const std::string& appData) {
    try {
        play(parse(arguments, appData));
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "kvterminal: " << error.what() << std::endl;
        return 2;
    }
}

}  // namespace

#ifdef _WIN32
// The narrow arguments and environment of a Windows program are in the code
// page; the wide ones hold every character of a user's or a folder's name.
int wmain(int argc, wchar_t** argv) {
    const auto utf8 = [](const wchar_t* text) {
        return kv::platform::utf8FromUtf16(reinterpret_cast<const char16_t*>(text ? text : L""));
    };
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(utf8(argv[i]));
    return run(arguments, utf8(_wgetenv(L"APPDATA")));
}
#else
int main(int argc, char** argv) {
    const char* appData = std::getenv("APPDATA");
    return run(std::vector<std::string>(argv + 1, argv + argc), appData ? appData : "");
}
#endif
