#include "colour/ColourText.h"

#include "colour/CssColour.h"
#include "colour/Module1.h"
#include "colour/Notation.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace ColourText {

namespace {

// Longer texts are no colour; reading them would only cost time.
constexpr std::size_t kMaxText = 200;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int HexDigit(char c) {
    c = Lower(c);
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string_view Trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// Reads a text from left to right; blanks between the parts are skipped.
class Cursor {
public:
    explicit Cursor(std::string_view s) : s_(s) {}

    // The word, in either letter case.
    bool Eat(std::string_view word) {
        Skip();
        if (s_.size() - i_ < word.size()) {
            return false;
        }
        for (std::size_t k = 0; k < word.size(); ++k) {
            if (Lower(s_[i_ + k]) != Lower(word[k])) {
                return false;
            }
        }
        i_ += word.size();
        return true;
    }
    bool End() {
        Skip();
        return i_ == s_.size();
    }
    // A decimal integer of at most 9 digits no greater than max.
    std::optional<int> Int(int max) {
        Skip();
        const std::size_t start = i_;
        int value = 0;
        while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9' && i_ - start < 9) {
            value = value * 10 + (s_[i_++] - '0');
        }
        if (i_ == start || value > max || (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9')) {
            return std::nullopt;
        }
        return value;
    }
    // Between minDigits and maxDigits hex digits, right at the cursor.
    std::optional<uint32_t> Hex(std::size_t minDigits, std::size_t maxDigits) {
        const std::size_t start = i_;
        uint32_t value = 0;
        while (i_ < s_.size() && HexDigit(s_[i_]) >= 0 && i_ - start < maxDigits) {
            value = value * 16 + static_cast<uint32_t>(HexDigit(s_[i_++]));
        }
        if (i_ - start < minDigits || (i_ < s_.size() && HexDigit(s_[i_]) >= 0)) {
            return std::nullopt;
        }
        return value;
    }
    // A decimal number, perhaps with a fraction ("0.5", ".5", "12").
    std::optional<double> Number() {
        Skip();
        double value = 0;
        const char* first = s_.data() + i_;
        const char* last = s_.data() + s_.size();
        if (first == last || *first == '-' || *first == '+') {
            return std::nullopt;
        }
        const auto [end, error] = std::from_chars(first, last, value, std::chars_format::fixed);
        if (error != std::errc() || !std::isfinite(value)) {
            return std::nullopt;
        }
        i_ += static_cast<std::size_t>(end - first);
        return value;
    }

private:
    void Skip() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) {
            ++i_;
        }
    }
    std::string_view s_;
    std::size_t i_ = 0;
};

int32_t PackRgb(uint32_t rrggbb) {
    return Module1::Pack(static_cast<int>(rrggbb >> 16), static_cast<int>((rrggbb >> 8) & 0xFF),
                         static_cast<int>(rrggbb & 0xFF));
}

// "r,g,b": three integers up to 255, each after the separator but the first.
std::optional<int32_t> Triple(Cursor& c) {
    const auto r = c.Int(255);
    const auto g = r && c.Eat(",") ? c.Int(255) : std::nullopt;
    const auto b = g && c.Eat(",") ? c.Int(255) : std::nullopt;
    if (!b) {
        return std::nullopt;
    }
    return Module1::Pack(*r, *g, *b);
}

std::optional<int32_t> Whole(Cursor& c, std::optional<int32_t> colour) {
    return colour && c.End() ? colour : std::nullopt;
}

// "0x" or "$" or "&H" and its digits: the packed value itself.
std::optional<int32_t> Packed(Cursor& c, std::size_t minDigits, std::size_t maxDigits) {
    const auto v = c.Hex(minDigits, maxDigits);
    if (!v || *v > 0xFFFFFF) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*v);
}

// A fraction of 0..1 as a component, with an optional float suffix.
std::optional<int> Fraction(Cursor& c) {
    const auto v = c.Number();
    if (!v || *v > 1.0) {
        return std::nullopt;
    }
    c.Eat("f");
    return static_cast<int>(std::lround(*v * 255.0));
}

// A CSS number or percentage, scaled so that 100% is `full`; nothing when
// it lies outside 0..full.
std::optional<double> CssValue(Cursor& c, double full, bool percent) {
    auto v = c.Number();
    if (v && c.Eat("%") != percent) {
        return std::nullopt;
    }
    if (v && percent) {
        *v = *v * full / 100.0;
    }
    if (!v || *v > full) {
        return std::nullopt;
    }
    return v;
}

// The parts of rgb() and hsl(): separated by commas, or by blanks with the
// alpha after a slash. The alpha is read and ignored.
bool CssSeparator(Cursor& c, bool commas) {
    return !commas || c.Eat(",");
}
bool CssEnd(Cursor& c, bool commas) {
    if (c.Eat(commas ? "," : "/")) {
        if (!c.Number()) {
            return false;
        }
        c.Eat("%");
    }
    return c.Eat(")") && c.End();
}

std::optional<int32_t> CssRgb(Cursor& c) {
    if (!c.Eat("rgba(") && !c.Eat("rgb(")) {
        return std::nullopt;
    }
    // All three numbers, or all three percentages.
    Cursor probe = c;
    const bool percent = probe.Number() && probe.Eat("%");
    double v[3];
    bool commas = false;
    for (int k = 0; k < 3; ++k) {
        if (k == 1) {
            commas = c.Eat(",");
        } else if (k == 2 && !CssSeparator(c, commas)) {
            return std::nullopt;
        }
        const auto value = CssValue(c, 255.0, percent);
        if (!value) {
            return std::nullopt;
        }
        v[k] = *value;
    }
    if (!CssEnd(c, commas)) {
        return std::nullopt;
    }
    return Module1::Pack(static_cast<int>(std::lround(v[0])), static_cast<int>(std::lround(v[1])),
                         static_cast<int>(std::lround(v[2])));
}

std::optional<int32_t> CssHsl(Cursor& c) {
    if (!c.Eat("hsla(") && !c.Eat("hsl(")) {
        return std::nullopt;
    }
    const auto hue = c.Number();
    if (!hue) {
        return std::nullopt;
    }
    c.Eat("deg");
    const bool commas = c.Eat(",");
    const auto s = CssValue(c, 1.0, true);
    const auto l = s && CssSeparator(c, commas) ? CssValue(c, 1.0, true) : std::nullopt;
    if (!l || !CssEnd(c, commas)) {
        return std::nullopt;
    }
    const double h = std::fmod(*hue, 360.0) / 60.0;
    const double chroma = (1.0 - std::fabs(2.0 * *l - 1.0)) * *s;
    const double x = chroma * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
    const double m = *l - chroma / 2.0;
    const int sector = static_cast<int>(h);
    const double rgb[6][3] = {{chroma, x, 0}, {x, chroma, 0}, {0, chroma, x},
                              {0, x, chroma}, {x, 0, chroma}, {chroma, 0, x}};
    const auto part = [&](int k) {
        return static_cast<int>(std::lround((rgb[sector % 6][k] + m) * 255.0));
    };
    return Module1::Pack(part(0), part(1), part(2));
}

// Bare hex digits in the byte order of hex notation `index`: six digits
// red first, or the packed value, blue first.
std::optional<int32_t> ReadBareHex(int index, std::string_view text) {
    if (index < 0 || index >= static_cast<int>(Notation::HexFormats.size())) {
        return std::nullopt;
    }
    if (Notation::HexByteOrder(index) == Notation::ByteOrder::Bgr) {
        return ReadHex(0, text);
    }
    Cursor c(Trimmed(text));
    const auto v = c.Hex(6, 6);
    return v ? Whole(c, PackRgb(*v)) : std::nullopt;
}

} // namespace

std::optional<int32_t> ReadRgb(int index, std::string_view text) {
    text = Trimmed(text);
    if (text.size() > kMaxText) {
        return std::nullopt;
    }
    Cursor c(text);
    switch (index) {
    case 0:
        return Whole(c, Triple(c));
    case 1: {
        if (!c.Eat("RGB(")) {
            return std::nullopt;
        }
        const auto t = Triple(c);
        return t && c.Eat(")") ? Whole(c, t) : std::nullopt;
    }
    case 2: {
        if (!c.Eat("Argb(") || !c.Int(255) || !c.Eat(",")) {
            return std::nullopt;
        }
        const auto t = Triple(c);
        return t && c.Eat(")") ? Whole(c, t) : std::nullopt;
    }
    case 3:
        return CssRgb(c);
    case 4: {
        const auto r = Fraction(c);
        const auto g = r && c.Eat(",") ? Fraction(c) : std::nullopt;
        const auto b = g && c.Eat(",") ? Fraction(c) : std::nullopt;
        return b ? Whole(c, Module1::Pack(*r, *g, *b)) : std::nullopt;
    }
    case 5:
    case 6: {
        const auto css = CssColour::Read(text, index == 5 ? "hsl" : "oklch");
        return css ? std::optional(css->colour) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<int32_t> ReadHex(int index, std::string_view text) {
    text = Trimmed(text);
    if (text.size() > kMaxText) {
        return std::nullopt;
    }
    Cursor c(text);
    switch (index) {
    case 0:
        return Whole(c, Packed(c, 1, 6));
    case 1: {
        if (!c.Eat("&H")) {
            return std::nullopt;
        }
        const auto v = Packed(c, 1, 6);
        c.Eat("&"); // VB's suffix for a Long literal
        return Whole(c, v);
    }
    case 2:
        return c.Eat("0x") ? Whole(c, Packed(c, 8, 8)) : std::nullopt;
    case 3:
        return c.Eat("$") ? Whole(c, Packed(c, 1, 8)) : std::nullopt;
    case 4:
    case 5:
    case 6: {
        const bool quoted = index == 5;
        if ((quoted && !c.Eat("\"")) || !c.Eat(index == 4 ? "0x" : "#")) {
            return std::nullopt;
        }
        const auto v = c.Hex(6, 6);
        if (!v || (quoted && !c.Eat("\""))) {
            return std::nullopt;
        }
        return Whole(c, PackRgb(*v));
    }
    default:
        return std::nullopt;
    }
}

std::optional<int32_t> ReadLong(std::string_view text) {
    text = Trimmed(text);
    Cursor c(text);
    return Whole(c, c.Int(0xFFFFFF));
}

std::optional<int32_t> ReadHSL(std::string_view text) {
    text = Trimmed(text);
    Cursor c(text);
    const auto h = c.Int(239);
    const auto s = h && c.Eat(",") ? c.Int(240) : std::nullopt;
    const auto l = s && c.Eat(",") ? c.Int(240) : std::nullopt;
    if (!l || !c.End()) {
        return std::nullopt;
    }
    const Module1::RGBValue rgb = Module1::HSLToRGB(
        static_cast<int16_t>(*h), static_cast<int16_t>(*s), static_cast<int16_t>(*l));
    return Module1::Pack(rgb.R, rgb.G, rgb.B);
}

std::optional<int32_t> ReadWeb(std::string_view text) {
    text = Trimmed(text);
    if (text.size() > kMaxText) {
        return std::nullopt;
    }
    if (const auto css = CssColour::Read(text)) {
        return css->colour;
    }
    Cursor c(text);
    if (c.Eat("#")) {
        const auto v = c.Hex(3, 6);
        if (!v || !c.End()) {
            return std::nullopt;
        }
        if (text.size() == 4) { // #rgb: each digit twice
            return PackRgb((*v >> 8) * 0x110000 + ((*v >> 4) & 0xF) * 0x1100 + (*v & 0xF) * 0x11);
        }
        return text.size() == 7 ? std::optional(PackRgb(*v)) : std::nullopt;
    }
    Cursor h = c;
    if (auto rgb = CssRgb(c)) {
        return rgb;
    }
    return CssHsl(h);
}

std::optional<int32_t> ReadPasted(std::string_view text, Display on, int rgbIndex, int hexIndex) {
    if (Trimmed(text).size() > kMaxText) {
        return std::nullopt;
    }
    std::optional<int32_t> first;
    switch (on) {
    case Display::Rgb:
        first = ReadRgb(rgbIndex, text);
        break;
    case Display::Hex:
        first = ReadHex(hexIndex, text);
        if (!first) {
            first = ReadBareHex(hexIndex, text);
        }
        break;
    case Display::HSL:
        first = ReadHSL(text);
        break;
    default:
        break;
    }
    if (first) {
        return first;
    }
    if (auto v = ReadLong(text)) {
        return v;
    }
    for (int i = 0; i < static_cast<int>(Notation::RgbFormats.size()); ++i) {
        if (auto v = ReadRgb(i, text)) {
            return v;
        }
    }
    for (int i = 0; i < static_cast<int>(Notation::HexFormats.size()); ++i) {
        if (auto v = ReadHex(i, text)) {
            return v;
        }
    }
    return ReadWeb(text);
}

bool NamesNoColour(std::string_view text) {
    text = Trimmed(text);
    for (const std::string_view keyword : {"none", "transparent", "currentcolor"}) {
        if (text.size() == keyword.size() &&
            std::equal(text.begin(), text.end(), keyword.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == b;
            })) {
            return true;
        }
    }
    return false;
}

} // namespace ColourText
