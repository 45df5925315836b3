// Today's page, "index.html": one HTML 4.01 Transitional document rewritten
// whole by every run. The new entry comes first (with the log's title, the
// feed button and the footer holding the links to every entry of the day),
// then the older entries, read back from "index.txt", the page as it was
// before the run, by the marker lines the page carries:
//
//   <!--\n[index]\nN\n-->          before the body: N entries written today
//   <!-- 1.1a --> ... <!-- 1.1b -->   around an entry's anchor <a name="NNN">
//   <!-- 1.0a --> ... <!-- 1.0b -->   around an entry's body
//   <!--\n[links]\n--> ... </ol>     the footer's list of links
//
// Every text from outside (satellite, station and product names, the blog
// title, the log's address, the version text) is escaped for its place, so
// none of it can forge a marker line or break the markup.
#include "publishing/Logger.h"

#include "platform/CNumbers.h"
#include "publishing/DailyLogFiles.h"
#include "publishing/StyleSheet.h"
#include "publishing/WebText.h"
#include "shell/RegistryHelpers.h"

#include <QFile>

namespace {

using webtext::Html;
using webtext::HtmlAttribute;

constexpr char kDefaultBlogTitle[] = "Zuz Uzeze DOZ Eri Dodi";
constexpr char kFeedPath[] = "daily/daily_apt_blog.xml";
// A row of thumbnails closes before it would reach this many pixels.
constexpr int kRowWidth = 650;
// Far more entries than a day has passes: a larger count is no count of ours.
constexpr int kMaxEntries = 99999;

constexpr char kIndexMark[] = "[index]";
constexpr char kLinksMark[] = "[links]";
constexpr char kAnchorBegin[] = "<!-- 1.1a -->";
constexpr char kAnchorEnd[] = "<!-- 1.1b -->";
constexpr char kBodyBegin[] = "<!-- 1.0a -->";
constexpr char kBodyEnd[] = "<!-- 1.0b -->";

constexpr char kBoxOpen[] =
    "<div class=\"mainbox\">\n<div class=\"mainwin\">\n"
    "<table width=\"100%\" border=\"0\" cellpadding=\"0px\" cellspacing=\"5px\">\n"
    "<tr><td valign=\"top\" class=\"maintd\">\n";
constexpr char kBoxClose[] = "</td></tr></table>\n</div>\n</div>\n";

QString Fmt(const char* format, double value) { return QString::fromStdString(cnum::Format(format, value)); }
QString Number3(int n) { return QString("%1").arg(n, 3, 10, QChar('0')); }

QString Head(const QString& version, bool customStyleSheet)
{
    QString out =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"\n"
        "\"http://www.w3.org/TR/html4/loose.dtd\">\n"
        "<html>\n<head>\n   <title>The Daily APT Log</title>\n"
        "   <meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">\n"
        "   <meta name=\"author\" content=\"" + HtmlAttribute(version) + "\">\n"
        "   <meta name=\"description\" content=\"A APT weather satellite report generated with Orvanta software\">\n"
        "   <meta name=\"keywords\" content=\"NOAA, POES, APT, weather satellite, satellite images,\n"
        "   daily log, thumbnails, RSS, Orvanta\">\n"
        "   <meta http-equiv=\"expires\" content=\"0\">\n"
        "   <meta name=\"robots\" content=\"index, follow\">\n";
    if (customStyleSheet)
        out += "<link rel=\"stylesheet\" type=\"text/css\" href=\"index.css\">\n";
    else
        out += "<style type=\"text/css\">\n" + QString::fromUtf8(DefaultStyleSheetText()) + "</style>\n";
    out += "<script type=\"text/javascript\">\n<!--\n" + QString::fromUtf8(PopupScriptText()) +
           "// -->\n</script>\n</head>\n";
    return out;
}

// One product's thumbnail table: the thumb opens the full image in the pop-up.
QString ThumbTable(const TLogImage& p, const QString& satName)
{
    const QString size = p.GetSizeText();
    const QString popup = "javascript:popUp('images/" + webtext::JavaScriptString(p.FileName) + "','" +
                          webtext::JavaScriptString(satName + " " + p.Name) + "');";
    const QString caption = HtmlAttribute(p.Name + " " + size);
    return "<table class=\"thumb\" align=\"center\">\n<tr><td width=\"" + QString::number(p.ThumbWidth + 10) +
           "\">\n<a href=\"" + HtmlAttribute(popup) + "\"><img src=\"images/thumbs/" + HtmlAttribute(p.FileName) +
           "\" title=\"" + caption + "\" alt=\"" + caption + "\"></a>\n" + Html(p.Name) + " " +
           QString::number(p.Width) + "x" + QString::number(p.Height) + " " + size + "\n</td></tr></table>\n";
}

// The thumbnails side by side in rows narrower than kRowWidth; "Normal"
// (the whole transmission, twice as wide) stands on its own.
QString Thumbnails(const TLogImageList& images, const QString& satName)
{
    constexpr char rowOpen[] = "<table align=\"center\" cellspacing=\"5px\" cellpadding=\"0px\">\n"
                               "<tr><td style=\"vertical-align:top;\">\n";
    constexpr char rowClose[] = "</td></tr></table>\n";
    QString out;
    int width = 0;
    bool rowIsOpen = false;
    for (int i = 0; i < images.Count; ++i) {
        const TLogImage& p = *images.At(i);
        if (p.Type == 0) {
            // Outside any row: a row still open is closed first.
            if (rowIsOpen)
                out += rowClose;
            rowIsOpen = false;
            width = 0;
        } else {
            width += p.ThumbWidth;
            if (!rowIsOpen)
                out += rowOpen;
            rowIsOpen = true;
        }
        out += ThumbTable(p, satName);
        if (!rowIsOpen)
            continue;
        if (width + p.ThumbWidth >= kRowWidth || i == images.Count - 1) {
            out += rowClose;
            rowIsOpen = false;
            width = 0;
        } else {
            width += 10;
            out += "</td><td style=\"vertical-align:top;\">\n";
        }
    }
    return out;
}

QString PointRow(const char* label, const TPassPoint& p)
{
    return QString("<tr>\n   <td>") + label + "</td>\n   <td>" + FormatDateTime("hh:nn:ss", p.Utc) +
           "</td>\n   <td>" + Html(p.Position) + "</td>\n   <td>" + Fmt("%.2f", p.AzimuthDeg) + "</td>\n   <td>" +
           Fmt("%.2f", p.ElevationDeg) + "</td>\n   <td>" + Fmt("%.3f", p.PathLossDb) + "</td>\n   <td>" +
           Fmt("%.2f", p.SunElevationDeg) + "</td>\n</tr>\n";
}

QString SpanRow(const char* label, const QString& text)
{
    return QString("<tr>\n   <td>") + label + "</td>\n   <td colspan=\"6\">" + Html(text) + "</td>\n</tr>\n";
}

// A damaged or foreign copy: everything between the markers is taken as
// it is; what cannot be found ends the copying.
void AppendOlderLinks(const QStringList& old, QString& out)
{
    const int mark = old.indexOf(kLinksMark);
    if (mark < 0)
        return;
    for (int i = mark + 2; i < old.size() && old[i] != "</ol>"; ++i)
        out += old[i] + "\n";
}

// The newest older entry's headline becomes its heading, with Top and Back
// links: its first paragraph (name, "APT", downlink) goes into <h1>.
void AppendHeading(const QString& headline, QString& out)
{
    out += "<div class=\"daily\">\n<p class=\"backp\" style=\"float:right;\">\n"
           "<a title=\"Goto to the top of the page\" href=\"#logtop\">Top</a>&nbsp;|&nbsp;\n"
           "<a title=\"Take one step back\" href=\"javascript:history.back()\">Back</a>\n</p>\n<h1>";
    // Past '<p class="mainp"><b>'; the first paragraph ends with "</b></p>".
    const QString rest = headline.mid(20);
    const int end = rest.indexOf('<');
    if (end < 0)
        out += rest + "</h1></div>\n";
    else
        out += rest.left(end) + "</h1></div>\n" + rest.mid(end + 8) + "\n";
}

void AppendOlderEntries(const QStringList& old, QString& out)
{
    bool first = true;
    int i = 0;
    while (i < old.size()) {
        const int anchor = old.indexOf(kAnchorBegin, i);
        const int anchorEnd = anchor < 0 ? -1 : old.indexOf(kAnchorEnd, anchor + 1);
        const int body = anchorEnd < 0 ? -1 : old.indexOf(kBodyBegin, anchorEnd + 1);
        if (body < 0)
            return;
        for (int k = anchor; k <= anchorEnd; ++k)
            out += old[k] + "\n";
        // The old box and its heading are dropped; each entry gets a box.
        out += QString(kBoxOpen) + kBodyBegin + "\n";
        i = body + 1;
        if (first && i < old.size())
            AppendHeading(old[i++], out);
        first = false;
        bool closed = false;
        while (i < old.size() && !closed) {
            const QString& line = old[i++];
            out += line + "\n";
            closed = line == kBodyEnd;
        }
        out += kBoxClose;
    }
}

}  // namespace

bool TLogger::WritePage(const QString& path, QString& error)
{
    const QString folder = localDir_;
    QStringList old;
    bool continuing = false;
    entryNumber_ = 1;
    if (dailylog::PrepareContinue(path) && dailylog::ReadLines(dailylog::WorkingCopyPath(path), old)) {
        const int mark = old.indexOf(kIndexMark);
        bool read = false;
        const int count = mark >= 0 && mark + 1 < old.size() ? old[mark + 1].trimmed().toInt(&read) : 0;
        if (read && count >= 0 && count < kMaxEntries) {
            continuing = true;
            entryNumber_ = count + 1;
        }
    }
    if (settings_.BlogTitle.isEmpty())
        settings_.BlogTitle = kDefaultBlogTitle;
    passTable_ = MeasurePass(*sat_);

    const QString version = ReadRegistryString("APT", "VersionStr");
    const QString title = settings_.BlogTitle;
    const QString feedUrl = webtext::Url(settings_.LogURL + "/" + kFeedPath);
    const QString satName = SatName(*sat_);
    const QString number = Number3(entryNumber_);

    QString out = Head(version, settings_.LogModes & 0x100);
    out += "<!--\n[index]\n" + QString::number(entryNumber_) + "\n-->\n"
           "<body onUnload=\"javascript:close_apopup();\">\n"
           "<!--\n     **** Machine generated code DO NOT EDIT below this line ****\n-->\n"
           "<a name=\"logtop\"></a>\n" + QString(kAnchorBegin) + "\n<a name=\"" + number + "\"></a>\n" +
           kAnchorEnd + "\n" + kBoxOpen +
           "<div class=\"daily\">\n  <div class=\"xmlButton\" style=\"float:right;\">\n"
           "    <a target=\"_blank\" title=\"" + HtmlAttribute(title) + "\" href=\"" + HtmlAttribute(feedUrl) + "\">\n"
           "    <span class=\"xmlButton\">XML</span></a>\n"
           "    <a class=\"feedlink\" target=\"_blank\" title=\"" + HtmlAttribute(feedUrl) + "\" href=\"" +
           HtmlAttribute(feedUrl) + "\">" + Html(title) + "</a>\n  </div>\n  <h1>The Daily APT Log</h1>\n</div>\n" +
           kBodyBegin + "\n" + PassHeadlineHtml(*sat_) + "\n<p class=\"mainp\">QTH: " + Html(sat_->GetStationText(0)) +
           "</p>\n";
    if (settings_.RIGModes & 0x1)
        out += "<p class=\"mainp\">Images received with the <b>" + Html(receiverName_) + "</b> receiver</p>\n";

    out += "<p class=\"mainp\">&nbsp;</p>\n"
           "<p class=\"mainp\">Click on a thumb to see the full size picture in a new popup-window.</p>\n"
           "<!-- thumbnail images begin -->\n<div class=\"imagebox\">\n<h2>Images:</h2>\n"
           "<div class=\"spacer\"></div>\n<blockquote>\n<div class=\"spacer\"></div>\n" +
           Thumbnails(images_, satName) +
           "<div class=\"spacer\"></div>\n</blockquote>\n</div>\n<div class=\"spacer\"></div>\n"
           "<!-- thumbnail images end -->\n";

    const TPassTable& t = passTable_;
    out += "<!-- satellite data begin -->\n<div class=\"satdata\">\n<h2>Satellite pass information:</h2>\n"
           "<blockquote>\n<table class=\"satdatatable\">\n<tr><th colspan=\"6\">" + Html(satName) + " " +
           (sat_->Northbound ? "Northbound" : "Southbound") + " On " + FormatDateTime("dddd mmmm d yyyy", passTime_) +
           "</th></tr>\n<tr>\n  <th style=\"text-align:left;\">Orbit " + QString::number(t.OrbitNumber) +
           "</th>\n  <th>UTC</th><th>Position</th><th>Azimuth</th><th>Elevation</th><th>Pathloss</th>"
           "<th>Sun Elevation</th>\n</tr>\n" +
           PointRow("Acquisition of signal:", t.Acquisition) + PointRow("Time of closest approach:", t.ClosestApproach) +
           PointRow("Loss of signal:", t.Loss) +
           SpanRow("Duration:", TSat::FormatDuration(TSat::DayNumberToDateTime(sat_->WindowStop) -
                                                     TSat::DayNumberToDateTime(sat_->WindowStart))) +
           SpanRow("Video A:", engine_->GetChannelName(false)) + SpanRow("Video B:", engine_->GetChannelName(true)) +
           "</table>\n</blockquote></div>\n<!-- satellite data end -->\n" + kBodyEnd + "\n";

    out += "<!-- document footer -->\n<div class=\"footer\">\n<h2>Links:</h2>\n<blockquote>\n"
           "<div style=\"float:right; margin:5px;\">\n"
           "  <div class=\"w3cbutton\">\n    <a title=\"Valid HTML 4.01 Transitional !\" "
           "href=\"https://validator.w3.org/check?uri=referer\" target=\"_blank\">\n"
           "      <span class=\"w3c\">W3C</span>\n      <span class=\"w3cspec\">HTML 4.01 !</span>\n    </a>\n  </div>\n"
           "  <div class=\"w3cbutton\">\n    <a title=\"Valid RSS 2.0 !\" href=\"" +
           HtmlAttribute("https://validator.w3.org/feed/check.cgi?url=" +
                         webtext::UrlQueryValue(settings_.LogURL + "/" + kFeedPath)) +
           "\" target=\"_blank\">\n      <span class=\"w3c\">RSS&nbsp;</span>\n"
           "      <span class=\"w3cspec\">Valid RSS !</span>\n    </a>\n  </div>\n"
           "</div>\n<ol class=\"links\">\n<!--\n" + kLinksMark + "\n-->\n<li><a href=\"#" + number + "\">" +
           Html(sat_->GetPassDescription(0)) + "</a></li>\n";
    if (continuing)
        AppendOlderLinks(old, out);
    // The program has no home page or contact address on the internet: the
    // footer names the version without sending a visitor to a made-up host.
    out += QString("</ol>\n<p class=\"mainp\" style=\"font-size:10px;\">\nDocument built with ") + Html(version) +
           "\n</p>\n</blockquote></div>\n</td></tr></table>\n"
           "</div></div>\n<!-- document footer end -->\n";
    if (continuing)
        AppendOlderEntries(old, out);
    out += "</body>\n</html>";

    if (!dailylog::WriteDailyFile(path, out.toUtf8(), error))
        return false;
    // A new page starts a new feed.
    if (!continuing)
        QFile::remove(folder + "/" + dailylog::kFeed);
    return true;
}
