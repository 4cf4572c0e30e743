#include "platform/Convert.h"

#include <cmath>
#include <limits>

namespace platform {

namespace {
std::optional<double> ToNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}
} // namespace

std::optional<int16_t> ToInt16(const QString& text) {
    const auto v = ToNumber(text);
    if (!v) {
        return std::nullopt;
    }
    const double r = std::nearbyint(*v); // default rounding: half to even
    if (r < -32768.0 || r > 32767.0) {
        return std::nullopt;
    }
    return static_cast<int16_t>(r);
}

int StoredIndex(const QString& text, int count, int defaultIndex) {
    const auto index = ToInt16(text);
    return index && *index >= 0 && *index < count ? *index : defaultIndex;
}

std::optional<float> ToSingle(const QString& text) {
    const auto v = ToNumber(text);
    if (!v || std::fabs(*v) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return static_cast<float>(*v);
}

QString SingleText(float value) {
    return QString::number(value, 'g', 7);
}

} // namespace platform
