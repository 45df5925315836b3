#pragma once
// Byte streams in the shape the internet components expect: a position,
// reads and writes from it, and a size that can be cut back (a relocated or
// repeated HTTP request takes back the body bytes it had already written).
// TFileStream writes straight to its file; TMemoryStream keeps the bytes.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <stdexcept>

// A stream that cannot be opened, written or cut back.
class EStreamError : public std::runtime_error {
public:
    explicit EStreamError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromStdString(what()); }
};

class TStream {
public:
    virtual ~TStream() = default;
    // Bytes read (0 at the end).
    virtual qint64 Read(char* Buffer, qint64 Count) = 0;
    // Writes all of Buffer or raises EStreamError.
    virtual void Write(const char* Buffer, qint64 Count) = 0;
    virtual qint64 Position() const = 0;
    virtual void SetPosition(qint64 Pos) = 0;
    virtual qint64 Size() const = 0;
    // Cuts the stream (or lengthens it with zeros); the position stays
    // within it.
    virtual void SetSize(qint64 NewSize) = 0;
};

class TFileStream : public TStream {
public:
    enum Mode { fmCreate, fmOpenRead, fmOpenReadWrite };
    // fmCreate makes the file anew (replacing one that exists). Raises
    // EStreamError naming the file and the system's reason.
    TFileStream(const QString& FileName, Mode OpenMode);
    qint64 Read(char* Buffer, qint64 Count) override;
    void Write(const char* Buffer, qint64 Count) override;
    qint64 Position() const override { return file_.pos(); }
    void SetPosition(qint64 Pos) override;
    qint64 Size() const override { return file_.size(); }
    void SetSize(qint64 NewSize) override;
    QString FileName() const { return file_.fileName(); }

private:
    QFile file_;
};

class TMemoryStream : public TStream {
public:
    qint64 Read(char* Buffer, qint64 Count) override;
    void Write(const char* Buffer, qint64 Count) override;
    qint64 Position() const override { return pos_; }
    void SetPosition(qint64 Pos) override { pos_ = std::clamp<qint64>(Pos, 0, bytes_.size()); }
    qint64 Size() const override { return bytes_.size(); }
    void SetSize(qint64 NewSize) override;
    const QByteArray& Bytes() const { return bytes_; }

private:
    QByteArray bytes_;
    qint64 pos_ = 0;
};
