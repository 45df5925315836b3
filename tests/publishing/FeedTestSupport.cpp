#include "FeedTestSupport.h"

#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace feedtest {

void Walk(const QString& path, int mode, WalkResult& result)
{
    TXmlDocument doc = ReadFeedDocument(path);
    result.parsed = doc != nullptr;
    if (!doc)
        return;
    result.feed.ClearChannel();
    if (!(mode & kWalkScan)) {
        result.sink.SetParaStyle(0x401);
        result.sink.AppendLine(QString());
    }
    TFeedWalker walker(result.sink);
    walker.Feed = &result.feed;
    walker.WalkNodes(xmlDocGetRootElement(doc.get()), mode);
}

QString WriteFixture(const QString& name, const QByteArray& text)
{
    const QString path = testenv::ProgramDir() + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
    return path;
}

}  // namespace feedtest
