#include "LogTestSupport.h"

#include "AptTestHelpers.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>
#include <QFileInfo>
#include <cstring>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

namespace logtest {
namespace {

const char kNoaa18Line1[] = "1 28654U 05018A   17122.57284716  .00000011  00000-0  31613-4 0  9992";
const char kNoaa18Line2[] = "2 28654  99.1857 143.6655 0014096 195.4970 164.5770 14.12335206615729";

QString Content(xmlNode* node)
{
    xmlChar* text = xmlNodeGetContent(node);
    const QString out = QString::fromUtf8(reinterpret_cast<const char*>(text));
    xmlFree(text);
    return out;
}

xmlNode* Child(xmlNode* parent, const char* name)
{
    for (xmlNode* n = parent ? parent->children : nullptr; n; n = n->next)
        if (n->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0)
            return n;
    return nullptr;
}

void CollectTexts(xmlNode* node, const char* element, QStringList& out)
{
    for (xmlNode* n = node; n; n = n->next) {
        if (n->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(n->name), element) == 0)
            out << Content(n);
        CollectTexts(n->children, element, out);
    }
}

QString RunLint(const QStringList& args)
{
    QProcess lint;
    lint.start("xmllint", args);
    if (!lint.waitForFinished(30000))
        return "xmllint did not run: " + lint.errorString();
    return QString::fromUtf8(lint.readAllStandardError()) +
           (lint.exitCode() != 0 ? QString("exit code %1").arg(lint.exitCode()) : QString());
}

}  // namespace

MagickImagePtr TestRenderer::RenderView(const Image* lut, int type)
{
    calls << QString::number(type) + (lut ? "+lut" : "");
    if (failTypes.contains(type))
        return nullptr;
    std::vector<unsigned char> pixels(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &pixels[(size_t(y) * width + x) * 3];
            p[0] = static_cast<unsigned char>(x * 255 / width);
            p[1] = static_cast<unsigned char>(y * 255 / height);
            p[2] = static_cast<unsigned char>(40 + type * 25);
        }
    EnsureMagickCore();
    ExceptionInfo* exception = AcquireExceptionInfo();
    MagickImagePtr image(ConstituteImage(width, height, "RGB", CharPixel, pixels.data(), exception));
    DestroyExceptionInfo(exception);
    return image;
}

QString WriteLookUpTable(const QString& path)
{
    QImage table(100, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 100; ++x)
            table.setPixel(x, y, qRgb(y, 255 - y, x));
    QDir().mkpath(QFileInfo(path).path());
    table.save(path);
    return path;
}

TSat Noaa18Pass(int n, const QString& stationName)
{
    static TStation station{stationName, -10.0, 50.0, 100.0};
    station.Name = stationName;
    TSat sat;
    char name[] = "NOAA 18";
    sat.ParseTLE(name, kNoaa18Line1, kNoaa18Line2);
    sat.SetStation(&station);
    sat.Downlink = "137.9125";
    constexpr double step = 10.0 / 86400.0;
    double day = DateTimeToDayNumber(EncodeDateTime(2017, 5, 2, 14, 0, 0));
    auto elevationAt = [&](double t) {
        sat.Time = t;
        sat.ComputePosition();
        return sat.Elevation;
    };
    for (int pass = 0;; ++pass) {
        while (elevationAt(day) > 0)
            day += step;
        while (elevationAt(day) <= 0)
            day += step;
        const double rise = day;
        const double riseLatitude = sat.Latitude;
        while (elevationAt(day) > 0)
            day += step;
        if (pass == n) {
            sat.WindowStart = rise;
            sat.WindowStop = day;
            sat.AOS = rise;
            sat.LOS = day;
            sat.Northbound = sat.Latitude > riseLatitude;
            sat.Daylight = 1;
            sat.Station = nullptr;  // a pass keeps its own copy of the station
            return sat;
        }
    }
}

void FillEngine(TAPT& apt)
{
    aptgen::PassSpec spec;
    spec.lines = 400;
    spec.frameOffset = 37;
    apttest::FillLines(apt, spec);
    apt.SpacecraftModel = scNOAA18;
    // As the finished pass leaves it: the grey image built, the telemetry
    // frames found.
    apt.SaveImage(2);
}

TSetting LogSettings(std::initializer_list<int> types)
{
    TSetting settings;
    settings.LogModes = 0x8;
    settings.LogURL = "http://apt.example.org/logs";
    settings.BlogTitle = "Testville APT";
    settings.Email = "station@example.org";
    for (const int type : types)
        settings.LogImages.Add(new TLogImage(TLogger::kProductNames[type], type));
    return settings;
}

TLogSource Station::Source(const TSat& pass)
{
    TLogSource source;
    source.Engine = &engine;
    source.Pass = pass;
    source.Renderer = &renderer;
    source.LogDir = LogDir();
    source.ReceiverName = "R2FX";
    return source;
}

QString LogDir() { return testenv::ProgramDir() + "html"; }
QString DailyDir() { return LogDir() + "/daily"; }

QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void SetModified(const QString& path, const QDateTime& when)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        file.setFileTime(when, QFileDevice::FileModificationTime);
}

QString HtmlLint(const QString& path) { return RunLint({"--html", "--noout", path}); }
QString XmlLint(const QString& path) { return RunLint({"--noout", "--nonet", path}); }

bool ReadFeed(const QString& path, std::vector<FeedItem>& items, QString& channelTitle, QString& imageUrl)
{
    items.clear();
    xmlDoc* doc = xmlReadFile(path.toUtf8().constData(), nullptr, XML_PARSE_NONET);
    if (!doc)
        return false;
    xmlNode* channel = Child(xmlDocGetRootElement(doc), "channel");
    channelTitle = Content(Child(channel, "title"));
    imageUrl = Content(Child(Child(channel, "image"), "url"));
    for (xmlNode* n = channel ? channel->children : nullptr; n; n = n->next)
        if (n->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(n->name), "item") == 0)
            items.push_back({Content(Child(n, "title")), Content(Child(n, "link")), Content(Child(n, "description")),
                             Content(Child(n, "pubDate"))});
    xmlFreeDoc(doc);
    return channel != nullptr;
}

QStringList HtmlTexts(const QString& path, const char* element)
{
    QStringList out;
    htmlDocPtr doc = htmlReadFile(path.toUtf8().constData(), nullptr, HTML_PARSE_NONET | HTML_PARSE_NOERROR |
                                                                          HTML_PARSE_NOWARNING);
    if (!doc)
        return out;
    CollectTexts(xmlDocGetRootElement(doc), element, out);
    xmlFreeDoc(doc);
    return out;
}

QImage Screenshot(const QString& pagePath, QString& reason)
{
    QTemporaryDir profile, output;
    const QString shot = output.filePath("page.png");
    QProcess chromium;
    chromium.setProcessChannelMode(QProcess::MergedChannels);
    chromium.start("chromium", {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                                "--hide-scrollbars", "--user-data-dir=" + profile.path(), "--window-size=1000,1400",
                                "--screenshot=" + shot, QUrl::fromLocalFile(pagePath).toString()});
    if (!chromium.waitForStarted(10000)) {
        reason = "chromium is not installed (add it with scripts/setup-deps.sh)";
        return {};
    }
    if (!chromium.waitForFinished(90000)) {
        chromium.kill();
        chromium.waitForFinished(5000);
        reason = "chromium did not finish within 90 s";
        return {};
    }
    QImage image(shot);
    if (image.isNull())
        reason = "chromium wrote no screenshot: " + QString::fromLocal8Bit(chromium.readAll()).right(2000);
    return image;
}

}  // namespace logtest
