#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace refsvc {

// Splits file text into lines ending at CR LF, a lone CR or a lone LF: the
// service reads files written by hand as well as by the expert.
std::vector<std::string> splitAnyLines(std::string_view text);

// Splits at every ';'; "a;;b;" gives "a", "", "b", "".
std::vector<std::string> splitFields(std::string_view line);

// The whole file, or an error naming it.
std::string readWholeFile(const std::string& path);

}  // namespace refsvc
