#pragma once
// Splitting URLs, resolving "./" and "../" against the current path, the
// n-th occurrence of a text, and the %-encoding of URL parts.
#include <QString>

// Splits URL into its parts. Path is also read on entry: it is the base
// that "./" and "../" references are resolved against. Every part is
// cleared before it is filled; the protocol comes back lower-cased, the
// other parts as written.
void ParseURL(const QString& URL, QString& Proto, QString& User, QString& Pass, QString& Host, QString& Port,
              QString& Path);

// The URL as a user may see it (logs, messages): the password of its user
// part, as ParseURL reads it, is left out with its ":".
QString UrlWithoutPassword(const QString& URL);

// Position (from 1) of the n-th occurrence of Sub in S, matches allowed to
// overlap; with fewer matches a value beyond S's length (callers read that
// as "not found"). n = -1: the last occurrence, 0 when none. n = 0 or below
// -1: 0.
int Posn(const QString& Sub, const QString& S, int n);

// Letters and digits stay, every other byte (of the UTF-8 text) becomes
// "%XX".
QString UrlEncode(const QString& S);
// Up to the first "&": "+" becomes a blank and "%" with hexadecimal digits
// the byte they give; a "%" without a digit after it stays as it is.
QString UrlDecode(const QString& S);

bool IsDigit(char Ch);
bool IsXDigit(char Ch);
// 0..15 for a hexadecimal digit.
int XDigit(char Ch);
// Leading blanks skipped, then hexadecimal digits up to Len characters or
// the first other character.
int htoin(const char* Value, int Len);
int htoi2(const char* Value);

// The port a URL names, when it is a decimal number from 1 to 65535;
// otherwise 0.
int PortNumber(const QString& Port);
// The port of a URL that names none: "443" for "https", else "80".
QString DefaultPort(const QString& Proto);
