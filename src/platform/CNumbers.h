#pragma once
// Numbers as text in the C locale, whatever the user's locale: every number
// written to or read from a file, the registry, a serial command or a network
// message goes through these, so a comma-decimal locale never leaks in.
#include <QString>
#include <string>
#include <string_view>

namespace cnum {

// Integer text: leading white space skipped, optional sign, decimal digits;
// whatever follows the digits is ignored and no digits give 0.
long long ParseInt(std::string_view text);
long long ParseInt(const QString& text);

// Floating text: leading white space skipped, then a decimal number with
// optional sign, point, fraction and exponent; whatever follows is ignored and
// no number gives 0.
double ParseFloat(std::string_view text);
double ParseFloat(const QString& text);

// Strict variants for user input: the whole text (white space around it
// allowed) must be one number; false otherwise.
bool TryParseInt(std::string_view text, long long& value);
bool TryParseFloat(std::string_view text, double& value);

// General format with up to 15 significant digits and a point: 142.5,
// 1.5E-7, 100000000 (an exponent only where the general format needs one).
std::string FormatFloat(double value);
QString FormatFloatQ(double value);

// printf-style formatting in the C locale ("%.3f" always writes a point).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace cnum
