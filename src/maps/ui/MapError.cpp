// The map renderer's error box, shown by the windows that own a map.
#include "maps/Map.h"

#include <QMessageBox>

void TMap::ShowError(QWidget* owner, int code)
{
    const QString text = ErrorText(code);
    if (!text.isEmpty())
        QMessageBox::critical(owner, "Swath Viewer Error", text);
}
