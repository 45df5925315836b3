#include "imaging/ui/ZoomWinControl.h"

#include "imaging/ui/ZoomWin.h"

void CloseZoomWindow()
{
    if (ZoomWin && ZoomWin->isVisible())
        ZoomWin->close();
}
