#include "imaging/FileTypes.h"

namespace {

struct TypeRow {
    const char* extension;
    const char* description;
};

const TypeRow kImageTypes[] = {
    {".jpg", "*.jpg, *.jpeg, Joint Photographic Experts Group JFIF format"},
    {".png", "*.png, Portable Network Graphics"},
    {".tiff", "*.tiff, Tagged Image File Format"},
    {".gif", "*.gif, CompuServe Graphics Interchange Format"},
    {".bmp", "*.bmp, Microsoft Windows bitmap"},
    {".jbig", "*.jbig, Joint Bi-level Image experts Group file interchange format"},
    {".jp2", "*.jp2, JPEG-2000 JP2 File Format Syntax"},
    {".jng", "*.jng, Multiple-image Network Graphics"},
    {".mng", "*.mng, Multiple-image Network Graphics"},
    {".pcx", "*.pcx, ZSoft IBM PC Paintbrush file"},
    {".pgm", "*.pgm, Portable graymap format (gray scale)"},
    {".pict", "*.pict, Apple Macintosh QuickDraw/PICT file"},
    {".pnm", "*.pnm, Portable anymap"},
    {".ppm", "*.ppm, Portable pixmap format (color)"},
    {".tga", "*.tga, Truevision Targa image"},
    {".dib", "*.dib, Microsoft Windows Device Independent Bitmap"},
};

const TypeRow kAudioTypes[] = {
    {".wav", "*.wav, Microsoft Audio Wawe Format"},
    {".aiff", "*.aiff, Audio Interchange File Format"},
    {".aifc", "*.aifc, Audio Interchange File Format"},
    {".paf", "*.paf, Paris Audio File PAF"},
    {".voc", "*.voc, Creative VOC"},
    {".au", "*.au, NeXT, Sun and DEC"},
    {".snd", "*.snd, NeXT, Sun and DEC"},
    {".iff", "*.iff, Commodore"},
    {".svx", "*.svx, Amiga"},
    {".ir", "*.ir, IRCAM"},
    {".w64", "*.w64, Sound forge"},
    {".mat4", "*.mat4, GNU Octave 2.0"},
    {".mat5", "*.mat5, GNU Octave 2.1"},
    {".pvf", "*.pvf, Portable Voice Format"},
    {".raw", "*.raw, Headerless"},
};

// Other spellings of a registered extension that the libraries read as the
// same format. The extension lists carry them too, so that the dialog and
// the image window accept the same files.
struct Alias {
    const char* spelling;
    const char* extension;
};
const Alias kAliases[] = {{".jpeg", ".jpg"}, {".jpe", ".jpg"}, {".tif", ".tiff"}, {".aif", ".aiff"}};

QString Canonical(const QString& extension)
{
    const QString lower = extension.toLower();
    for (const Alias& alias : kAliases)
        if (lower == QLatin1String(alias.spelling))
            return QString::fromLatin1(alias.extension);
    return lower;
}

}  // namespace

const QString ImageExtensions =
    ".png;.jpg;.jpeg;.tiff;.gif;.bmp;.dib;.jbig;.jp2;.jng;.mng;.pcx;.pgm;.pict;.pnm;.ppm;.tga;.jpe;.tif";
const QString AudioExtensions = ".wav;.aiff;.aifc;.paf;.voc;.au;.snd;.iff;.svx;.ir;.w64;.mat4;.mat5;.pvf;.raw;.aif";

QString FileExtension(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < slash)
        return {};
    return path.mid(dot).toLower();
}

bool IsInExtensionList(const QString& path, const QString& list)
{
    const QString extension = FileExtension(path);
    if (extension.isEmpty())
        return false;
    const QStringList entries = list.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return entries.contains(extension, Qt::CaseInsensitive);
}

TFileFilter::TFileFilter()
{
    Add("All Files (*.*)", ".*", fkAny);
}

TFileFilter::~TFileFilter()
{
    Clear();
}

bool TFileFilter::Add(const QString& description, const QString& extension, int kind)
{
    if (FindByExtension(extension))
        return false;
    entries_.push_back(std::make_unique<PFileType>(description, extension, kind));
    return true;
}

void TFileFilter::AddImageTypes()
{
    for (const TypeRow& row : kImageTypes)
        Add(QString::fromLatin1(row.description), QString::fromLatin1(row.extension), fkImage);
}

void TFileFilter::AddAudioTypes()
{
    for (const TypeRow& row : kAudioTypes)
        Add(QString::fromLatin1(row.description), QString::fromLatin1(row.extension), fkAudio);
}

void TFileFilter::Clear()
{
    while (!entries_.empty())
        entries_.pop_back();
}

const PFileType* TFileFilter::FindByExtension(const QString& extension) const
{
    const QString wanted = Canonical(extension);
    if (wanted.isEmpty())
        return nullptr;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
        if (Canonical((*it)->Extension) == wanted)
            return it->get();
    return nullptr;
}

const PFileType* TFileFilter::FindByDescription(const QString& description) const
{
    for (const auto& entry : entries_)
        if (entry->Description == description)
            return entry.get();
    return nullptr;
}

QString TFileFilter::GetExtension(const QString& description) const
{
    if (description.isEmpty())
        return {};
    const PFileType* entry = FindByDescription(description);
    return entry ? entry->Extension : QString();
}

QString TFileFilter::GetMask(const PFileType* entry)
{
    if (!entry || entry->Extension.isEmpty())
        return "*.*";
    return "*" + entry->Extension;
}

int TFileFilter::GetFileKind(const QString& path) const
{
    const PFileType* entry = FindByExtension(FileExtension(path));
    return entry ? entry->Kind : -1;
}

bool TFileFilter::IsImageFile(const QString& path) const
{
    return GetFileKind(path) == fkImage;
}

void TFileFilter::ListAll(QStringList& list) const
{
    list.clear();
    for (const auto& entry : entries_)
        list << entry->Description;
}

void TFileFilter::ListKind(QStringList& list, int kind) const
{
    list.clear();
    for (const auto& entry : entries_)
        if (entry->Kind == fkAny || entry->Kind == kind)
            list << entry->Description;
}

void TFileFilter::ListImageTypes(QStringList& list) const
{
    ListKind(list, fkImage);
}

void TFileFilter::ListAudioTypes(QStringList& list) const
{
    ListKind(list, fkAudio);
}
