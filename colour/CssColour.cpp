#include "colour/CssColour.h"

#include "colour/CssNames.h"
#include "colour/Module1.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace CssColour {

namespace {

using Vec = std::array<double, 3>;

// Longer texts are no colour.
constexpr std::size_t kMaxText = 200;

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool Letter(char c) {
    return (c >= 'a' && c <= 'z') || c == '-';
}
int HexDigit(char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The sRGB transfer both ways, mirrored below zero.
double Linear(double v) {
    const double a = std::fabs(v);
    return std::copysign(a <= 0.04045 ? a / 12.92 : std::pow((a + 0.055) / 1.055, 2.4), v);
}
double Encoded(double v) {
    const double a = std::fabs(v);
    return std::copysign(a <= 0.0031308 ? a * 12.92 : 1.055 * std::pow(a, 1.0 / 2.4) - 0.055, v);
}

using Matrix = std::array<Vec, 3>;
Vec Mul(const Matrix& m, const Vec& v) {
    Vec out{};
    for (std::size_t i = 0; i < 3; ++i) {
        out[i] = m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2];
    }
    return out;
}
Vec EncodedAll(const Vec& linear) {
    return {Encoded(linear[0]), Encoded(linear[1]), Encoded(linear[2])};
}

// OKLab, straight from and to linear sRGB.
constexpr Matrix kLinearToLms = {{{0.4122214708, 0.5363325363, 0.0514459929},
                                  {0.2119034982, 0.6806995451, 0.1073969566},
                                  {0.0883024619, 0.2817188376, 0.6299787005}}};
constexpr Matrix kLmsToLab = {{{0.2104542553, 0.7936177850, -0.0040720468},
                               {1.9779984951, -2.4285922050, 0.4505937099},
                               {0.0259040371, 0.7827717662, -0.8086757660}}};
constexpr Matrix kLabToLms = {{{1.0, 0.3963377774, 0.2158037573},
                               {1.0, -0.1055613458, -0.0638541728},
                               {1.0, -0.0894841775, -1.2914855480}}};
constexpr Matrix kLmsToLinear = {{{4.0767416621, -3.3077115913, 0.2309699292},
                                  {-1.2684380046, 2.6097574011, -0.3413193965},
                                  {-0.0041960863, -0.7034186147, 1.7076147010}}};

Vec OkLabToRgb(double L, double a, double b) {
    Vec lms = Mul(kLabToLms, {L, a, b});
    for (double& x : lms) {
        x = x * x * x;
    }
    return EncodedAll(Mul(kLmsToLinear, lms));
}

// CIE Lab on the D50 white, through XYZ, adapted to D65 (Bradford).
constexpr Matrix kD50ToD65 = {{{0.955473421488075, -0.02309845494876471, 0.06325924320057072},
                               {-0.0283697093338637, 1.0099953980813041, 0.021041441191917323},
                               {0.012314014864481998, -0.020507649298898964, 1.330365926242124}}};
constexpr Matrix kXyzToLinear = {{{12831.0 / 3959.0, -329.0 / 214.0, -1974.0 / 3959.0},
                                  {-851781.0 / 878810.0, 1648619.0 / 878810.0, 36519.0 / 878810.0},
                                  {705.0 / 12673.0, -2585.0 / 12673.0, 705.0 / 667.0}}};

Vec LabToRgb(double L, double a, double b) {
    constexpr double kappa = 24389.0 / 27.0;
    constexpr double epsilon = 216.0 / 24389.0;
    const double f1 = (L + 16.0) / 116.0;
    const double f0 = a / 500.0 + f1;
    const double f2 = f1 - b / 200.0;
    const auto cube = [](double f) { return f * f * f; };
    const double x = cube(f0) > epsilon ? cube(f0) : (116.0 * f0 - 16.0) / kappa;
    const double y = L > kappa * epsilon ? cube(f1) : L / kappa;
    const double z = cube(f2) > epsilon ? cube(f2) : (116.0 * f2 - 16.0) / kappa;
    const Vec d50 = {x * 0.3457 / 0.3585, y, z * (1.0 - 0.3457 - 0.3585) / 0.3585};
    return EncodedAll(Mul(kXyzToLinear, Mul(kD50ToD65, d50)));
}

Vec HslToRgb(double h, double s, double l) {
    h = std::fmod(h, 360.0);
    if (h < 0) {
        h += 360.0;
    }
    const double a = s * std::min(l, 1.0 - l);
    const auto f = [&](double n) {
        const double k = std::fmod(n + h / 30.0, 12.0);
        return l - a * std::max(-1.0, std::min({k - 3.0, 9.0 - k, 1.0}));
    };
    return {f(0), f(8), f(4)};
}

// One part of a function's arguments.
enum class Kind { Number, Percent, Angle, None, Comma, Slash };
struct Token {
    Kind kind;
    double value = 0; // an angle in degrees
};

// At most seven parts make a colour: three values, an alpha, separators.
struct TokenList {
    std::array<Token, 7> items{};
    std::size_t n = 0;
    std::size_t size() const { return n; }
    const Token& operator[](std::size_t k) const { return items[k]; }
    bool push_back(Token t) {
        if (n == items.size()) {
            return false;
        }
        items[n++] = t;
        return true;
    }
};

std::optional<TokenList> Tokens(std::string_view s) {
    TokenList out;
    std::size_t i = 0;
    while (true) {
        while (i < s.size() && Blank(s[i])) {
            ++i;
        }
        if (i == s.size()) {
            return out;
        }
        if (s[i] == ',' || s[i] == '/') {
            if (!out.push_back({s[i++] == ',' ? Kind::Comma : Kind::Slash})) {
                return std::nullopt;
            }
            continue;
        }
        if (s.substr(i, 4) == "none" && (i + 4 == s.size() || !Letter(s[i + 4]))) {
            if (!out.push_back({Kind::None})) {
                return std::nullopt;
            }
            i += 4;
            continue;
        }
        const bool minus = s[i] == '-';
        i += minus || s[i] == '+';
        if (i == s.size() || !((s[i] >= '0' && s[i] <= '9') || s[i] == '.')) {
            return std::nullopt;
        }
        double v = 0;
        const auto [end, error] = std::from_chars(s.data() + i, s.data() + s.size(), v);
        if (error != std::errc() || !std::isfinite(v)) {
            return std::nullopt;
        }
        i = static_cast<std::size_t>(end - s.data());
        Token t{Kind::Number, minus ? -v : v};
        std::size_t unit = i;
        while (unit < s.size() && Letter(s[unit])) {
            ++unit;
        }
        const std::string_view u = s.substr(i, unit - i);
        if (i < s.size() && s[i] == '%') {
            t.kind = Kind::Percent;
            ++unit;
        } else if (!u.empty()) {
            t.kind = Kind::Angle;
            if (u == "rad") {
                t.value *= 180.0 / std::numbers::pi;
            } else if (u == "grad") {
                t.value *= 0.9;
            } else if (u == "turn") {
                t.value *= 360.0;
            } else if (u != "deg") {
                return std::nullopt;
            }
        }
        i = unit;
        if (!out.push_back(t)) {
            return std::nullopt;
        }
    }
}

// Three values, then perhaps an alpha (read and ignored): separated by
// blanks with the alpha after a slash, or, where `commas` allows the older
// form, by commas without any `none`.
std::optional<std::array<Token, 3>> Three(const TokenList& t, bool commas) {
    const auto value = [](const Token& x) {
        return x.kind != Kind::Comma && x.kind != Kind::Slash;
    };
    const auto alpha = [](const Token& x) {
        return x.kind == Kind::Number || x.kind == Kind::Percent || x.kind == Kind::None;
    };
    if (t.size() >= 3 && value(t[0]) && value(t[1]) && value(t[2]) &&
        (t.size() == 3 || (t.size() == 5 && t[3].kind == Kind::Slash && alpha(t[4])))) {
        return std::array<Token, 3>{t[0], t[1], t[2]};
    }
    const bool legacy = commas && (t.size() == 5 || t.size() == 7);
    for (std::size_t k = 0; legacy && k < t.size(); ++k) {
        if ((k % 2 == 1) != (t[k].kind == Kind::Comma) || t[k].kind == Kind::None ||
            t[k].kind == Kind::Slash || (k == 6 && !alpha(t[k]))) {
            return std::nullopt;
        }
    }
    if (!legacy) {
        return std::nullopt;
    }
    return std::array<Token, 3>{t[0], t[2], t[4]};
}

// A value where 100% is `full`; no angles.
std::optional<double> Value(const Token& t, double full, bool numbers = true) {
    switch (t.kind) {
    case Kind::Number:
        return numbers ? std::optional(t.value) : std::nullopt;
    case Kind::Percent:
        return t.value * full / 100.0;
    case Kind::None:
        return 0.0;
    default:
        return std::nullopt;
    }
}
// A hue in degrees: a number, an angle or none.
std::optional<double> Hue(const Token& t) {
    if (t.kind == Kind::Angle) {
        return t.value;
    }
    return t.kind == Kind::Percent ? std::nullopt : Value(t, 0.0);
}
std::optional<double> Within(std::optional<double> v, double low, double high) {
    return v && *v >= low && *v <= high ? v : std::nullopt;
}

std::optional<Vec> Function(std::string_view name, std::string_view args) {
    const bool legacy = name == "rgb" || name == "rgba" || name == "hsl" || name == "hsla";
    std::string_view space;
    if (name == "color") {
        std::size_t k = 0;
        while (k < args.size() && Blank(args[k])) {
            ++k;
        }
        const std::size_t start = k;
        while (k < args.size() && Letter(args[k])) {
            ++k;
        }
        if (k == args.size() || !Blank(args[k])) {
            return std::nullopt;
        }
        space = args.substr(start, k - start);
        args.remove_prefix(k);
    }
    const auto tokens = Tokens(args);
    const auto t = tokens ? Three(*tokens, legacy) : std::nullopt;
    if (!t) {
        return std::nullopt;
    }
    const Token &x = (*t)[0], &y = (*t)[1], &z = (*t)[2];
    // The older comma form takes saturation and lightness only in percent.
    const bool commas = tokens->size() > 3 && (*tokens)[1].kind == Kind::Comma;
    if (name == "rgb" || name == "rgba") {
        const auto r = Within(Value(x, 255), 0, 255), g = Within(Value(y, 255), 0, 255),
                   b = Within(Value(z, 255), 0, 255);
        return r && g && b ? std::optional(Vec{*r / 255, *g / 255, *b / 255}) : std::nullopt;
    }
    if (name == "hsl" || name == "hsla" || name == "hwb") {
        const auto h = Hue(x);
        const auto s = Within(Value(y, 100, !commas), 0, 100);
        const auto l = Within(Value(z, 100, !commas), 0, 100);
        if (!h || !s || !l) {
            return std::nullopt;
        }
        if (name != "hwb") {
            return HslToRgb(*h, *s / 100, *l / 100);
        }
        const double white = *s / 100, black = *l / 100;
        if (white + black >= 1) {
            const double grey = white / (white + black);
            return Vec{grey, grey, grey};
        }
        Vec rgb = HslToRgb(*h, 1, 0.5);
        for (double& c : rgb) {
            c = c * (1 - white - black) + white;
        }
        return rgb;
    }
    if (name == "lab" || name == "lch" || name == "oklab" || name == "oklch") {
        const bool ok = name[0] == 'o';
        const bool polar = name.back() == 'h';
        const double lFull = ok ? 1 : 100;
        const auto L = Value(x, lFull);
        const auto u = Value(y, ok ? 0.4 : polar ? 150 : 125);
        const auto v = polar ? Hue(z) : Value(z, ok ? 0.4 : 125);
        if (!L || !u || !v) {
            return std::nullopt;
        }
        const double lightness = std::clamp(*L, 0.0, lFull);
        double a = *u, b = *v;
        if (polar) {
            const double chroma = std::max(a, 0.0);
            const double radians = *v * std::numbers::pi / 180.0;
            a = chroma * std::cos(radians);
            b = chroma * std::sin(radians);
        }
        return ok ? OkLabToRgb(lightness, a, b) : LabToRgb(lightness, a, b);
    }
    if (name == "color" && (space == "srgb" || space == "srgb-linear") && x.kind != Kind::Angle &&
        y.kind != Kind::Angle && z.kind != Kind::Angle) {
        const Vec v = {*Value(x, 1), *Value(y, 1), *Value(z, 1)};
        return space == "srgb" ? v : EncodedAll(v);
    }
    return std::nullopt;
}

std::optional<Vec> Parse(std::string_view text, std::string_view only) {
    while (!text.empty() && Blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && Blank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.empty() || text.size() > kMaxText) {
        return std::nullopt;
    }
    char buffer[kMaxText];
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        buffer[k] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const std::string_view lower(buffer, text.size());
    const auto fromPacked = [](int32_t packed) {
        return Vec{(packed & 0xFF) / 255.0, ((packed >> 8) & 0xFF) / 255.0,
                   ((packed >> 16) & 0xFF) / 255.0};
    };
    const std::size_t open = lower.find('(');
    if (open == std::string_view::npos || lower.back() != ')') {
        if (!only.empty()) {
            return std::nullopt;
        }
        if (lower[0] == '#') {
            // #rgb, #rgba, #rrggbb, #rrggbbaa: the alpha digits are ignored.
            const std::size_t n = lower.size() - 1;
            if (n != 3 && n != 4 && n != 6 && n != 8) {
                return std::nullopt;
            }
            int digits[8] = {};
            for (std::size_t k = 0; k < n; ++k) {
                if ((digits[k] = HexDigit(lower[k + 1])) < 0) {
                    return std::nullopt;
                }
            }
            const bool shorthand = n < 6;
            const auto part = [&](int k) {
                return shorthand ? digits[k] * 17 : digits[2 * k] * 16 + digits[2 * k + 1];
            };
            return fromPacked(Module1::Pack(part(0), part(1), part(2)));
        }
        const auto named = CssNames::Find(lower);
        return named ? std::optional(fromPacked(*named)) : std::nullopt;
    }
    const std::string_view name = lower.substr(0, open);
    if (!only.empty() && name != only &&
        !(name.starts_with(only) && name.substr(only.size()) == "a")) {
        return std::nullopt;
    }
    const auto args = lower.substr(open + 1, lower.size() - open - 2);
    if (args.find('(') != std::string_view::npos || args.find(')') != std::string_view::npos) {
        return std::nullopt;
    }
    const auto rgb = Function(name, args);
    if (!rgb || !std::isfinite((*rgb)[0]) || !std::isfinite((*rgb)[1]) ||
        !std::isfinite((*rgb)[2])) {
        return std::nullopt;
    }
    return rgb;
}

long long Pow10(int n) {
    long long p = 1;
    while (n-- > 0) {
        p *= 10;
    }
    return p;
}

// num / den (both >= 0) to `decimals` places, rounded half up, scaled to a
// whole number.
long long Ratio(long long num, long long den, int decimals) {
    num *= Pow10(decimals);
    return (2 * num + den) / (2 * den);
}

// A value scaled by 10^decimals as text, without trailing zeros, then `after`.
void Fixed(std::string& out, long long scaled, int decimals, std::string_view after) {
    const long long p = Pow10(decimals);
    char buf[48];
    char* end = std::to_chars(buf, buf + 24, scaled / p).ptr;
    long long fraction = scaled % p;
    if (fraction != 0) {
        *end++ = '.';
        for (long long digit = p / 10; fraction != 0; digit /= 10) {
            *end++ = static_cast<char>('0' + fraction / digit);
            fraction %= digit;
        }
    }
    out.append(buf, end);
    out += after;
}

} // namespace

std::optional<std::array<double, 3>> ReadUnrounded(std::string_view text, std::string_view only) {
    return Parse(text, only);
}

std::optional<Reading> Read(std::string_view text, std::string_view only) {
    const auto rgb = Parse(text, only);
    if (!rgb) {
        return std::nullopt;
    }
    Reading out;
    int c[3];
    for (std::size_t k = 0; k < 3; ++k) {
        const double x = (*rgb)[k] * 255.0;
        out.clipped = out.clipped || x < -0.5 || x >= 255.5;
        c[k] = static_cast<int>(std::lround(std::clamp(x, 0.0, 255.0)));
    }
    out.colour = Module1::Pack(c[0], c[1], c[2]);
    return out;
}

std::string HslText(int r, int g, int b, Decimals d) {
    const int high = std::max({r, g, b}), low = std::min({r, g, b}), c = high - low;
    long long hue = 0, saturation = 0;
    if (c > 0) {
        // The hue in sixths of a turn, times c.
        long long x = high == r ? g - b : high == g ? 2 * c + b - r : 4 * c + r - g;
        x += x < 0 ? 6 * c : 0;
        hue = Ratio(60 * x, c, d.first);
        hue = hue == 360 * Pow10(d.first) ? 0 : hue;
        saturation = Ratio(100LL * c, high + low <= 255 ? high + low : 510 - high - low, d.second);
    }
    const long long lightness = Ratio(100LL * (high + low), 510, d.third);
    std::string out = "hsl(";
    Fixed(out, hue, d.first, " ");
    Fixed(out, saturation, d.second, "% ");
    Fixed(out, lightness, d.third, "%)");
    return out;
}

OkLab ToOkLab(int r, int g, int b) {
    static const auto linear = [] {
        std::array<double, 256> t{};
        for (int k = 0; k < 256; ++k) {
            t[static_cast<std::size_t>(k)] = Linear(k / 255.0);
        }
        return t;
    }();
    Vec lms = Mul(kLinearToLms, {linear[static_cast<std::size_t>(r & 0xFF)],
                                 linear[static_cast<std::size_t>(g & 0xFF)],
                                 linear[static_cast<std::size_t>(b & 0xFF)]});
    for (double& x : lms) {
        x = std::cbrt(x);
    }
    const Vec lab = Mul(kLmsToLab, lms);
    return {lab[0], lab[1], lab[2]};
}

std::string OklchText(int r, int g, int b, Decimals d) {
    const OkLab lab = ToOkLab(r, g, b);
    const auto scaled = [](double v, int decimals) {
        return std::llround(std::max(v, 0.0) * static_cast<double>(Pow10(decimals)));
    };
    const long long chroma = scaled(std::sqrt(lab.a * lab.a + lab.b * lab.b), d.second);
    double degrees = std::atan2(lab.b, lab.a) * 180.0 / std::numbers::pi;
    degrees += degrees < 0 ? 360.0 : 0.0;
    long long hue = chroma == 0 ? 0 : scaled(degrees, d.third);
    hue = hue == 360 * Pow10(d.third) ? 0 : hue;
    std::string out = "oklch(";
    Fixed(out, scaled(lab.L * 100.0, d.first), d.first, "% ");
    Fixed(out, chroma, d.second, " ");
    Fixed(out, hue, d.third, ")");
    return out;
}

} // namespace CssColour
