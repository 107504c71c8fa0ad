#include "relay/known_orders.h"

#include "relay/order_fields.h"

namespace kv {

KnownOrders::KnownOrders(std::vector<std::string>& records) : records_(records) {
    next_.reserve(records_.size());
    chains_.reserve(records_.size());
    for (std::size_t position = 0; position < records_.size(); ++position) link(position);
    removed_.assign(records_.size(), false);
}

void KnownOrders::link(std::size_t position) {
    next_.push_back(kNone);
    std::string_view orderNo = splitKnownRecord(records_[position]).knownOrderNo;
    auto [chain, inserted] = chains_.try_emplace(std::string(orderNo), Chain{position, position});
    if (!inserted) {
        next_[chain->second.last] = position;
        chain->second.last = position;
    }
    ++live_;
}

std::optional<std::size_t> KnownOrders::find(std::string_view orderNo) const {
    auto chain = chains_.find(orderNo);
    if (chain == chains_.end()) return std::nullopt;
    return chain->second.first;
}

void KnownOrders::remove(std::size_t position) {
    if (removed_[position]) return;
    auto chain = chains_.find(splitKnownRecord(records_[position]).knownOrderNo);
    Chain& c = chain->second;
    if (c.first == position) {
        if (next_[position] == kNone)
            chains_.erase(chain);
        else
            c.first = next_[position];
    } else {
        std::size_t before = c.first;
        while (next_[before] != position) before = next_[before];
        next_[before] = next_[position];
        if (c.last == position) c.last = before;
    }
    removed_[position] = true;
    --live_;
}

void KnownOrders::append(std::string record) {
    records_.push_back(std::move(record));
    removed_.push_back(false);
    link(records_.size() - 1);
}

void KnownOrders::compact() {
    std::size_t kept = 0;
    for (std::size_t position = 0; position < records_.size(); ++position)
        if (!removed_[position]) {
            if (kept != position) records_[kept] = std::move(records_[position]);
            ++kept;
        }
    records_.resize(kept);
    chains_.clear();
    next_.clear();
    removed_.clear();
    live_ = 0;
}

}  // namespace kv
