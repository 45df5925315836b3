#pragma once
// A value of a line-based list file as one line: a carriage return or line
// feed inside it is a blank, when written and when read, so the values after
// it stay in their fields and what is read writes back the same.
#include <QByteArray>
#include <QString>

inline QByteArray AsOneLine(QByteArray text)
{
    return text.replace('\r', ' ').replace('\n', ' ');
}

inline QString AsOneLine(QString text)
{
    return text.replace('\r', ' ').replace('\n', ' ');
}
