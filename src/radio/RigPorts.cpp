// The line settings of each receiver model, applied when the link opens.
#include "radio/Rig.h"

namespace {

struct TModelPort {
    int radio;
    bool dtrEnable;    // DTR raised while the port is set up
    bool discardNull;  // drop received zero bytes
    TCommTimeouts timeouts;
};

// All models run 8 data bits, no parity, one stop bit, no flow control, at
// the model's default rate. The R2FX answers each character: a read returns
// after 10 bytes, a 100 ms gap, or 10 ms a byte + 100 ms. The RIG RX2 and the
// EMGO never answer: reads return at once with what has come. Writes are
// bounded for every model (100 ms a byte + 1 s), so a stalled line fails a
// command instead of blocking the window. The Windows flow limits, error and
// end-of-file characters of these models have no counterpart on termios and
// matter only with flow control or error replacement, which none uses.
const TModelPort kModelPorts[] = {
    {0, true, false, {100, 10, 100, 100, 1000}},
    {1, false, false, {MAXDWORD, 0, 0, 100, 1000}},
    {3, false, true, {MAXDWORD, 0, 0, 100, 1000}},
};

}  // namespace

bool TRig::ApplyPortSetup()
{
    const TModelPort* model = nullptr;
    for (const TModelPort& m : kModelPorts) {
        if (m.radio == Radio)
            model = &m;
    }
    if (!model)
        return FailOpen("Error: Unsupported radio, or under construction");
    TCommState state;
    if (!port_.GetCommState(state)) {
        NotePortFault();
        return FailOpen("Failed to read COM State");
    }
    state.BaudRate = GetBaudValue();
    state.ByteSize = 8;
    state.Parity = TParity::None;
    state.StopBits = TStopBits::One;
    state.OutxCtsFlow = false;
    state.OutX = false;
    state.InX = false;
    state.XonChar = 0x11;
    state.XoffChar = 0x13;
    state.Null = model->discardNull;
    state.DtrEnable = model->dtrEnable;
    state.RtsEnable = false;
    if (!port_.SetCommState(state)) {
        NotePortFault();
        return FailOpen("Failed to set COM State");
    }
    TCommTimeouts timeouts;
    if (!port_.GetCommTimeouts(timeouts)) {
        NotePortFault();
        return FailOpen("Failed to get Com Timeouts");
    }
    timeouts = model->timeouts;
    if (!port_.SetCommTimeouts(timeouts)) {
        NotePortFault();
        return FailOpen("Failed to set Com Timeouts");
    }
    return true;
}
