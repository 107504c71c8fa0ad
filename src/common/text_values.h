#pragma once
#include <string>
#include <string_view>

namespace kv {

// Leading and trailing spaces removed (tabs and other characters stay).
std::string_view trimSpaces(std::string_view text);

// The value of the number at the front of a text: blanks are skipped, a sign
// and a decimal fraction are allowed; 0 when the text does not begin with one.
double leadingNumber(std::string_view text);

// A number as the shortest plain decimal text that reads back the same: 7, -3, 7.5, 100000.
std::string numberText(double value);

// A check box value read from a stored decimal text: any whole value other than 0 ticks the box.
int checkValue(std::string_view text);

}  // namespace kv
