#include "tracking/Zip.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <minizip/unzip.h>

namespace {

// The library's limits for a name and a comment.
constexpr int kNameLimit = 260;
constexpr int kCommentLimit = 16384;
// The library is asked for this much at a time; a byte a call was slow
// enough to make a small archive take minutes.
constexpr int kBlockSize = 64 * 1024;

unzFile Handle(void* reader) { return static_cast<unzFile>(reader); }

QByteArray CurrentName(unzFile reader)
{
    unz_file_info info{};
    char name[kNameLimit + 1] = {};
    if (unzGetCurrentFileInfo(reader, &info, name, kNameLimit, nullptr, 0, nullptr, 0) != UNZ_OK)
        return {};
    return QByteArray(name);
}

}  // namespace

TZip::TZip() = default;

TZip::~TZip() { Close(); }

bool TZip::Open(const QString& path)
{
    Close();
    ArchiveName.clear();
    Comment.clear();
    EntryNames.clear();
    BytesRead = 0;
    LastError = zeNotOpen;
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    if (QFileInfo(path).suffix().toLower() != "zip") {
        LastError = zeBadArchive;
        return false;
    }
    Reader = unzOpen(QFile::encodeName(path).constData());
    if (!Reader) {
        LastError = zeBadArchive;
        return false;
    }
    if (!ReadDirectory()) {
        Close();
        LastError = zeBadArchive;
        return false;
    }
    ArchiveName = path;
    LastError = zeOk;
    return true;
}

bool TZip::ReadDirectory()
{
    unz_global_info global{};
    int result = unzGetGlobalInfo(Handle(Reader), &global);
    if (result != UNZ_OK)
        return false;
    if (global.size_comment > 0) {
        std::vector<char> text(kCommentLimit + 1, 0);
        const int length = unzGetGlobalComment(Handle(Reader), text.data(), kCommentLimit);
        if (length > 0)
            Comment = QString::fromLatin1(text.data(), length);
    }
    QSet<QByteArray> listed;
    for (result = unzGoToFirstFile(Handle(Reader)); result == UNZ_OK; result = unzGoToNextFile(Handle(Reader))) {
        unz_file_info info{};
        char name[kNameLimit + 1] = {};
        if (unzGetCurrentFileInfo(Handle(Reader), &info, name, kNameLimit, nullptr, 0, nullptr, 0) != UNZ_OK)
            return false;
        if (!listed.contains(name)) {
            listed.insert(name);
            EntryNames << QString::fromLatin1(name);
        }
    }
    return result == UNZ_END_OF_LIST_OF_FILE;
}

bool TZip::SkipListedNames(int result)
{
    while (result == UNZ_OK) {
        const QByteArray name = CurrentName(Handle(Reader));
        if (!namesMet_.contains(name)) {
            namesMet_.insert(name);
            break;
        }
        result = unzGoToNextFile(Handle(Reader));
    }
    LastError = result;
    return result == UNZ_OK;
}

bool TZip::GoToFirstFile()
{
    if (!Reader) {
        LastError = zeBadArchive;
        return false;
    }
    namesMet_.clear();
    return SkipListedNames(unzGoToFirstFile(Handle(Reader)));
}

bool TZip::GoToNextFile()
{
    if (!Reader) {
        LastError = zeBadArchive;
        return false;
    }
    return SkipListedNames(unzGoToNextFile(Handle(Reader)));
}

QString TZip::GetCurrentFileName(int flags)
{
    if (!Reader) {
        LastError = zeNotOpen;
        return {};
    }
    unz_file_info info{};
    char name[kNameLimit + 1] = {};
    const int result = unzGetCurrentFileInfo(Handle(Reader), &info, name, kNameLimit, nullptr, 0, nullptr, 0);
    if (result != UNZ_OK) {
        LastError = result;
        return {};
    }
    QString text = QString::fromLatin1(name);
    if (flags & 3)
        text.replace('/', '\\');
    if (flags & 1)
        text = text.mid(text.lastIndexOf('\\') + 1);
    return text;
}

bool TZip::OpenFirstFile()
{
    return GoToFirstFile() && OpenCurrentFile();
}

bool TZip::OpenCurrentFile()
{
    if (!Reader) {
        LastError = zeNotOpen;
        return false;
    }
    ResetEntry();
    LastError = unzOpenCurrentFile(Handle(Reader));
    EndOfEntry = LastError != UNZ_OK;
    return LastError == UNZ_OK;
}

int TZip::ReadLine(char* buffer, int max)
{
    if (!Reader || !buffer)
        return -1;
    int stored = 0;
    while (stored < max && !EndOfEntry) {
        if (blockUsed_ == blockLength_) {
            const qint64 entryLeft = kZipEntryReadLimit - entryBytesRead_;
            const qint64 left = std::min(entryLeft, kZipArchiveReadLimit - BytesRead);
            if (left <= 0 && entryLeft > 0) {
                // The archive's limit, not the entry's: one byte more tells
                // whether the entry had more to give.
                char probe;
                EntryCut = unzReadCurrentFile(Handle(Reader), &probe, 1) > 0;
                EndOfEntry = true;
                break;
            }
            if (block_.empty())
                block_.resize(kBlockSize);
            // 0 is the entry's end, a negative result a damaged entry: either
            // way nothing more comes of it.
            const int got = left > 0 ? unzReadCurrentFile(Handle(Reader), block_.data(),
                                                         static_cast<unsigned>(std::min<qint64>(left, kBlockSize)))
                                     : 0;
            if (got <= 0) {
                EndOfEntry = true;
                break;
            }
            blockUsed_ = 0;
            blockLength_ = got;
            entryBytesRead_ += got;
            BytesRead += got;
        }
        const char byte = block_[blockUsed_++];
        if (byte == '\n')
            break;
        buffer[stored++] = byte;
    }
    buffer[stored] = 0;
    return stored;
}

void TZip::ResetEntry()
{
    EndOfEntry = false;
    EntryCut = false;
    blockUsed_ = blockLength_ = 0;
    entryBytesRead_ = 0;
}

void TZip::CloseCurrentFile(bool closeArchive)
{
    if (Reader)
        unzCloseCurrentFile(Handle(Reader));
    ResetEntry();
    if (closeArchive)
        Close();
}

void TZip::Close()
{
    if (Reader)
        unzClose(Handle(Reader));
    Reader = nullptr;
    ResetEntry();
    namesMet_.clear();
}
