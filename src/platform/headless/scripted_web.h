#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/web_fetcher.h"

namespace kv::platform::headless {

// One scripted service shared by every fetcher the program creates: each
// request is recorded and answered by `answer`; no answer is a transport
// failure, for the reason `noReply` gives.
class ScriptedService {
public:
    std::function<std::optional<std::string>(const std::string& url)> answer;
    NoReply noReply = NoReply::Unreachable;
    std::vector<std::string> requests;
    int fetchersCreated = 0;

    Fetched fetch(const std::string& url) {
        requests.push_back(url);
        return {answer ? answer(url) : std::nullopt, noReply};
    }
};

class ScriptedWebFetcherFactory : public WebFetcherFactory {
public:
    explicit ScriptedWebFetcherFactory(ScriptedService& service) : service_(service) {}
    std::unique_ptr<WebFetcher> create() override;

private:
    ScriptedService& service_;
};

}  // namespace kv::platform::headless
