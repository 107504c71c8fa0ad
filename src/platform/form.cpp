#include "platform/form.h"

#include <stdexcept>

namespace kv::platform {

namespace {
template <class F>
auto& find(F& form, const std::string& controlName) {
    for (auto& c : form.controls)
        if (c.name == controlName) return c;
    throw std::logic_error("window " + form.name + " has no control " + controlName);
}
}  // namespace

Control& Form::control(const std::string& controlName) { return find(*this, controlName); }
const Control& Form::control(const std::string& controlName) const { return find(*this, controlName); }

}  // namespace kv::platform
