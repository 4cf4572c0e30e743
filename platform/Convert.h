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

// A stored index into a list of `count` entries; `defaultIndex` where the
// text is no number or no entry of the list: a list left without a
// selection would leave its display empty.
int StoredIndex(const QString& text, int count, int defaultIndex);

// Decimal text of a 32-bit float, as short as reads back the same.
QString SingleText(float value);

} // namespace platform
