#include "publishing/FeedWalker.h"

#include "platform/CNumbers.h"

#include <QFile>
#include <QFileInfo>
#include <libxml/parser.h>

// Table spellings are the labels of the printed lines.
const char* const ChannelElements[kChannelElementCount] = {
    "Title",     "Link",      "Description", "Language", "Copyright", "ManagingEditor", "WebMaster",
    "PubDate",   "LastBuildDate", "Category", "Generator", "Docs",    "Cloud",          "TTL",
    "image",     "url",       "Rating",      "textinput", "skipHours", "skipDays",      "channel"};
const char* const ItemElements[kItemElementCount] = {"Title",    "Link",      "Description", "Author",
                                                     "Category", "Comments",  "Enclosure",   "Guid",
                                                     "PubDate",  "Source",    "item"};

namespace {

enum ChannelIndexOf {
    kTitle = 0,
    kLink = 1,
    kCloud = 12,
    kTTL = 13,
    kImage = 14,
    kUrl = 15,
    kRating = 16,
    kTextInput = 17
};
enum ItemIndexOf { kEnclosure = 6, kGuid = 7, kItem = 10 };

bool IsElement(const xmlNode* node)
{
    return node->type == XML_ELEMENT_NODE;
}

const char* NameOf(const xmlNode* node)
{
    return node->name ? reinterpret_cast<const char*>(node->name) : "";
}

int IndexIn(const char* const* table, int count, const char* name)
{
    const QByteArray wanted = QByteArray(name).toLower();
    for (int i = 0; i < count; ++i)
        if (QByteArray(table[i]).toLower() == wanted)
            return i;
    return -1;
}

// Accepted versions, both included.
constexpr double kLowestVersion = 0.91, kHighestVersion = 2.0;

// An image or text-input block has a title and link of its own, which
// print with it but never stand for the channel's.
bool IsSideBlock(const xmlNode* node)
{
    if (!node || !IsElement(node))
        return false;
    const int index = TFeedWalker::ChannelIndex(NameOf(node));
    return index == kImage || index == kTextInput;
}

// Whether elements below the list nest deeper than limit levels (the
// list's own being the first), found without recursion.
bool DeeperThan(const xmlNode* nodes, int limit)
{
    int depth = 1;
    const xmlNode* node = nodes;
    while (node) {
        if (IsElement(node) && node->children) {
            if (++depth > limit)
                return true;
            node = node->children;
            continue;
        }
        while (node && !node->next) {
            node = node->parent;
            --depth;
            if (depth < 1 || !node)
                return false;
        }
        if (node)
            node = node->next;
    }
    return false;
}

}  // namespace

TXmlDocument ReadFeedDocument(const QString& path)
{
    if (QFileInfo(path).size() > kMaxFeedFileBytes)
        return TXmlDocument(nullptr, xmlFreeDoc);
    // No XML_PARSE_NOENT or XML_PARSE_DTDLOAD: an entity naming a file or an
    // address stays an unresolved reference, and its content never shows.
    xmlDocPtr doc = xmlReadFile(QFile::encodeName(path).constData(), nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    return TXmlDocument(doc, xmlFreeDoc);
}

QString ReadFeedTitle(const QString& path)
{
    class Silent : public TFeedSink {
        void SetParaStyle(int) override {}
        void AppendLine(const QString&) override {}
        void ShowError(const QString&, const QString&) override {}
    } sink;
    const TXmlDocument doc = ReadFeedDocument(path);
    if (!doc)
        return {};
    TFeedInfo scratch;
    TFeedWalker walker(sink);
    walker.Feed = &scratch;
    walker.WalkNodes(xmlDocGetRootElement(doc.get()), kWalkScanRoot);
    return scratch.Title;
}

int TFeedWalker::ChannelIndex(const char* name)
{
    return IndexIn(ChannelElements, kChannelElementCount, name);
}

int TFeedWalker::ItemIndex(const char* name)
{
    return IndexIn(ItemElements, kItemElementCount, name);
}

QString TFeedWalker::NodeText(const xmlNode* node)
{
    if (!node || node->type != XML_TEXT_NODE || !node->content)
        return {};
    // Any script counts: a title in Japanese or Greek is as much a title as
    // one in Latin letters; only white space is no text.
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(node->content));
    for (QChar c : text)
        if (!c.isSpace())
            return text;
    return {};
}

bool TFeedWalker::Stopped(int mode) const
{
    return ended_ || ((mode & kWalkScan) && Feed && (Feed->Flags & TFeedInfo::ImageKnown));
}

bool TFeedWalker::DetectKind(const xmlNode* root)
{
    const QByteArray name = QByteArray(NameOf(root)).toLower();
    if (name.contains("rss")) {
        for (const xmlAttr* attr = root->properties; attr; attr = attr->next) {
            if (!attr->children || !attr->children->content)
                continue;
            const double version = cnum::ParseFloat(std::string_view(reinterpret_cast<const char*>(attr->children->content)));
            if (version >= kLowestVersion && version <= kHighestVersion) {
                DocKind = 0;
                return true;
            }
        }
        sink_.ShowError("Unsupported RSS version!\n\nVersions between 0.91 and 2.0 is supported only.",
                        "Error: Invalid version!");
        return false;
    }
    if (name.contains("rdf")) {
        DocKind = 1;
        return true;
    }
    sink_.ShowError("Unsupported XML document!", "Error: Invalid document type!");
    return false;
}

void TFeedWalker::WalkNodes(xmlNode* nodes, int mode)
{
    if (mode & kWalkRoot) {
        DocKind = -1;
        ended_ = false;
        // Refused before the walk starts, so its recursion stays bounded.
        if (DeeperThan(nodes, kMaxFeedDepth)) {
            sink_.ShowError(QString("The feed is nested deeper than %1 levels!").arg(kMaxFeedDepth),
                            "Error: Invalid document type!");
            ended_ = true;
            return;
        }
    }
    for (xmlNode* node = nodes; node; node = node->next) {
        if (Stopped(mode))
            break;
        // Only elements have content to walk: an entity reference's children
        // are its declaration, linked to the other declarations of the DTD,
        // which would lead the walk round in a circle.
        if (!IsElement(node))
            continue;
        if (mode & kWalkRoot) {
            if (!DetectKind(node)) {
                ended_ = true;
                break;
            }
            mode &= ~kWalkRoot;
        }
        if (DocKind == 0) {
            WalkChannel(node->children, mode);
            WalkNodes(node->children, mode);
        } else if (DocKind == 1) {
            WalkRDF(node->children, mode);
        }
    }
}

void TFeedWalker::WalkChannel(xmlNode* nodes, int mode)
{
    const bool sideBlock = nodes && IsSideBlock(nodes->parent);
    bool first = true;
    for (xmlNode* node = nodes; node; node = node->next) {
        if (Stopped(mode))
            return;
        if (!IsElement(node))
            continue;
        int index;
        if (Feed->Flags & TFeedInfo::InItems) {
            index = ItemIndex(NameOf(node));
        } else {
            index = ChannelIndex(NameOf(node));
            if (index < 0 && ItemIndex(NameOf(node)) == kItem) {
                index = kItem;
                Feed->Flags |= TFeedInfo::InItems;
            }
            // Any other item-only name (author, guid, ...) has no channel
            // meaning; taking its item index as a channel index would print
            // it under a wrong label.
        }
        if (index < 0)
            continue;
        QString text = NodeText(node->children);
        if (Feed->Flags & TFeedInfo::InItems) {
            if (!(mode & kWalkScan) && index == kItem)
                PrintItem(node->children);
            continue;
        }
        if (index == kTitle && !sideBlock) {
            Feed->Title = text;
        } else if (index == kLink && !sideBlock) {
            Feed->Link = text;
        } else if (index == kImage) {
            text.clear();
            for (xmlNode* child = node->children; child && !(Feed->Flags & TFeedInfo::ImageKnown); child = child->next) {
                if (!IsElement(child) || !child->children)
                    continue;
                const int childIndex = ChannelIndex(NameOf(child));
                if (childIndex == kUrl)
                    Feed->ImageURL = NodeText(child->children);
                else if (childIndex == kTitle)
                    Feed->ImageTitle = NodeText(child->children);
                if (!Feed->ImageURL.isEmpty() && !Feed->ImageTitle.isEmpty())
                    Feed->Flags |= TFeedInfo::ImageKnown;
            }
        }
        if (!(mode & kWalkScan) && PrintElement(index, text, false, first))
            first = false;
    }
}

void TFeedWalker::PrintItem(xmlNode* nodes)
{
    bool first = true;
    for (xmlNode* node = nodes; node; node = node->next) {
        if (!IsElement(node))
            continue;
        const QString text = NodeText(node->children);
        if (text.isEmpty())
            continue;
        if (PrintElement(ItemIndex(NameOf(node)), text, true, first) && first) {
            first = false;
            ++Feed->Stories;
        }
    }
}

void TFeedWalker::WalkRDF(xmlNode* nodes, int mode)
{
    for (xmlNode* node = nodes; node; node = node->next) {
        if (Stopped(mode))
            return;
        if (!IsElement(node))
            continue;
        if (ChannelIndex(NameOf(node)) >= 0) {
            WalkChannel(node->children, mode & kWalkScan);
        } else if (ItemIndex(NameOf(node)) >= 0) {
            if (mode & kWalkScan) {
                ended_ = true;
                return;
            }
            PrintItem(node->children);
        }
    }
}

bool TFeedWalker::PrintElement(int index, const QString& text, bool inItem, bool first)
{
    if (text.isEmpty() || index < 0)
        return false;
    if (inItem) {
        if (index == kEnclosure || index == kGuid || index >= kItemElementCount)
            return false;
        sink_.SetParaStyle(first ? 0x402 : 2);
        if (first)
            sink_.AppendLine(QString());
        sink_.AppendLine(QString(ItemElements[index]) + ": " + text);
        return true;
    }
    if (index >= kChannelElementCount)
        return false;
    sink_.SetParaStyle(first ? 0x401 : 1);
    if (index == kTitle || index == kLink) {
        sink_.AppendLine(text);  // the channel's own, or a side block's
    } else if (index == kCloud || index == kTTL || index == kImage || index >= kRating) {
        return false;
    } else {
        sink_.AppendLine(QString(ChannelElements[index]) + ": " + text);
    }
    return true;
}
