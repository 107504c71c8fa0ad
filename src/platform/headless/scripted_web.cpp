#include "platform/headless/scripted_web.h"

namespace kv::platform::headless {

namespace {
class ScriptedWebFetcher : public WebFetcher {
public:
    explicit ScriptedWebFetcher(ScriptedService& service) : service_(service) {}
    Fetched FetchUrl(const std::string& url) override { return service_.fetch(url); }

private:
    ScriptedService& service_;
};
}  // namespace

std::unique_ptr<WebFetcher> ScriptedWebFetcherFactory::create() {
    ++service_.fetchersCreated;
    return std::make_unique<ScriptedWebFetcher>(service_);
}

}  // namespace kv::platform::headless
