// What the simulated terminal needs of an expert: its event handlers,
// bound to one chart of one terminal.
#pragma once
#include <functional>
#include <memory>

namespace mtsim {

class Terminal;

class Expert {
public:
    virtual ~Expert() = default;
    virtual void bind(Terminal& terminal, int chartId) = 0;
    virtual int init() = 0;
    virtual void deinit(int reason) = 0;
    virtual void tick() = 0;
    virtual void timer() = 0;
    virtual void trade() {}  // MT5's OnTradeTransaction; MT4 has no such event
};

using ExpertFactory = std::function<std::unique_ptr<Expert>()>;

}  // namespace mtsim
