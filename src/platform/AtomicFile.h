#pragma once
#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Writes data to path + ".tmp", flushes it to disk and renames it over path,
// so a reader sees the old file or the new one, never half of one. Missing
// parent folders are made. On failure the old file is untouched and error
// names the path and the system's reason.
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString& error,
                         QFileDevice::Permissions permissions = QFileDevice::ReadOwner |
                                                                QFileDevice::WriteOwner |
                                                                QFileDevice::ReadGroup |
                                                                QFileDevice::ReadOther);

// The first half of WriteFileAtomically, for a caller that names its own
// temporary and its failures: writes data to temporaryPath and flushes it to
// disk. On failure the temporary is removed and reason holds the system's
// words alone.
bool WriteTemporaryFile(const QString& temporaryPath, const QByteArray& data, QString& reason,
                        QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                               QFileDevice::ReadGroup | QFileDevice::ReadOther);

// Writes all of data to file. The system may take part of a write and
// refuse the rest (the disk filled, the file reached its limit) without a
// reason; writing on until it refuses outright leaves its reason in
// file.errorString(), instead of "Unknown error".
bool WriteWhole(QFileDevice& file, const char* data, qint64 size);

// Renames a finished temporary file over its final name, keeping the same
// promise; error as above.
bool ReplaceFile(const QString& temporaryPath, const QString& finalPath, QString& error);
