#include "platform/CNumbers.h"

#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <vector>

namespace cnum {
namespace {

// One C locale object for the process; uselocale() makes it current for the
// calling thread only, so other threads and the GUI keep the user's locale.
locale_t CLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

class ScopedCLocale {
public:
    ScopedCLocale() : previous_(uselocale(CLocale())) {}
    ~ScopedCLocale() { uselocale(previous_); }
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;

private:
    locale_t previous_;
};

}  // namespace

long long ParseInt(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value > (__LONG_LONG_MAX__ - 9) / 10)
            break;  // an absurdly long digit run stops growing rather than overflowing
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

long long ParseInt(const QString& text)
{
    return ParseInt(std::string_view(text.toStdString()));
}

double ParseFloat(std::string_view text)
{
    const std::string copy(text);  // strtod needs a terminated string
    ScopedCLocale c;
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end == copy.c_str())
        return 0.0;
    return value;
}

double ParseFloat(const QString& text)
{
    return ParseFloat(std::string_view(text.toStdString()));
}

static bool OnlySpace(const char* p)
{
    while (*p && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    return *p == '\0';
}

bool TryParseInt(std::string_view text, long long& value)
{
    const std::string copy(text);
    ScopedCLocale c;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(copy.c_str(), &end, 10);
    if (end == copy.c_str() || errno == ERANGE || !OnlySpace(end))
        return false;
    value = parsed;
    return true;
}

bool TryParseFloat(std::string_view text, double& value)
{
    const std::string copy(text);
    ScopedCLocale c;
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(copy.c_str(), &end);
    if (end == copy.c_str() || errno == ERANGE || !OnlySpace(end))
        return false;
    value = parsed;
    return true;
}

std::string FormatFloat(double value)
{
    // %.15G gives the general format; the exponent is normalised to the
    // stored form "1.5E-7" (no padding zeros, no '+').
    std::string text = Format("%.15G", value);
    const auto e = text.find('E');
    if (e == std::string::npos)
        return text;
    std::string mantissa = text.substr(0, e);
    std::string exponent = text.substr(e + 1);
    bool negative = !exponent.empty() && exponent[0] == '-';
    if (!exponent.empty() && (exponent[0] == '-' || exponent[0] == '+'))
        exponent.erase(0, 1);
    while (exponent.size() > 1 && exponent[0] == '0')
        exponent.erase(0, 1);
    return mantissa + "E" + (negative ? "-" : "") + exponent;
}

QString FormatFloatQ(double value)
{
    return QString::fromStdString(FormatFloat(value));
}

std::string Format(const char* format, ...)
{
    ScopedCLocale c;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    return text;
}

}  // namespace cnum
