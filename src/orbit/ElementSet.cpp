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

#include <cmath>
#include <cstring>

namespace {

constexpr int TLELineLength = 69;

double Decimal(const char* text) { return cnum::ParseFloat(std::string_view(text)); }
long long Integer(const char* text) { return cnum::ParseInt(std::string_view(text)); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Every character of line[first..last] is one of allowed.
bool FieldOf(const char* line, int first, int last, const char* allowed)
{
    for (int i = first; i <= last; ++i)
        if (!std::strchr(allowed, line[i]) || line[i] == '\0')
            return false;
    return true;
}

// The mantissa of a packed exponent field holds digits after an optional sign.
bool PackedExponentField(const char* line, int first)
{
    return FieldOf(line, first, first, " +-0123456789") &&
           FieldOf(line, first + 1, first + 5, "0123456789 ") &&
           FieldOf(line, first + 6, first + 6, "+- ") && IsDigit(line[first + 7]);
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
    int n = static_cast<int>(std::strlen(nameLine));
    while (n > 0 && (nameLine[n - 1] == ' ' || nameLine[n - 1] == '\r' ||
                     nameLine[n - 1] == '\n' || nameLine[n - 1] == '\t'))
        nameLine[--n] = '\0';
    std::memset(Name, 0, sizeof Name);
    if (n >= 2) {
        // Longer names are cut to what the record holds, without a blank at the end.
        int keep = n < 24 ? n : 24;
        while (keep > 0 && nameLine[keep - 1] == ' ')
            --keep;
        std::memcpy(Name, nameLine, keep);
    }
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
    bool ok = l1[0] == '1' && l1[7] == 'U' && l1[23] == '.' && l1[34] == '.' && l1[62] == '0' &&
              IsDigit(l1[18]) && IsDigit(l1[19]) && IsDigit(l1[68]) &&
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

    SetName(nameLine);
    std::memcpy(Line1, l1, TLELineLength);
    Line1[TLELineLength] = '\0';
    std::memcpy(Line2, l2, TLELineLength);
    Line2[TLELineLength] = '\0';

    // The exponent's sign is read too: "+1" is 10^+1, not 10^-1.
    const auto packed = [this](const char* line, int first) {
        const double mantissa = Decimal(GetColumns(line, first, first + 5)) * 0.00001;
        const int exponent = line[first + 7] - '0';
        return mantissa * std::pow(10.0, line[first + 6] == '+' ? exponent : -exponent);
    };
    std::strncpy(IntlDesignator, GetColumns(Line1, 9, 16), sizeof IntlDesignator - 1);
    IntlDesignator[sizeof IntlDesignator - 1] = '\0';
    CatalogNumber = static_cast<int>(Integer(GetColumns(Line1, 2, 6)));
    EpochYear = static_cast<int>(Integer(GetColumns(Line1, 18, 19)));
    EpochDay = Decimal(GetColumns(Line1, 20, 31));
    Nddot6 = packed(Line1, 44);
    Bstar = packed(Line1, 53);
    ElementSetNumber = static_cast<int>(Integer(GetColumns(Line1, 64, 67)));
    Inclination = Decimal(GetColumns(Line2, 8, 15));
    RAAN = Decimal(GetColumns(Line2, 17, 24));
    Eccentricity = Decimal(GetColumns(Line2, 26, 32)) * 1e-7;
    ArgPerigee = Decimal(GetColumns(Line2, 34, 41));
    MeanAnomaly = Decimal(GetColumns(Line2, 43, 50));
    MeanMotion = Decimal(GetColumns(Line2, 52, 62));
    DecayRate = Decimal(GetColumns(Line1, 33, 42));
    EpochRevNumber = static_cast<int>(std::trunc(Decimal(GetColumns(Line2, 63, 67))));
    return true;
}

const char* TSat::FormatTLEExponent(double x)
{
    // "%11.4e" of 10x, " 6.8784e-04", packs into " 68784-4": sign, five
    // mantissa digits, exponent sign and one exponent digit, +-0.ddddd x 10^e.
    // The field holds one exponent digit: smaller values are written as 0,
    // larger ones as the largest the field can say; 0.1 and above get a '+'
    // exponent, which the reader honours.
    const std::string text = cnum::Format("%11.4e", 10.0 * x);
    const size_t e = text.find('e');
    const int exponent = e == std::string::npos ? 0 : static_cast<int>(cnum::ParseInt(text.substr(e + 1)));
    if (x == 0 || !std::isfinite(x) || text.size() < 11 || exponent < -9) {
        std::strcpy(ScratchText, " 00000-0");
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
    // "0.00000119" with its leading zero turned into the sign; a rate of 1
    // or more keeps its integer digit in that column, as the reader takes it.
    const std::string decayRate = cnum::Format("%.9f", std::fabs(DecayRate));
    put(decayRate, out1, 33, 42);
    if (decayRate[0] == '0')
        out1[33] = DecayRate < 0 ? '-' : ' ';
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
