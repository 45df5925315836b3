#pragma once
// Text helpers of the HTTP client: Base64 and uuencode of a line (Basic
// credentials), and the RFC 1123 date of conditional requests.
#include "net/FtpSrvT.h"  // TDateTime

#include <QByteArray>
#include <QString>

enum THttpEncoding { encUUEncode, encBase64, encMime };

// encBase64 and encMime: RFC 4648 Base64 with "=" padding. encUUEncode: a
// length character, then the uuencode characters of whole 3-byte groups
// (missing bytes count as 0), no padding.
QString EncodeLine(THttpEncoding Encoding, const char* Buf, int Len);
QString EncodeStr(THttpEncoding Encoding, const QByteArray& Value);

// "Tue, 08 Mar 2005 14:05:09": the date as given, without any zone change.
QString RFC1123_Date(TDateTime aDate);
// The reverse of RFC1123_Date (a zone after the seconds is ignored). A
// field that is not a number counts as 0; 0 when that leaves no valid date.
TDateTime RFC1123_StrToDate(const QString& aDate);
