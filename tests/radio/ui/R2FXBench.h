#pragma once
// The R2FX window on a simulated receiver (COM1, short reply pauses), and
// what the tests read off the window's surface.
#include "radio/ui/R2FXForm.h"
#include "radio/ui/R2FXThread.h"
#include "support/R2FXSimulator.h"
#include "support/RigBench.h"

#include <QTest>
#include <functional>

namespace r2fxtest {

// Runs the event loop (and so the thread's steps) until done() or timeoutMs.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000)
{
    return QTest::qWaitFor(done, timeoutMs);
}

// The lit lamps of a row on the surface: lamp i sits at left + 18 i.
inline QList<bool> LitLamps(const QImage& surface, int left, int top, int count, const QImage& on)
{
    QList<bool> lit;
    const QImage converted = surface.convertToFormat(on.format());
    for (int i = 0; i < count; ++i)
        lit << (converted.copy(left + 18 * i, top, on.width(), on.height()) == on);
    return lit;
}

inline QList<bool> MeterLamps(const TR2FXForm& form, const QImage& surface)
{
    return LitLamps(surface, 47, 91, 4, form.s_1_image);
}

inline QList<bool> ChannelLamps(const TR2FXForm& form, const QImage& surface)
{
    return LitLamps(surface, 217, 90, 6, form.ch_1_image);
}

struct R2FXWindowBench {
    R2FXWindowBench()
    {
        form.Rig = &bench.rig;
    }
    ~R2FXWindowBench() { form.StopPollThread(); }
    bool Connect() { return form.ConnectReceiver(false); }

    TRigBench<TR2FXSimulator> bench;
    TR2FXForm form;  // after the bench: its thread stops before the link goes
};

}  // namespace r2fxtest
