// What the simulated terminal needs of an expert: its four event handlers,
// bound to one chart of one terminal.
#pragma once
#include <functional>
#include <memory>

namespace mt4sim {

class Terminal;

class Expert {
public:
    virtual ~Expert() = default;
    virtual void bind(Terminal& terminal, int chartId) = 0;
    virtual int init() = 0;
    virtual void deinit(int reason) = 0;
    virtual void tick() = 0;
    virtual void timer() = 0;
};

using ExpertFactory = std::function<std::unique_ptr<Expert>()>;

}  // namespace mt4sim
