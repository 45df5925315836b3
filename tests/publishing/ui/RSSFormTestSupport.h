#pragma once
// A feed reader on folders of the test's own: the registry names its
// config and cache folders before the window is made (it reads the
// subscription list when it is created).
#include "publishing/ui/RSSForm.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

class QTreeWidgetItem;

namespace rsstest {

struct Folders {
    QString Config;
    QString Cache;
};

// Makes both folders below the test's program folder and records them.
Folders MakeFolders();
// Writes a file, folders made as needed; false when it cannot be written.
bool WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);
// One list section: URL, link, stories, document, its line, picture, its line.
QByteArray ListSection(int index, const QStringList& lines);
QByteArray ListFile(const QList<QStringList>& feeds);

std::unique_ptr<TRSSForm> MakeReader();
// Links the reader would have opened, instead of a browser.
std::shared_ptr<QStringList> RecordLinks(TRSSForm& reader);

QStringList TopLevelTexts(const TRSSForm& reader);
QStringList ChildTexts(const QTreeWidgetItem* node);
QTreeWidgetItem* NodeWithText(const TRSSForm& reader, const QString& text);
// The text area's paragraphs, as plain text.
QStringList MemoLines(const TRSSForm& reader);

// A small channel picture with a diagonal, as PNG bytes.
QByteArray PngPicture(int width, int height);

// An RSS 2.0 feed: a channel with a picture at imageUrl (none when empty)
// and two items, one of them with HTML in its description.
QByteArray Rss2Feed(const QString& title, const QString& imageUrl);

}  // namespace rsstest
