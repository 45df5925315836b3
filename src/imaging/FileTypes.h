#pragma once
// What a file is, decided by its extension: the program reads and writes
// images through MagickCore and reads recordings through libsndfile, and in
// both cases the extension picks the reader.
//
// Two views of the same knowledge live here, and they must agree:
// - TFileFilter, the file-type registry behind the open/save dialog's filter
//   list (description, extension, kind per entry);
// - ImageExtensions and AudioExtensions, the extension lists with which the
//   image window and TMagickImage decide what an opened file is.
// GUI thread only (TFileFilter is not locked).
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The kinds of the registry.
enum TFileKind : int { fkAny = 0, fkImage = 1, fkAudio = 2 };

// The image extensions the program reads and writes, joined by ';'. Besides
// the registry's sixteen it holds the other spellings MagickCore reads under
// the same format (".jpeg" for ".jpg", ".tif" for ".tiff").
extern const QString ImageExtensions;
// The audio extensions libsndfile reads, in the registry's order.
extern const QString AudioExtensions;

// The extension of a path: from the last dot of its last component on,
// lower-cased, dot included; empty when that component has no dot.
QString FileExtension(const QString& path);

// True when the path's extension is one of the list's entries. The whole
// extension must match one entry: ".pn" or ".p" are not images because
// ".png" happens to contain them.
bool IsInExtensionList(const QString& path, const QString& list);
inline bool IsImageExtension(const QString& path) { return IsInExtensionList(path, ImageExtensions); }
inline bool IsAudioExtension(const QString& path) { return IsInExtensionList(path, AudioExtensions); }

// One entry of the registry.
class PFileType {
public:
    PFileType(const QString& description, const QString& extension, int kind)
        : Description(description), Extension(extension), Kind(kind) {}

    QString Description;  // what the filter list shows; also the key of a filter choice
    QString Extension;    // with the leading dot, as added; ".*" for "All Files (*.*)"
    int Kind;             // TFileKind
};

class TFileFilter {
public:
    // Starts with the "All Files (*.*)" entry.
    TFileFilter();
    ~TFileFilter();
    TFileFilter(const TFileFilter&) = delete;
    TFileFilter& operator=(const TFileFilter&) = delete;

    // False, and nothing added, when an entry for the extension exists.
    bool Add(const QString& description, const QString& extension, int kind);
    void AddImageTypes();
    void AddAudioTypes();
    // Removes every entry, "All Files (*.*)" included.
    void Clear();

    // The entry for an extension (with dot), case-insensitive; ".jpeg" finds
    // ".jpg" and ".tif" finds ".tiff". Null when there is none.
    const PFileType* FindByExtension(const QString& extension) const;
    // The first entry whose description equals the text exactly.
    const PFileType* FindByDescription(const QString& description) const;

    // The extension of the entry with that description; empty when none.
    QString GetExtension(const QString& description) const;
    // The file list's mask for an entry: "*" + extension, "*.*" for none.
    static QString GetMask(const PFileType* entry);
    // The kind of the entry for the path's extension, -1 when none.
    int GetFileKind(const QString& path) const;
    bool IsImageFile(const QString& path) const;

    void ListAll(QStringList& list) const;
    void ListImageTypes(QStringList& list) const;  // kinds 0 and 1
    void ListAudioTypes(QStringList& list) const;  // kinds 0 and 2

    int Count() const { return static_cast<int>(entries_.size()); }
    const PFileType& Entry(int index) const { return *entries_.at(static_cast<size_t>(index)); }

private:
    void ListKind(QStringList& list, int kind) const;

    std::vector<std::unique_ptr<PFileType>> entries_;  // in the order added
};
