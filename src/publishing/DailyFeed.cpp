// The RSS 2.0 feed of the daily log, "daily_apt_blog.xml": the channel head,
// the new item, then the items of earlier runs of the day, newest first.
// Like the page it is rewritten whole by every run; the earlier items and
// the closing lines come from its working copy "daily_apt_blog.txt", from
// the first line holding "<item>" to the end.
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <rss version="2.0">
//     <channel>
//       <title>...</title> ... <image>...</image>
//       <item> (this run) </item>
//       <item> (earlier runs) </item>
//     </channel>
//   </rss>
#include "publishing/Logger.h"

#include "platform/CNumbers.h"
#include "publishing/DailyLogFiles.h"
#include "publishing/WebText.h"
#include "shell/RegistryHelpers.h"

#include <QFile>

namespace {

using webtext::Xml;

constexpr char kDocs[] = "https://www.rssboard.org/rss-specification";
constexpr char kItemMark[] = "<item>";
constexpr char kClosing[] = "  </channel>\n</rss>\n";

// The channel's picture: the first false-colour or temperature product,
// else the last product of the run.
const TLogImage* ChannelImage(const TLogImageList& images)
{
    for (int i = 0; i < images.Count; ++i) {
        const int type = images.At(i)->Type;
        if (type == 4 || type == 5 || type == 6)
            return images.At(i);
    }
    return static_cast<const TLogImage*>(images.Last());
}

}  // namespace

bool TLogger::WriteFeed(const QString& path, QString& error)
{
    QStringList earlier;
    if (dailylog::PrepareContinue(path)) {
        QStringList old;
        int first = -1;
        if (dailylog::ReadLines(dailylog::WorkingCopyPath(path), old))
            for (int i = 0; i < old.size() && first < 0; ++i)
                if (old[i].contains(kItemMark))
                    first = i;
        if (first < 0) {
            // Nothing to continue: without the feed the next run starts anew.
            QFile::remove(path);
            error = "The feed's working copy " + dailylog::WorkingCopyPath(path) + " holds no item.";
            return false;
        }
        earlier = old.mid(first);
    }

    const QString url = webtext::Url(settings_.LogURL);
    const QString editor = Xml(settings_.Email.isEmpty() ? "N/A" : settings_.Email);
    const QString pubDate = FormatRFC822Date(NowUTC());
    const QString satName = SatName(*sat_);
    const TLogImage* picture = ChannelImage(images_);
    if (!picture)
        return false;

    QString out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">\n  <channel>\n"
                  "    <title>" + Xml(settings_.BlogTitle) + "</title>\n"
                  "    <link>" + Xml(url) + "/daily/index.html</link>\n"
                  "    <description>The latest NOAA POES APT satellite images from " + Xml(sat_->GetStationText(1)) +
                  "</description>\n    <language>en-us</language>\n"
                  "    <managingEditor>" + editor + "</managingEditor>\n"
                  "    <webMaster>" + editor + "</webMaster>\n"
                  "    <pubDate>" + pubDate + "</pubDate>\n"
                  "    <category>NOAA POES APT Weather Satellite Imaging</category>\n"
                  "    <generator>" + Xml(ReadRegistryString("APT", "VersionStr")) + "</generator>\n"
                  "    <docs>" + kDocs + "</docs>\n"
                  "    <image>\n      <title>" + Xml(satName + " " + picture->Name) + "</title>\n"
                  "      <url>" + Xml(url) + "/daily/images/thumbs/" + Xml(webtext::Url(picture->FileName)) + "</url>\n"
                  "      <link>" + Xml(url) + "/daily/index.html</link>\n    </image>\n"
                  "    <item>\n      <title>Images from " + Xml(satName) + " at " + pubDate + "</title>\n"
                  "      <link>" + Xml(url) + "/daily/index.html#" + QString("%1").arg(entryNumber_, 3, 10, QChar('0')) +
                  "</link>\n      <description>" + Xml(sat_->GetPassDescription(0)) + ". Maximum elevation was " +
                  QString::fromStdString(cnum::Format("%.2f", passTable_.MaxElevationDeg)) +
                  " degrees.</description>\n      <pubDate>" + pubDate + "</pubDate>\n    </item>\n";
    if (earlier.isEmpty())
        out += kClosing;
    else
        out += earlier.join('\n') + "\n";
    return dailylog::WriteDailyFile(path, out.toUtf8(), error);
}
