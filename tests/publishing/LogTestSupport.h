#pragma once
// What the web log tests share: a renderer standing in for the image
// window (plain generated images, a colour per product), a real NOAA 18
// element set with its passes over a station, an engine holding a
// generated pass with valid telemetry, and the outside checkers (xmllint,
// libxml2, headless Chromium).
#include "apt/APT.h"
#include "orbit/Sat.h"
#include "publishing/Logger.h"

#include <QDateTime>
#include <QImage>
#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

namespace logtest {

class TestRenderer : public TLogRenderer {
public:
    QString GetLUTFileName(int type) override { return lutFiles.value(type); }
    MagickImagePtr RenderView(const Image* lut, int type) override;

    QMap<int, QString> lutFiles;   // type -> colour table file
    QList<int> failTypes;          // types whose view cannot be made
    int width = 2080, height = 120;
    QStringList calls;             // "type" or "type+lut", in order
};

// A small image of 100 x 256 pixels written as a colour table.
QString WriteLookUpTable(const QString& path);

// NOAA 18 (element set of 2 May 2017) over the station, with its n-th
// pass (0 the first after the epoch) as the recording window.
TSat Noaa18Pass(int n, const QString& stationName = "Testville");

// An engine holding a generated pass whose telemetry identifies video A
// as channel 2 and video B as channel 4 (NOAA 18).
void FillEngine(TAPT& apt);

// The settings of a log with the given products (type -1 ends the list).
TSetting LogSettings(std::initializer_list<int> types);

// Everything a run needs, kept together for one test.
struct Station {
    TAPT engine;
    TestRenderer renderer;
    TLogSource Source(const TSat& pass);
};

QString LogDir();    // the log folder of the test's program folder
QString DailyDir();  // ... and its "daily"
QString ReadText(const QString& path);
void SetModified(const QString& path, const QDateTime& when);

// xmllint's complaints about an HTML page (empty: none), or about an XML file.
QString HtmlLint(const QString& path);
QString XmlLint(const QString& path);

struct FeedItem {
    QString title, link, description, pubDate;
};
// The channel's items read by libxml2, in document order; false when the
// file does not parse.
bool ReadFeed(const QString& path, std::vector<FeedItem>& items, QString& channelTitle, QString& imageUrl);

// The text content of every element of the given name in an HTML page, as
// libxml2's HTML parser reads it.
QStringList HtmlTexts(const QString& path, const char* element);

// A screenshot of the page by headless Chromium; a null image with the
// reason when Chromium is missing or fails.
QImage Screenshot(const QString& pagePath, QString& reason);

}  // namespace logtest

// GoogleTest shows texts as texts.
#include <ostream>
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
