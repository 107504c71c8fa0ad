#include "common/text_values.h"

#include <charconv>
#include <cmath>

namespace kv {

std::string_view trimSpaces(std::string_view text) {
    auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

double leadingNumber(std::string_view text) {
    std::string number;
    bool negative = false, signSeen = false, pointSeen = false, digitSeen = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if ((c == '+' || c == '-') && !signSeen && number.empty()) {
            signSeen = true;
            negative = c == '-';
        } else if (c >= '0' && c <= '9') {
            number += c;
            digitSeen = true;
        } else if (c == '.' && !pointSeen) {
            number += c;
            pointSeen = true;
        } else {
            break;
        }
        signSeen = true;  // a sign only counts before everything else
    }
    if (!digitSeen) return 0;
    if (number.back() == '.') number.pop_back();
    double value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);
    return negative ? -value : value;
}

std::string numberText(double value) {
    // Plain digits, never an exponent: an id of 100000 is stored as 100000.
    char text[400];
    auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr;
    return std::string(text, end);
}

int checkValue(std::string_view text) { return std::lround(leadingNumber(text)) != 0 ? 1 : 0; }

}  // namespace kv
