#pragma once
// The general settings of the program as one record: automatic recording and
// decoding, pass thresholds, the web log and its upload, the annotation of
// decoded images, the format images are written in, the image enhancements,
// the receiver's automatic tuning and two window options. The main window
// owns one; the general settings dialog edits a copy.
//
// Threads: the record has no lock. It is a plain value: copying it copies
// every field and every log image (the texts are implicitly shared with
// atomic counts), and copies never share entries. A worker that reads the
// settings (a processing thread, its log writer) takes its own copy on the
// GUI thread when it starts and reads only that, so the settings dialog may
// replace the main window's record at any time.
#include "shell/PList.h"

#include "platform/Color.h"

#include <QString>
#include <magick/MagickCore.h>


// One image product of the web log. Name and Type are what the settings keep;
// the other six are filled by the log writer for one run.
class TLogImage {
public:
    TLogImage();
    TLogImage(const QString& name, int type);

    void Assign(const TLogImage& other) { *this = other; }
    // Empties the file name and zeroes the five sizes.
    void Clear();
    // FileSize = the size of the file at path, 0 when there is none.
    void ReadFileSize(const QString& path);
    // The started kilobytes of FileSize followed by "kb", in %g form
    // ("0kb", "1kb", "2kb", "1e+06kb").
    QString GetSizeText() const;

    QString Name;    // the product's caption
    int Type;        // 0 Normal .. 7 IR Low temperatures; -1 unset
    QString FileName;  // the written file's name without its folder
    int Width;       // pixels of the written image
    int Height;
    int ThumbWidth;  // pixels of its thumbnail
    int ThumbHeight;
    int FileSize;    // bytes of the written file
};

// A pointer list that owns its TLogImage entries: it frees them with itself,
// and a copy is a deep copy holding new entries in the same order.
class TLogImageList : public PList {
public:
    TLogImageList() = default;
    ~TLogImageList();
    TLogImageList(const TLogImageList& other);
    TLogImageList& operator=(const TLogImageList& other);

    TLogImage* At(int index) const { return static_cast<TLogImage*>(Get(index)); }

private:
    void AddCopiesOf(const TLogImageList& other);
};

class TSetting {
public:
    // Every field at its default, an empty list of log images.
    TSetting();
    void Assign(const TSetting& other) { *this = other; }

    // Removes and deletes every TLogImage of list; deletes the list itself
    // too when deleteList is set (for lists the log writer keeps).
    static void FreeLogImages(PList* list, bool deleteList);

    // The whole image format and enhancement to the built-in defaults.
    void SetImageFormatDefaults();

    // Each stores a non-zero value first (0 stores nothing), then brings the
    // field into range and returns it. Gamma: not above 0 becomes 1.15, 5 or
    // more becomes 5.0. Percentages: not above 0 becomes 100, above 400
    // becomes 400.
    double ClampGamma(double value);
    int ClampPercent(int& field, int value);
    int ClampBrightness(int value) { return ClampPercent(Brightness, value); }
    int ClampSaturation(int value) { return ClampPercent(Saturation, value); }
    int ClampHue(int value) { return ClampPercent(Hue, value); }

    // RawExt, ".gz" when it was empty.
    QString GetRawExt();

    // Brings every limited field into range and Compression into line with
    // ImageExt. An ImageExt outside the format map (compared case-sensitively)
    // resets the format fields (ImageExt, Compression, Quality, ImageType,
    // Interlace) to their defaults; the enhancement settings stay. With
    // Compression 1 (none) the extension is not checked.
    void Validate();

    // For a format the user picked: Quality 75, ImageType 6 and the
    // extension's compression; ImageExt itself is not stored. An extension
    // outside the map resets the format fields instead and gives true.
    bool SetCompressionForExt(const QString& ext);

    // Readies an image to be written in the record's format: copies the
    // image's file name into info, sets compression, quality, interlace and
    // image type on both. Nothing when either is null.
    void ApplyImageFormat(Image* image, ImageInfo* info) const;

    // The same for a save under another extension: the format of ext as
    // Validate would correct it. An extension outside the map is written in
    // the default format, and the image's file name gets that format's
    // extension (x.pcx is written as x.jpg). Works on a copy: the record is
    // never changed, not even for a moment.
    void ApplyImageFormatAs(Image* image, ImageInfo* info, const QString& ext) const;

    // Softens the image's contrast in place by Contrast (1 less, 2 more,
    // 3 extreme). Any other Contrast becomes 0 and leaves the image as it is.
    // False only for a null image.
    bool ApplyContrast(Image* image);

    int ImageModes;     // bit 0 reduce noise, 1 chop noisy lines, 2 equalise
    int RIGModes;       // bit 0 tune the receiver to each chosen pass
    int WinModes;       // bit 0 minimise to the tray, 2 about box after a new version
    int LogModes;       // bits: 0 auto record, 1 decode while recording, 2 drop poor
                        // recordings, 3 daily log, 4 upload, 5 keep raw cache, 6 chop
                        // to video, 7 log poor images, 8 custom style sheet, 9 IR at night
    int PassModes;      // bits: 0 thresholds on, 1 by elevation, 2 path loss below
                        // PassElev, 3 North/South, 4 overlap warning
    int PassElev;       // degrees, least maximum elevation of a pass
    int AOSElev;        // degrees at AOS (or north)
    int LOSElev;        // degrees at LOS (or south)
    int Duration;       // seconds, least pass duration
    double AOSPathLoss; // dB at AOS (or north)
    double LOSPathLoss; // dB at LOS (or south)
    int IRSunEle;       // degrees of sun elevation below which a pass is night
    int AnnotateModes;  // bit 0 text, 1 logo, 2 transparent text background
    QString AnnotateText;
    QString FontName;
    QString FontFile;   // "@" and the font file's full path, or empty
    int TextPos;        // 0..5: top left, centre, right, bottom left, centre, right
    TColor FontColor;
    TColor FontBkColor;
    double FontSize;    // points
    int TextBkOpacity;  // percent, 0 transparent .. 100 opaque
    QString LogoFilename;
    int LogoPos;        // as TextPos
    // The web log's server, address and editor are empty until the user
    // sets them: no built-in value could be the user's own.
    QString Host;       // FTP server of the web log
    QString UserName;
    QString Password;   // kept as plain text
    QString FTPDir;
    QString LogURL;     // public address of the web log, for the feed
    QString Email;      // the feed editor's address
    QString BlogTitle;
    int ThumbSize;      // percent of the image, 5..50
    QString ImageExt;   // with its point: the format images are written in
    QString RawExt;     // the raw-line cache: ".gz" or an image extension
    int Compression;    // stored ImageMagick compression: 1 none, 2 BZip, 5 JPEG,
                        // 7 lossless JPEG, 8 LZW, 9 RLE, 10 Zip
    int Quality;        // 0..100
    int ImageType;      // stored ImageMagick image type 1..10
    int Interlace;      // stored ImageMagick interlace: 1 none, 2 line, 3 plane, 4 partition
    int Contrast;       // 0 none, 1 less, 2 more, 3 extreme
    double Gamma;       // 0 < gamma <= 5
    int Brightness;     // percent of the modulate enhancement, 1..400
    int Saturation;
    int Hue;
    double LowTempValue;  // degrees C, threshold of the low-temperature views
    TLogImageList LogImages;  // owned: the products the web log writes, in order

private:
    void SetFormatFieldDefaults();
};
