#include "orbit/ui/SatelliteListWidget.h"

#include "orbit/Sat.h"
#include "shell/PList.h"

void FillSatelliteList(QListWidget* list, PList* catalogue, bool showAll, const QString& group)
{
    list->clear();
    for (int i = 0; catalogue && i < catalogue->Count; ++i) {
        auto* sat = static_cast<TSat*>(catalogue->Get(i));
        if (!showAll && sat->Group != group)
            continue;
        auto* item = new QListWidgetItem(QString::fromLatin1(sat->Name));
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(sat)));
        list->addItem(item);
    }
}

TSat* SatelliteOf(const QListWidgetItem* item)
{
    return item ? static_cast<TSat*>(item->data(Qt::UserRole).value<void*>()) : nullptr;
}
