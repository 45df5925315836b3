#pragma once
// TZoomWin, the magnifier: a small tool window, always on top, that shows
// enlarged the part of the active image around the mouse pointer. The image
// window fills a source bitmap (the main window's Magnifier) and hands it to
// UpdateZoom; the window keeps the source square sized to its scale.
#include "imaging/DIB.h"

#include <QWidget>
#include <memory>

class QLabel;
class QSlider;

class TZoomWin : public QWidget {
    Q_OBJECT
public:
    explicit TZoomWin(QWidget* parent = nullptr);
    ~TZoomWin() override;

    // The source side that fills the zoom at the current integer scale.
    int GetSourceSize() const;
    // Zooms source when its integer scale matches; otherwise re-sizes the
    // source for the next call and draws nothing.
    void UpdateZoom(TDIB* source);
    void SetZoom(double percent);

    TDIB* Zoom() const { return zoom_.get(); }
    QSlider* ScaleBar;
    QLabel* ScaleValue;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ScaleBarChange();

    std::unique_ptr<TDIB> zoom_;
    static constexpr int kClientWidth = 122;
    static constexpr int kPanelHeight = 30;
};

// Reports a bitmap failure in an error box without owner.
void ShowDIBError(const QString& text, const QString& caption);

// The magnifier of the running program (null before it is made).
extern TZoomWin* ZoomWin;
