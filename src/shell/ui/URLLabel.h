#pragma once
// TURLLabel: a label that looks like a web link and opens its caption with
// the desktop's handler when clicked.
#include <QLabel>

class TURLLabel : public QLabel {
    Q_OBJECT
public:
    explicit TURLLabel(QWidget* parent = nullptr);

    // The click: OnClick first, then the caption is opened; a refusal of the
    // desktop is ignored.
    void Click();

signals:
    void OnClick();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
