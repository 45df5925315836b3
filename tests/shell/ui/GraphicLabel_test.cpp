#include "shell/ui/GraphicLabel.h"
#include "shell/ui/URLLabel.h"

#include <QDesktopServices>
#include <QImage>
#include <QUrl>
#include <gtest/gtest.h>

TEST(GraphicLabel, CaptionOriginFollowsAlignmentAndOffsets)
{
    struct Case {
        const char* name;
        TGLTextHorzAlign horz;
        TGLTextVertAlign vert;
        int textWidth;
        QPoint origin;
    };
    const Case cases[] = {
        {"centred ignores the offsets", thCenter, tvCenter, 41, {29, 5}},
        {"right minus the offset", thRight, tvBottom, 41, {57, 7}},
        {"left at the offset", thLeft, tvTop, 41, {2, 3}},
        {"wider than the label", thCenter, tvCenter, 141, {-20, 5}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TGraphicLabel::TextOrigin(QSize(100, 20), QSize(c.textWidth, 10), c.horz, c.vert, 2, 3), c.origin)
            << c.name;
}

TEST(GraphicLabel, PaintsTheCaptionWhereTheAlignmentPutsIt)
{
    TGraphicLabel label;
    EXPECT_EQ(label.TextHorzAlign(), thCenter);
    EXPECT_EQ(label.xOffset(), 2);
    label.resize(200, 30);
    label.SetTransparent(false);
    label.SetColor(Qt::white);
    QPalette black = label.palette();
    black.setColor(QPalette::WindowText, Qt::black);
    label.setPalette(black);

    auto inkColumns = [&label] {
        const QImage shot = label.grab().toImage();
        int first = -1, last = -1;
        for (int x = 0; x < shot.width(); ++x)
            for (int y = 0; y < shot.height(); ++y)
                if (qGray(shot.pixel(x, y)) < 128) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
        return std::pair{first, last};
    };
    EXPECT_EQ(inkColumns().first, -1) << "an empty caption paints only the background";

    label.setText("IIII");
    label.FSetHorzAlign(thLeft);
    label.FSetxOffset(40);
    const auto left = inkColumns();
    EXPECT_GE(left.first, 40);
    EXPECT_LE(left.first, 43);
    label.FSetHorzAlign(thRight);
    label.FSetxOffset(10);
    const auto right = inkColumns();
    EXPECT_LE(right.second, 189);
    EXPECT_GE(right.second, 186);
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QStringList Opened;
public slots:
    void Open(const QUrl& url) { Opened << url.toString(); }
};

TEST(URLLabel, ClickRunsOnClickThenOpensTheCaption)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    TURLLabel label;
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(Qt::blue));
    QStringList order;
    QObject::connect(&label, &TURLLabel::OnClick, [&] { order << "OnClick:" + QString::number(catcher.Opened.size()); });

    label.setText("https://example.org/passes");
    label.Click();
    EXPECT_EQ(order, QStringList{"OnClick:0"});
    EXPECT_EQ(catcher.Opened, QStringList{"https://example.org/passes"});

    label.setText("");
    label.Click();
    EXPECT_EQ(catcher.Opened.size(), 1) << "an empty caption opens nothing";
    QDesktopServices::unsetUrlHandler("https");
}

#include "GraphicLabel_test.moc"
