#include <cstdio>
#include <exception>

#include "check.h"
#include "platform/win32/text_codec.h"

namespace kvcheck {

namespace {

struct Registered {
    const char* suite;
    const char* name;
    TestBody body;
};

std::vector<Registered>& registry() {
    static std::vector<Registered> tests;
    return tests;
}

bool currentFailed = false;

}  // namespace

Registrar::Registrar(const char* suite, const char* name, TestBody body) { registry().push_back({suite, name, body}); }

void Reporter::operator=(const Message& message) {
    const std::string note = message.str();
    if (outcome_ == Outcome::Skip) {
        std::printf("  skipped: %s\n", note.c_str());
        throw SkipTest{};
    }
    currentFailed = true;
    std::printf("%s:%d: failure: %s%s%s\n", file_, line_, what_.c_str(), note.empty() ? "" : "\n    ", note.c_str());
    if (outcome_ == Outcome::Stop) throw StopTest{};
}

std::string show(const std::string& text) {
    std::string quoted(1, '"');
    for (const unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            quoted += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            quoted += escaped;
        }
    }
    quoted.push_back('"');
    return quoted;
}

std::string show(const std::wstring& text) {
    std::string shown(1, 'L');
    shown += show(kv::platform::win32::toAnsi(text));
    return shown;
}

int runAll(const char* only) {
    int passed = 0, failed = 0, skipped = 0;
    for (const auto& test : registry()) {
        if (only && (std::string(test.suite) + "." + test.name).find(only) == std::string::npos) continue;
        std::printf("[ RUN      ] %s.%s\n", test.suite, test.name);
        std::fflush(stdout);
        currentFailed = false;
        bool skippedThis = false;
        try {
            test.body();
        } catch (const StopTest&) {
        } catch (const SkipTest&) {
            skippedThis = true;
        } catch (const std::exception& error) {
            currentFailed = true;
            std::printf("  exception: %s\n", error.what());
        }
        const char* verdict = currentFailed ? "[  FAILED  ]" : skippedThis ? "[  SKIPPED ]" : "[       OK ]";
        std::printf("%s %s.%s\n", verdict, test.suite, test.name);
        std::fflush(stdout);
        if (currentFailed)
            ++failed;
        else if (skippedThis)
            ++skipped;
        else
            ++passed;
    }
    std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
    return failed == 0 ? 0 : 1;
}

}  // namespace kvcheck

// An argument runs only the checks whose "Suite.Name" contains it.
int main(int argc, char** argv) { return kvcheck::runAll(argc > 1 ? argv[1] : nullptr); }
