#pragma once
// Numbers typed into the tool windows' fields. A field is read the forgiving way users
// expect of it: the leading number of the text, "&H" introducing hexadecimal digits,
// 0 when there is none, then rounded to the nearest integer (halves to the even one).
#include <cstdint>
#include <string_view>

// The failure a field's number too large for its variable ends in.
inline constexpr int kErrFieldOverflow = 1006;

double ReadFieldNumber(std::string_view text);
double RoundHalfEven(double value);

// The field's number rounded to a variable of that width; a number that does not fit
// throws OperationError (an overflow).
std::int32_t FieldInt32(std::string_view text);
std::int16_t FieldInt16(std::string_view text);
