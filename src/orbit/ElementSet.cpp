// The two-line element set text: checking and taking a set, and rebuilding
// both lines from the parsed fields with fresh checksums.
//
//   NOAA 18
//   1 28654U 05018A   21303.52853219  .00000081  00000-0  68784-4 0  9994
//   2 28654  99.0408 332.1851 0014170  92.8046 267.4745 14.12717606848108
//
// Columns are counted from 0; index 68 is the checksum: the sum of the
// digits of index 0-67, '-' counting 1, modulo 10. The packed exponent
// fields (" 68784-4") mean +0.68784 x 10^-4.
#include "orbit/Sat.h"

#include "platform/CNumbers.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <cstring>

namespace {

constexpr int TLELineLength = 69;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Every character of line[first..last] is one of allowed.
bool FieldOf(const char* line, int first, int last, const char* allowed)
{
    for (int i = first; i <= last; ++i)
        if (!std::strchr(allowed, line[i]) || line[i] == '\0')
            return false;
    return true;
}

// A packed exponent field: a sign (or blank), five mantissa digits, the
// exponent's sign and one digit.
bool PackedExponentField(const char* line, int first)
{
    return FieldOf(line, first, first, " +-") &&
           FieldOf(line, first + 1, first + 5, "0123456789 ") &&
           FieldOf(line, first + 6, first + 6, "+- ") && IsDigit(line[first + 7]);
}

// The first derivative's point: column 34 (" .00000119", "5.00000011"), or
// column 35 behind a minus sign and an integer digit ("-1.2345678").
bool FirstDerivativeLayout(const char* line)
{
    return line[34] == '.' || (line[33] == '-' && IsDigit(line[34]) && line[35] == '.');
}

// The number in line[first..last]: blanks may pad it, never split it, as a
// blank inside would join digits that stand columns apart. Behind an implied
// point (eccentricity, mantissas) a blank at the end would shift the digits,
// so there only leading blanks pad. An all-blank field is 0.
bool FieldValue(const char* line, int first, int last, bool impliedPoint, double& value)
{
    while (first <= last && line[first] == ' ')
        ++first;
    const int end = last;
    while (last >= first && line[last] == ' ')
        --last;
    if (impliedPoint && last != end && last >= first)
        return false;
    value = 0;
    if (first > last)
        return true;
    const std::string_view text(line + first, static_cast<size_t>(last - first + 1));
    return text.find(' ') == std::string_view::npos && cnum::TryParseFloat(text, value);
}

// A packed exponent field, " 68784-4" = +0.68784 x 10^-4; the exponent's
// sign is read too: "+1" is 10^+1, not 10^-1.
bool PackedValue(const char* line, int first, double& value)
{
    double mantissa = 0;
    if (!FieldValue(line, first + 1, first + 5, true, mantissa))
        return false;
    const int exponent = line[first + 7] - '0';
    value = (line[first] == '-' ? -mantissa : mantissa) * 0.00001 *
            std::pow(10.0, line[first + 6] == '+' ? exponent : -exponent);
    return true;
}

// Columns 33-42, the first derivative, so that it reads back as written:
// " .00000119", "-.00012345"; a value of 1 or more puts its integer digit in
// the sign's column ("5.00000011"), and one of -1 or less gives up the last
// decimal for its sign ("-1.2345678"). Beyond +-10 the field's largest.
std::string FirstDerivativeField(double x)
{
    if (!std::isfinite(x))
        return " .00000000";
    const std::string positive = cnum::Format("%.8f", std::fabs(x));
    if (x >= 0 || positive[0] == '0') {
        if (positive.size() > 10)
            return "9.99999999";
        if (positive[0] != '0')
            return positive;
        return (x < 0 ? "-" : " ") + positive.substr(1);
    }
    const std::string negative = cnum::Format("%.7f", -x);
    return negative.size() > 9 ? "-9.9999999" : "-" + negative;
}

}  // namespace

const char* TSat::GetColumns(const char* line, int first, int last)
{
    int n = 0;
    for (int i = first; i <= last && line[i] != '\0'; ++i)
        if (line[i] != ' ' && n < static_cast<int>(sizeof ScratchText) - 1)
            ScratchText[n++] = line[i];
    ScratchText[n] = '\0';
    return ScratchText;
}

void TSat::PutColumns(const char* text, char* line, int first, int last)
{
    for (int i = first; i <= last && *text; ++i)
        line[i] = *text++;
}

char* TSat::SetName(char* nameLine)
{
    const auto blank = [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; };
    int n = static_cast<int>(std::strlen(nameLine));
    while (n > 0 && blank(nameLine[n - 1]))
        nameLine[--n] = '\0';
    // Cut to what the record holds, then trimmed: a blank or a carriage
    // return before the cut must not end the name, and only what is left
    // decides whether there is a name at all.
    int first = 0;
    while (first < n && blank(nameLine[first]))
        ++first;
    int keep = std::min(n - first, static_cast<int>(sizeof Name) - 1);
    while (keep > 0 && blank(nameLine[first + keep - 1]))
        --keep;
    std::memset(Name, 0, sizeof Name);
    if (keep >= 2)
        std::memcpy(Name, nameLine + first, keep);
    return nameLine;
}

bool TSat::ParseTLE(char* nameLine, const char* line1, const char* line2)
{
    if (!nameLine || !line1 || !line2)
        return false;
    // Full-length lines before any column is read; what follows index 68 is ignored.
    if (std::strlen(line1) < TLELineLength || std::strlen(line2) < TLELineLength)
        return false;
    const auto checksum = [this](const char* line) {
        int sum = 0;
        for (int i = 0; i < 68; ++i)
            sum += ChecksumTable[static_cast<unsigned char>(line[i])];
        return sum % 10;
    };
    const char* l1 = line1;
    const char* l2 = line2;
    bool ok = l1[0] == '1' && l1[7] == 'U' && l1[23] == '.' && FirstDerivativeLayout(l1) &&
              l1[62] == '0' && IsDigit(l1[18]) && IsDigit(l1[19]) && IsDigit(l1[68]) &&
              l1[68] - '0' == checksum(l1);
    for (int i : {1, 8, 17, 32, 43, 52, 61, 63})
        ok = ok && l1[i] == ' ';
    ok = ok && l2[0] == '2' && IsDigit(l2[31]) && IsDigit(l2[32]) && IsDigit(l2[68]) &&
         l2[68] - '0' == checksum(l2) && std::strncmp(l1 + 2, l2 + 2, 5) == 0;
    for (int i : {1, 7, 16, 25, 33, 42, 51})
        ok = ok && l2[i] == ' ';
    for (int i : {11, 20, 37, 46, 54})
        ok = ok && l2[i] == '.';
    // Column formats: a field that is not a number would read as a wrong value.
    ok = ok && FieldOf(l1, 2, 6, "0123456789 ") && FieldOf(l1, 20, 31, "0123456789. ") &&
         FieldOf(l1, 33, 42, "+-.0123456789 ") && PackedExponentField(l1, 44) &&
         PackedExponentField(l1, 53) && FieldOf(l1, 64, 67, "0123456789 ");
    ok = ok && FieldOf(l2, 8, 15, "0123456789. ") && FieldOf(l2, 17, 24, "0123456789. ") &&
         FieldOf(l2, 26, 32, "0123456789 ") && FieldOf(l2, 34, 41, "0123456789. ") &&
         FieldOf(l2, 43, 50, "0123456789. ") && FieldOf(l2, 52, 62, "0123456789. ") &&
         FieldOf(l2, 63, 67, "0123456789 ");
    if (!ok)
        return false;

    // Every field is read whole before the record changes: a set that holds
    // a value its columns cannot say (a blank inside digits, a second sign)
    // is refused, so what is kept always writes back as it was read.
    double catalog, year, day, nddot, bstar, setNumber, inclination, raan, eccentricity, perigee,
        anomaly, motion, decay, revolution;
    ok = FieldValue(l1, 2, 6, false, catalog) && FieldValue(l1, 18, 19, false, year) &&
         FieldValue(l1, 20, 31, false, day) && FieldValue(l1, 33, 42, false, decay) &&
         PackedValue(l1, 44, nddot) && PackedValue(l1, 53, bstar) &&
         FieldValue(l1, 64, 67, false, setNumber);
    ok = ok && FieldValue(l2, 8, 15, false, inclination) && FieldValue(l2, 17, 24, false, raan) &&
         FieldValue(l2, 26, 32, true, eccentricity) && FieldValue(l2, 34, 41, false, perigee) &&
         FieldValue(l2, 43, 50, false, anomaly) && FieldValue(l2, 52, 62, false, motion) &&
         FieldValue(l2, 63, 67, false, revolution);
    if (!ok)
        return false;

    SetName(nameLine);
    std::memcpy(Line1, l1, TLELineLength);
    Line1[TLELineLength] = '\0';
    std::memcpy(Line2, l2, TLELineLength);
    Line2[TLELineLength] = '\0';
    std::strncpy(IntlDesignator, GetColumns(Line1, 9, 16), sizeof IntlDesignator - 1);
    IntlDesignator[sizeof IntlDesignator - 1] = '\0';
    CatalogNumber = static_cast<int>(catalog);
    EpochYear = static_cast<int>(year);
    EpochDay = day;
    Nddot6 = nddot;
    Bstar = bstar;
    ElementSetNumber = static_cast<int>(setNumber);
    Inclination = inclination;
    RAAN = raan;
    Eccentricity = eccentricity * 1e-7;
    ArgPerigee = perigee;
    MeanAnomaly = anomaly;
    MeanMotion = motion;
    DecayRate = decay;
    EpochRevNumber = static_cast<int>(revolution);
    return true;
}

const char* TSat::FormatTLEExponent(double x)
{
    // "%11.4e" of 10x, " 6.8784e-04", packs into " 68784-4": sign, five
    // mantissa digits, exponent sign and one exponent digit, +-0.ddddd x 10^e.
    // The field holds one exponent digit: below 0.1e-9 the mantissa takes
    // leading zeros (" 00012-9"), so every value the field can hold is
    // written as it reads; larger ones are written as the largest the field
    // can say; 0.1 and above get a '+' exponent, which the reader honours.
    const std::string text = cnum::Format("%11.4e", 10.0 * x);
    const size_t e = text.find('e');
    const int exponent = e == std::string::npos ? 0 : static_cast<int>(cnum::ParseInt(text.substr(e + 1)));
    if (x == 0 || !std::isfinite(x) || text.size() < 11) {
        std::strcpy(ScratchText, " 00000-0");
    } else if (exponent < -9) {
        const long mantissa = std::lround(std::fabs(x) * 1e14);
        if (mantissa == 0)
            std::strcpy(ScratchText, " 00000-0");
        else
            std::strcpy(ScratchText, cnum::Format("%c%05ld-9", x < 0 ? '-' : ' ', mantissa).c_str());
    } else if (exponent > 9) {
        std::strcpy(ScratchText, x < 0 ? "-99999+9" : " 99999+9");
    } else {
        const char* p = text.c_str();
        const char packed[9] = {p[0], p[1], p[3], p[4], p[5], p[6], exponent > 0 ? '+' : '-',
                                static_cast<char>('0' + (exponent < 0 ? -exponent : exponent)),
                                '\0'};
        std::memcpy(ScratchText, packed, sizeof packed);
    }
    return ScratchText;
}

void TSat::WriteTLE(std::FILE* f, char* work, char* out1, char* out2, int flags)
{
    std::memset(out1, ' ', 75);
    std::memset(out2, ' ', 75);
    out1[TLELineLength] = out2[TLELineLength] = '\0';
    out1[0] = '1';
    out1[7] = 'U';
    out1[62] = '0';
    out2[0] = '2';
    const auto put = [work](const std::string& text, char* line, int first, int last) {
        std::strncpy(work, text.c_str(), 75);
        work[75] = '\0';
        PutColumns(work, line, first, last);
    };
    const std::string catalog = cnum::Format("%05ld", static_cast<long>(CatalogNumber));
    put(catalog, out1, 2, 6);
    put(catalog, out2, 2, 6);
    PutColumns(IntlDesignator, out1, 9, 16);
    put(cnum::Format("%02d", EpochYear), out1, 18, 19);
    put(cnum::Format("%12.8f", EpochDay), out1, 20, 32);
    PutColumns(FirstDerivativeField(DecayRate).c_str(), out1, 33, 42);
    PutColumns(FormatTLEExponent(Nddot6), out1, 44, 51);
    PutColumns(FormatTLEExponent(Bstar), out1, 53, 60);
    put(cnum::Format("%4lu", static_cast<unsigned long>(ElementSetNumber)), out1, 64, 67);

    put(cnum::Format("%9.4f", Inclination), out2, 7, 15);
    put(cnum::Format("%9.4f", RAAN), out2, 16, 24);
    // Seven digits after the point, cut rather than rounded.
    put(cnum::Format("%13.12f", Eccentricity).substr(2), out2, 26, 32);
    put(cnum::Format("%9.4f", ArgPerigee), out2, 33, 41);
    put(cnum::Format("%9.5f", MeanAnomaly), out2, 43, 50);
    put(cnum::Format("%12.9f", MeanMotion), out2, 52, 62);
    put(cnum::Format("%5lu", static_cast<unsigned long>(EpochRevNumber)), out2, 63, 67);

    for (char* line : {out1, out2}) {
        int sum = 0;
        for (int i = 0; i < 68; ++i)
            sum += ChecksumTable[static_cast<unsigned char>(line[i])];
        line[68] = static_cast<char>('0' + sum % 10);
        line[TLELineLength] = '\0';
    }
    std::memcpy(Line1, out1, TLELineLength + 1);
    std::memcpy(Line2, out2, TLELineLength + 1);
    if (f) {
        if (!(flags & 1))
            std::fprintf(f, "%s\n", Name);
        std::fprintf(f, "%s\n%s\n", Line1, Line2);
    }
}
