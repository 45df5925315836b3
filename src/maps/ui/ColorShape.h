#pragma once
// TColorShape: a 24 x 24 colour swatch of the settings dialogs, with a hand
// cursor; pressing or releasing the mouse on it asks for a colour.
#include "platform/Color.h"

#include <QFrame>

class TColorShape : public QFrame {
    Q_OBJECT
public:
    explicit TColorShape(QWidget* parent = nullptr);
    TColor Color() const { return color_; }
    void SetColor(TColor color);

signals:
    void Pressed();
    void Released();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TColor color_ = 0;
};

// TColor (0x00BBGGRR) and QColor.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);
