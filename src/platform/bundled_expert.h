#pragma once
#include <string>

namespace kv::platform {

// The experts the program carries with it (KorvaneVantor.mq4 for MT4,
// KorvaneVantor.mq5 for MT5), as the bytes of their source files: the
// program puts the one for the trader's terminal into its experts folder.
class BundledExpert {
public:
    virtual ~BundledExpert() = default;
    // The file of that name; empty when the program carries none (a build
    // without its resources, or a name it does not know).
    virtual std::string bytes(const std::string& fileName) = 0;
};

}  // namespace kv::platform
