#include "platform/win32/win32_bundled_expert.h"

#include "platform/win32/resource_ids.h"
#include "platform/win32/win32_api.h"

namespace kv::platform::win32 {

namespace {

struct CarriedExpert {
    const char* fileName;
    int resource;
};

constexpr CarriedExpert kCarried[] = {{"KorvaneVantor.mq4", KV_RC_EXPERT_MT4}, {"KorvaneVantor.mq5", KV_RC_EXPERT_MT5}};

}  // namespace

// A loaded resource stays mapped for the life of the module; nothing to free.
std::string Win32BundledExpert::bytes(const std::string& fileName) {
    int resource = 0;
    for (const CarriedExpert& carried : kCarried)
        if (fileName == carried.fileName) resource = carried.resource;
    if (!resource) return {};
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource), RT_RCDATA);
    if (!found) return {};
    const HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

}  // namespace kv::platform::win32
