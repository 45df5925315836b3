#pragma once
// The socket component's exception and the texts of the Winsock error codes,
// which every socket error message (and the FTP and HTTP clients' own) carry.
#include <QString>
#include <stdexcept>

class ESocketException : public std::runtime_error {
public:
    explicit ESocketException(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};

// "Connection refused" for 10061, ..., "Not a WinSock error" for any code
// outside the table.
QString WSocketErrorDesc(int error);
