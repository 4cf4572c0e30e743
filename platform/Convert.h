#pragma once
// Reading numbers back from stored text the way the program always has:
// surrounding blanks are allowed, a fraction rounds half to even, anything
// else (empty, letters, out of range) is a failure.
#include <QString>

#include <cstdint>
#include <optional>

namespace platform {

std::optional<int16_t> ToInt16(const QString& text);
std::optional<float> ToSingle(const QString& text);

// Decimal text of a 32-bit float, as short as reads back the same.
QString SingleText(float value);

} // namespace platform
