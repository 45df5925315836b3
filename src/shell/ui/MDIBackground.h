#pragma once
// The MDI area of the main window: its colour, and the background picture
// centred on it while no image window covers it.
#include <QMdiArea>
#include <QPixmap>
#include <functional>

class TMDIBackground : public QMdiArea {
    Q_OBJECT
public:
    // origin: where the picture goes, in the area's coordinates.
    using OriginRule = std::function<QPoint(const QSize& pictureSize)>;
    TMDIBackground(const QPixmap& picture, const QColor& colour, QWidget* parent);
    void SetOriginRule(OriginRule rule) { origin_ = std::move(rule); }
    // Nothing is painted but the colour while this is false (closing, hidden).
    std::function<bool()> MayPaint;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
    OriginRule origin_;
};
