#include "shell/ui/RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this))
{
    auto* grid = new QGridLayout(this);
    const int rows = (items.size() + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        group_->addButton(button, i);
        grid->addWidget(button, i % rows, i / rows);
    }
    connect(group_, &QButtonGroup::idClicked, this, [this] { emit Click(); });
}

int TRadioGroup::ItemIndex() const
{
    return group_->checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton* button = group_->button(index)) {
        button->setChecked(true);
        return;
    }
    // No item: clear the check, which an exclusive group would refuse.
    if (QAbstractButton* checked = group_->checkedButton()) {
        group_->setExclusive(false);
        checked->setChecked(false);
        group_->setExclusive(true);
    }
}

QRadioButton* TRadioGroup::Button(int index) const
{
    return static_cast<QRadioButton*>(group_->button(index));
}
