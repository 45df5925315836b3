#pragma once
// The swath viewer draws its map on a thread of its own: a test waits for the
// draw to end, running the GUI thread's events meanwhile, with a generous bound.
#include "maps/ui/SwathForm.h"

#include <QTest>

inline bool WaitUntilDrawn(const TSwathForm& form)
{
    return QTest::qWaitFor([&] { return !form.IsDrawing(); }, 120000);
}
