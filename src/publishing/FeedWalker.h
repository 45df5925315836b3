#pragma once
// The feed document walker: turns a parsed RSS 0.91-2.0 or RSS 1.0 (RDF)
// document into the lines of the feed reader's text and fills the current
// feed record with what it finds. Elements are recognised by two fixed
// tables, one for the channel and one for items; each recognised element
// with text becomes one line, channel lines centred, item lines bulleted.
// Two modes: show (print and count items) and scan (print nothing, only
// collect the channel's link, title and picture for the download).
//
// Lines and paragraph styles go to a sink (the reader's text area, or a
// test's recorder), so the walk runs without a window.
#include "publishing/FeedInfo.h"

#include <QString>
#include <libxml/tree.h>
#include <memory>

// Where the walker's output goes. Paragraph styles are bits: 0 changes
// nothing, 0x400 left alignment without bullets, 1 centred, 2 bulleted
// (0x401 and 0x402 reset first, then centre or bullet).
class TFeedSink {
public:
    virtual ~TFeedSink() = default;
    virtual void SetParaStyle(int style) = 0;
    // One line, as the document gives it (line breaks inside included).
    virtual void AppendLine(const QString& line) = 0;
    // An error box owned by the reader.
    virtual void ShowError(const QString& text, const QString& caption) = 0;
};

// Walk modes.
enum : int { kWalkRoot = 1, kWalkScan = 4, kWalkShow = kWalkRoot, kWalkScanRoot = kWalkRoot | kWalkScan };

inline constexpr int kChannelElementCount = 21;
// Deeper feeds are refused: real ones nest a few levels, XHTML content a
// few dozen.
inline constexpr int kMaxFeedDepth = 100;
inline constexpr int kItemElementCount = 11;
extern const char* const ChannelElements[kChannelElementCount];
extern const char* const ItemElements[kItemElementCount];

using TXmlDocument = std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)>;

// Feeds are tens of kilobytes; a larger file is not parsed at all.
inline constexpr qint64 kMaxFeedFileBytes = 16 << 20;

// Parses a feed file without touching the network and without loading a
// DTD or external entities; null when it does not parse or is larger than
// kMaxFeedFileBytes.
TXmlDocument ReadFeedDocument(const QString& path);

// The channel title of a feed document (a scan that shows nothing, not
// even an error box); "" when it has none or does not parse.
QString ReadFeedTitle(const QString& path);

class TFeedWalker {
public:
    explicit TFeedWalker(TFeedSink& sink) : sink_(sink) {}

    TFeedInfo* Feed = nullptr;  // the record walked into; not owned
    int DocKind = -1;           // -1 not yet known, 0 RSS, 1 RDF

    // The entry point, with the root element and kWalkShow or kWalkScanRoot.
    // The caller clears the record's channel part first.
    void WalkNodes(xmlNode* nodes, int mode);
    void WalkChannel(xmlNode* nodes, int mode);
    void PrintItem(xmlNode* nodes);
    void WalkRDF(xmlNode* nodes, int mode);
    bool PrintElement(int index, const QString& text, bool inItem, bool first);

    // An element's text, given its first child: that child's whole content
    // when it is a text node holding anything but white space, else "".
    static QString NodeText(const xmlNode* node);
    static int ChannelIndex(const char* name);
    static int ItemIndex(const char* name);

private:
    bool DetectKind(const xmlNode* root);
    bool Stopped(int mode) const;

    TFeedSink& sink_;
    bool ended_ = false;  // a failed kind check, a too deep feed or the end of an RDF scan
};
