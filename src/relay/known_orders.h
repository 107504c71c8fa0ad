#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kv {

// An index over the known-order records of one cycle, so that each order line
// finds its record without walking the whole list. It answers exactly what a
// walk from the top would: the first record with that order number. Removed
// records stay in place (marked) until compact(), so positions never shift
// while the cycle runs; appended records go to the end.
class KnownOrders {
public:
    explicit KnownOrders(std::vector<std::string>& records);

    bool empty() const { return live_ == 0; }

    // Position in the list of the first record with this order number.
    std::optional<std::size_t> find(std::string_view orderNo) const;
    const std::string& at(std::size_t position) const { return records_[position]; }

    void remove(std::size_t position);
    void append(std::string record);

    // Takes the removed records out of the list, keeping the order of the
    // rest. The index is spent afterwards: the cycle is over.
    void compact();

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // First and last position of the records of one order number; the
    // records in between are linked through next_.
    struct Chain {
        std::size_t first, last;
    };
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    void link(std::size_t position);

    std::vector<std::string>& records_;
    std::vector<std::size_t> next_;
    std::vector<bool> removed_;
    std::unordered_map<std::string, Chain, Hash, std::equal_to<>> chains_;
    std::size_t live_ = 0;
};

}  // namespace kv
