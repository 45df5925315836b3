#include "RSSFormTestSupport.h"

#include "shell/RegistryHelpers.h"
#include "support/TestEnv.h"
#include "publishing/ui/RSSMemo.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTextBlock>
#include <QTreeWidget>

namespace rsstest {

Folders MakeFolders()
{
    Folders folders{testenv::ProgramDir() + "config", testenv::ProgramDir() + "html/rss"};
    QDir().mkpath(folders.Config);
    QDir().mkpath(folders.Cache);
    WriteRegistryString("APT\\Paths", "Config", folders.Config);
    WriteRegistryString("APT\\Paths", "RSS", folders.Cache);
    return folders;
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray ListSection(int index, const QStringList& lines)
{
    QByteArray out = "[Feed-" + QByteArray::number(index) + "]\n";
    for (const QString& line : lines)
        out += line.toUtf8() + "\n";
    return out;
}

QByteArray ListFile(const QList<QStringList>& feeds)
{
    QByteArray out = "[Version]\n1.0.0\n";
    for (int i = 0; i < feeds.size(); ++i)
        out += ListSection(i, feeds[i]);
    return out;
}

std::unique_ptr<TRSSForm> MakeReader()
{
    return std::make_unique<TRSSForm>();
}

std::shared_ptr<QStringList> RecordLinks(TRSSForm& reader)
{
    auto opened = std::make_shared<QStringList>();
    reader.OpenLink = [opened](const QString& link) { opened->append(link); };
    return opened;
}

QStringList TopLevelTexts(const TRSSForm& reader)
{
    QStringList texts;
    for (int i = 0; i < reader.tw->topLevelItemCount(); ++i)
        if (!reader.tw->topLevelItem(i)->isHidden())
            texts << reader.tw->topLevelItem(i)->text(0);
    return texts;
}

QStringList ChildTexts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; node && i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

QTreeWidgetItem* NodeWithText(const TRSSForm& reader, const QString& text)
{
    for (int i = 0; i < reader.tw->topLevelItemCount(); ++i)
        if (reader.tw->topLevelItem(i)->text(0) == text)
            return reader.tw->topLevelItem(i);
    return nullptr;
}

QStringList MemoLines(const TRSSForm& reader)
{
    QStringList lines;
    for (QTextBlock block = reader.memo->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

QByteArray PngPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(Qt::red);
    painter.drawLine(0, 0, width - 1, height - 1);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

QByteArray Rss2Feed(const QString& title, const QString& imageUrl)
{
    QByteArray image;
    if (!imageUrl.isEmpty())
        image = "<image><url>" + imageUrl.toUtf8() + "</url><title>Station logo</title>"
                "<link>http://station.example.org/</link></image>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
           "<title>" + title.toUtf8() + "</title><link>http://station.example.org/</link>"
           "<description>Passes of the day</description>" + image +
           "<item><title>NOAA 19 at 10:04</title><link>http://station.example.org/n19.html</link>"
           "<description>&lt;b&gt;Clear&lt;/b&gt; sky, see http://station.example.org/map.</description></item>"
           "<item><title>NOAA 18 at 11:40</title><guid>n18</guid></item>"
           "</channel></rss>\n";
}

}  // namespace rsstest
