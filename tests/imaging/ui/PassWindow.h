#pragma once
// Image windows of a decoded calibrated pass, for the tests of the window's
// commands: the pass's satellite, and the window inside a main window.
#include "../PassFixtures.h"
#include "imaging/ui/MDIChild.h"
#include "orbit/Sat.h"
#include "shell/ui/MainForm.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

namespace passwindow {

constexpr int kPassLines = 400;

// NOAA 18 with a recording window of 200 s on 1 May 2017.
inline TSat Noaa18Pass(bool northbound)
{
    TSat pass;
    // A pass keeps its name only with its element set.
    char name[] = "NOAA 18";
    EXPECT_TRUE(pass.ParseTLE(name, "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990",
                              "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778"));
    pass.Downlink = "137.9125";
    pass.Northbound = northbound ? 1 : 0;
    pass.FileBaseName = "170501_140000_NOAA_18";
    pass.WindowStart = 13636.5;
    pass.WindowStop = pass.WindowStart + 200.0 / 86400;
    return pass;
}

// The active image window of a decoded calibrated pass.
inline TMDIChild* AddPassWindow(TMainForm& form)
{
    auto* child = new TMDIChild;
    passfixture::FillCompletePass(*child->APT, passfixture::CalibratedPass(kPassLines));
    QMdiSubWindow* window = form.MDIArea()->addSubWindow(child);
    window->resize(400, 240);
    window->show();
    form.MDIArea()->setActiveSubWindow(window);
    QApplication::processEvents();
    return child;
}

}  // namespace passwindow
