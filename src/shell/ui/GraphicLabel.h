#pragma once
// TGraphicLabel: a label that paints its caption itself, placed by a
// vertical and a horizontal alignment and pixel offsets (the status labels
// over the image windows).
#include <QLabel>

enum TGLTextVertAlign { tvTop, tvCenter, tvBottom };
enum TGLTextHorzAlign { thLeft, thCenter, thRight };

class TGraphicLabel : public QLabel {
    Q_OBJECT
public:
    explicit TGraphicLabel(QWidget* parent = nullptr);

    TGLTextVertAlign TextVertAlign() const { return vertAlign_; }
    TGLTextHorzAlign TextHorzAlign() const { return horzAlign_; }
    int xOffset() const { return xOffset_; }
    int yOffset() const { return yOffset_; }
    bool Transparent() const { return transparent_; }
    QColor Color() const { return color_; }

    // A different value is stored and the label repainted; an equal one does nothing.
    void FSetVertAlign(TGLTextVertAlign value);
    void FSetHorzAlign(TGLTextHorzAlign value);
    void FSetxOffset(int value);
    void FSetyOffset(int value);
    void SetTransparent(bool value);
    void SetColor(const QColor& value);

    // Paints at once.
    void Refresh();

    // Where a caption of textSize starts in a label of labelSize: the
    // centred axis ignores its offset; truncated toward zero, may be negative.
    static QPoint TextOrigin(QSize labelSize, QSize textSize, TGLTextHorzAlign horz, TGLTextVertAlign vert,
                             int xOffset, int yOffset);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TGLTextVertAlign vertAlign_ = tvCenter;
    TGLTextHorzAlign horzAlign_ = thCenter;
    int xOffset_ = 2;
    int yOffset_ = 2;
    bool transparent_ = true;
    QColor color_;
};
