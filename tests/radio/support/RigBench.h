#pragma once
// A receiver link wired to a simulated line on COM1, with the reply limit
// shortened so a receiver that never stops talking is cut short sooner.
#include "radio/Rig.h"
#include "support/PtyLine.h"

// The program's own reply pause: the simulated receiver answers from a thread
// of the test, and on a machine loaded by every test at once that thread can
// wait longer than a shorter pause for its turn, which read as a silent
// receiver.
constexpr int kTestReplyPauseMs = 500;
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
