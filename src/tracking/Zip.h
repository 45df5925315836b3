#pragma once
// Reader of ZIP archives of element sets: the archive's directory, then its
// entries one after another, each read line by line. Only the reading side
// exists; archives are never written.
#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

// An entry is read up to this many bytes: element-set files hold a few
// hundred kilobytes, and a damaged or hostile directory may claim gigabytes.
inline constexpr qint64 kZipEntryReadLimit = 4 << 20;
// The entries of one archive are read up to this many bytes in all: its
// directory may list one small stream of a huge size under any number of
// names, and each would otherwise cost the entry limit.
inline constexpr qint64 kZipArchiveReadLimit = 4 * kZipEntryReadLimit;

// Last-error codes besides the library's own (negative) results.
enum TZipError {
    zeOk = 0,
    zeEndOfList = -100,   // past the last entry
    zeBadArchive = -103,  // not a ".zip" name, unreadable, or no archive open
    zeNotOpen = -200,     // nothing opened yet
    zeNoMemory = -201,
};

class TZip {
public:
    TZip();
    ~TZip();
    TZip(const TZip&) = delete;
    TZip& operator=(const TZip&) = delete;

    // Opens path (extension ".zip" in any case) and reads its directory.
    // Whatever was open is closed first. A file that is no archive is left
    // untouched and gives zeBadArchive.
    bool Open(const QString& path);
    // An entry whose name the directory already listed is stepped over, so
    // a directory repeating one entry gives it once.
    bool GoToFirstFile();
    bool GoToNextFile();
    // flags bit 0: only the name's last component; bit 1: the whole name with
    // "\" as separator. Empty when there is no name (a folder entry "data/"
    // has no last component) or on failure.
    QString GetCurrentFileName(int flags);
    bool OpenFirstFile();
    bool OpenCurrentFile();
    // Stores the next line of the open entry (without its line feed; a
    // carriage return is kept) in buffer, at most max bytes plus a closing
    // zero, and returns their number: 0 for an empty line and at the end of
    // the entry (AtEndOfEntry tells them apart), -1 without an open archive
    // or buffer. A longer line continues in the next call. The entry ends
    // after kZipEntryReadLimit bytes, whatever its size, or where the
    // archive's entries have taken kZipArchiveReadLimit bytes in all.
    int ReadLine(char* buffer, int max);
    bool AtEndOfEntry() const { return EndOfEntry; }
    // True when the archive's limit has ended an entry before its end.
    bool EntryCutByArchiveLimit() const { return EntryCut; }
    bool ArchiveLimitReached() const { return BytesRead >= kZipArchiveReadLimit; }
    void CloseCurrentFile(bool closeArchive);
    void Close();

    int LastError = zeNotOpen;
    QStringList EntryNames;  // in directory order
    QString ArchiveName;     // "" when none was opened
    QString Comment;         // the archive's global comment
    qint64 BytesRead = 0;    // uncompressed, from every entry since Open

private:
    bool ReadDirectory();
    // Steps on while the current entry's name was met before.
    bool SkipListedNames(int result);
    void ResetEntry();

    void* Reader = nullptr;  // the library's handle of the open archive
    bool EndOfEntry = false;
    bool EntryCut = false;
    QSet<QByteArray> namesMet_;  // by GoToFirstFile and GoToNextFile
    std::vector<char> block_;    // what the library gave of the open entry
    int blockUsed_ = 0;          // bytes of block_ already handed out
    int blockLength_ = 0;
    qint64 entryBytesRead_ = 0;
};
