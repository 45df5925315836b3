#include "imaging/ui/ZoomWin.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QSlider>

TZoomWin* ZoomWin = nullptr;

void ShowDIBError(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.exec();
}

TZoomWin::TZoomWin(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      zoom_(std::make_unique<TDIB>(ShowDIBError))
{
    setWindowTitle("Magnifier");
    setFixedSize(kClientWidth, 133);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    auto* panel = new QWidget(this);
    panel->setGeometry(0, height() - kPanelHeight, width(), kPanelHeight);
    panel->setAutoFillBackground(true);
    panel->setPalette(QApplication::palette());
    ScaleBar = new QSlider(Qt::Horizontal, panel);
    ScaleBar->setRange(150, 500);
    ScaleBar->setValue(200);
    ScaleBar->setTickInterval(20);
    ScaleBar->setTickPosition(QSlider::NoTicks);
    ScaleValue = new QLabel("150%", panel);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(2, 2, 2, 2);
    row->addWidget(ScaleBar, 1);
    row->addWidget(ScaleValue);
    connect(ScaleBar, &QSlider::valueChanged, this, &TZoomWin::ScaleBarChange);
    if (!ZoomWin)
        ZoomWin = this;
}

TZoomWin::~TZoomWin()
{
    if (ZoomWin == this)
        ZoomWin = nullptr;
}

void TZoomWin::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (zoom_->IsEmpty() && !zoom_->Allocate(kClientWidth, kClientWidth))
        return;
    SetZoom(ScaleBar->value());
}

void TZoomWin::ScaleBarChange()
{
    SetZoom(ScaleBar->value());
}

void TZoomWin::SetZoom(double percent)
{
    ScaleValue->setText(QString("%1%").arg(qRound(percent)));
    zoom_->SetScale(percent);
}

int TZoomWin::GetSourceSize() const
{
    const int scale = zoom_->GetScale();
    return scale > 0 ? zoom_->Width() / scale : 0;
}

void TZoomWin::UpdateZoom(TDIB* source)
{
    if (!source)
        return;
    if (!source->IsEmpty() && source->GetScale() == zoom_->GetScale()) {
        zoom_->ZoomFrom(*source);
        update();
        return;
    }
    const int side = GetSourceSize();
    if (side > 0 && source->Allocate(side, side))
        source->SetScale(zoom_->GetScale());
}

void TZoomWin::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    zoom_->Draw(0, 0, &painter);
}
