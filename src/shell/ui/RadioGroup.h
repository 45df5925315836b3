#pragma once
// TRadioGroup: a framed group of radio buttons, one per item, laid out in
// columns, with the chosen item as an index (-1 for none). Setting the index
// checks a button without reporting a click; a click by the user reports
// Click with the new index already in place.
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);

    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton* Button(int index) const;

signals:
    void Click();

private:
    QButtonGroup* group_;
};
