#pragma once
#include <string>

namespace kv::platform {

// The MT4 expert the program carries with it (KorvaneVantor.mq4), as the
// bytes of its source file: the program puts it into MT4's experts folder.
class BundledExpert {
public:
    virtual ~BundledExpert() = default;
    // Empty when the program carries none (a build without its resources).
    virtual std::string bytes() = 0;
};

}  // namespace kv::platform
