#pragma once
// A receiver link wired to a simulated line on COM1, with the reply pause
// shortened so a tuning takes a fraction of a second.
#include "radio/Rig.h"
#include "support/PtyLine.h"

constexpr int kTestReplyPauseMs = 150;
constexpr int kTestReplyLimitMs = 2000;

// The far end of a RIG RX2 or EMGO: they never answer.
struct TByteSink {
    TPtyLine& Line() { return line; }
    TPtyLine line;
};

template <class Far>
struct TRigBench {
    explicit TRigBench(int radio = 0)
    {
        far.Line().MapToPort(1);
        rig.Radio = radio;
        rig.SetReplyTiming(kTestReplyPauseMs, kTestReplyLimitMs);
    }
    Far far;
    TRig rig;  // after far: closed before the line goes
};
