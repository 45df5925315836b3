#pragma once
// Walks a feed file as the reader does (channel part cleared, and in show
// mode the reset style and the empty first line) into a recorder.
#include "publishing/FeedWalker.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace feedtest {

class RecordingSink : public TFeedSink {
public:
    // Each line as "<style in hex>|<line>", the style being the last one set.
    QStringList Lines;
    QStringList Boxes;  // "caption|text"
    int Style = 0;

    void SetParaStyle(int style) override { Style = style; }
    void AppendLine(const QString& line) override { Lines << QString::number(Style, 16) + "|" + line; }
    void ShowError(const QString& text, const QString& caption) override { Boxes << caption + "|" + text; }
};

struct WalkResult {
    bool parsed = false;
    RecordingSink sink;
    TFeedInfo feed;
};

// mode: kWalkShow or kWalkScanRoot.
void Walk(const QString& path, int mode, WalkResult& result);
// Writes text to a new file in the test's program folder and returns its path.
QString WriteFixture(const QString& name, const QByteArray& text);

}  // namespace feedtest
