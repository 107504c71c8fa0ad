// The reference web service for the relay's end-to-end tests and demo.
//   reference_service --port P --accounts FILE --files-folder DIR [--files-of SYSTEMID=DIR ...] [--record FILE]
//                     [--lifetime SECONDS]
//                     [--scheme http|https]
// Prints "listening on http://127.0.0.1:PORT" (or https, with a self-signed
// certificate) once it accepts requests, then one line per request. Ends on
// SIGINT or SIGTERM, or after SECONDS.
#include <pthread.h>
#include <signal.h>

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>

#include "reference_service.h"

namespace {

struct Arguments {
    int port = 0;
    std::string accounts;
    std::string filesFolder;
    std::map<std::string, std::filesystem::path> foldersBySystem;  // a trade system's own terminal
    std::optional<std::string> record;
    long lifetimeSeconds = 0;  // 0: until a signal
    refsvc::Scheme scheme = refsvc::Scheme::Http;
};

[[noreturn]] void usage(const std::string& problem) {
    std::cerr << "reference_service: " << problem << "\n"
              << "usage: reference_service --port P --accounts FILE --files-folder DIR [--files-of SYSTEMID=DIR]... [--record FILE]"
                 " [--lifetime SECONDS] [--scheme http|https]\n";
    std::exit(2);
}

long number(const std::string& option, const std::string& text, long highest) {
    try {
        std::size_t used = 0;
        const long value = std::stol(text, &used);
        if (used == text.size() && value >= 0 && value <= highest) return value;
    } catch (const std::exception&) {
    }
    usage(option + " needs a number from 0 to " + std::to_string(highest));
}

Arguments parseArguments(int argc, char** argv) {
    std::map<std::string, std::string> values;
    Arguments arguments;
    for (int i = 1; i < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--files-of" && i + 1 < argc) {
            const std::string pair = argv[i + 1];
            const auto equals = pair.find('=');
            if (equals == std::string::npos || equals == 0) usage("--files-of needs SYSTEMID=DIR");
            arguments.foldersBySystem[pair.substr(0, equals)] = pair.substr(equals + 1);
            continue;
        }
        if (option != "--port" && option != "--accounts" && option != "--files-folder" && option != "--record" &&
            option != "--lifetime" && option != "--scheme") {
            usage("unknown option " + option);
        }
        if (i + 1 >= argc) usage(option + " needs a value");
        values[option] = argv[i + 1];
    }
    if (!values.count("--accounts") || !values.count("--files-folder"))
        usage("--accounts and --files-folder are required");
    arguments.port = static_cast<int>(number("--port", values.count("--port") ? values["--port"] : "0", 65535));
    arguments.accounts = values["--accounts"];
    arguments.filesFolder = values["--files-folder"];
    if (values.count("--record")) arguments.record = values["--record"];
    if (values.count("--lifetime")) arguments.lifetimeSeconds = number("--lifetime", values["--lifetime"], 86400);
    if (values.count("--scheme") && values["--scheme"] != "http") {
        if (values["--scheme"] != "https") usage("--scheme is http or https");
        arguments.scheme = refsvc::Scheme::Https;
    }
    return arguments;
}

// Waits for SIGINT or SIGTERM (blocked in every thread) or the end of the lifetime.
void waitForEnd(long lifetimeSeconds, sigset_t signals) {
    if (lifetimeSeconds == 0) {
        int received = 0;
        sigwait(&signals, &received);
        return;
    }
    const timespec lifetime{lifetimeSeconds, 0};
    sigtimedwait(&signals, nullptr, &lifetime);
}

}  // namespace

int main(int argc, char** argv) {
    const auto arguments = parseArguments(argc, argv);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    try {
        refsvc::RequestRecord record(arguments.record);
        refsvc::ReferenceService service(refsvc::AccountBook::load(arguments.accounts),
                                         refsvc::OrderAcknowledger(arguments.filesFolder, arguments.foldersBySystem), record, std::cout,
                                         arguments.scheme);
        service.bind(arguments.port);
        std::thread server([&service] { service.run(); });
        std::cout << "listening on " << service.baseUrl() << std::endl;
        waitForEnd(arguments.lifetimeSeconds, signals);
        service.stop();
        server.join();
    } catch (const std::exception& error) {
        std::cerr << "reference_service: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
