#include "radio/Rig.h"

#include "platform/CNumbers.h"
#include "radio/R2FXProtocol.h"
#include "radio/RX2Protocol.h"

#include <cerrno>
#include <new>

namespace {

// Bit/s of each baud index.
const int kBaudTable[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};

const char* const kRadioNames[] = {"R2FX", "RIG RX2", "ICOM PCR1000", "EMGO"};

constexpr int kBufferBytes = TRig::kReplyCapacity + 1;

}  // namespace

TRig::TRig()
{
    Reset();
}

TRig::~TRig()
{
    Close();
}

void TRig::Reset()
{
    Port = 1;
    BaudRate = 3;
    Radio = 0;
    errorText_.clear();
    portFault_.clear();
}

void TRig::Assign(const TRig& other)
{
    Close();
    Port = other.Port;
    BaudRate = other.BaudRate;
    Radio = other.Radio;
}

bool TRig::IsOpen() const
{
    return port_.IsOpen() && !lineLost_;
}

bool TRig::FailOpen(const QString& text)
{
    SetErrorText(text);
    Close();
    return false;
}

bool TRig::Open()
{
    Close();
    if (!CheckRadio())
        return false;
    if (Port < 1 || Radio < 0) {
        SetErrorText("Bad Port number, baudrate or radio!");
        return false;
    }
    BaudRate = GetDefaultBaudRate();
    if (GetBaudValue() < 0) {
        SetErrorText("Bad Port number, baudrate or radio!");
        return false;
    }
    if (!port_.Open(QString("COM%1").arg(Port))) {
        NotePortFault();
        return FailOpen(QString("Failed to open COM %1").arg(Port));
    }
    if (!port_.SetupComm(1024, 1024)) {
        NotePortFault();
        return FailOpen("Failed to initializes the communications parameters");
    }
    replyBuffer_.reset(new (std::nothrow) char[kBufferBytes]);
    chunkBuffer_.reset(new (std::nothrow) char[kBufferBytes]);
    if (!replyBuffer_ || !chunkBuffer_)
        return FailOpen("Failed to allocate memory!");
    replyBuffer_[0] = 0;
    replyLength_ = 0;
    if (!ApplyPortSetup())
        return false;
    if (!port_.SetRts(false)) {
        NotePortFault();
        return FailOpen("Failed to clear the RTS (request-to-send) signal");
    }
    if (!port_.SetDtr(true)) {
        NotePortFault();
        return FailOpen("Failed to send the DTR (data-terminal-ready) signal.");
    }
    return true;
}

void TRig::Close()
{
    port_.Close();
    replyBuffer_.reset();
    chunkBuffer_.reset();
    replyLength_ = 0;
    lineLost_ = false;
    portFault_.clear();
}

bool TRig::EnsureOpen()
{
    errorText_.clear();
    portFault_.clear();
    if (!IsOpen() && !Open())
        return false;
    if (Purge())
        return true;
    if (!lineLost_)
        return false;
    // The line was lost since the last command (a USB adapter unplugged, and
    // perhaps plugged in again): one fresh start, which says why it failed.
    errorText_.clear();
    return Open() && Purge();
}

bool TRig::Purge()
{
    if (!IsOpen()) {
        SetErrorText("COM-port is not open!");
        return false;
    }
    // The last command's tail may still be on its way: a write returns once
    // the bytes are queued. Let it go out, then drop only stale input, so
    // nothing the receiver has not yet taken is discarded.
    if (!port_.WaitUntilSent()) {
        NotePortFault();
        port_.Purge();  // a stuck tail must not run into the next command
        SetErrorText("Failed to purge COM-port!");
        return false;
    }
    if (!port_.PurgeInput()) {
        NotePortFault();
        SetErrorText("Failed to purge COM-port!");
        return false;
    }
    return true;
}

bool TRig::CheckRadio()
{
    if (Radio == 0 || Radio == 1 || Radio == 3)
        return true;
    SetErrorText("Error: Unsupported radio, or under construction");
    return false;
}

int TRig::GetDefaultBaudRate() const
{
    switch (Radio) {
    case 0:
    case 1:
    case 3: return 3;  // 1200 bit/s
    case 2: return 6;  // 9600 bit/s
    default: return BaudRate;
    }
}

int TRig::GetBaudValue() const
{
    if (BaudRate < 0 || BaudRate >= int(std::size(kBaudTable)))
        return -1;
    return kBaudTable[BaudRate];
}

QString TRig::GetRadioName() const
{
    if (Radio < 0 || Radio >= int(std::size(kRadioNames)))
        return QString();
    return kRadioNames[Radio];
}

QString TRig::GetErrorText() const
{
    return errorText_.isEmpty() ? QString("Unknown error") : errorText_;
}

void TRig::SetErrorText(const QString& text)
{
    errorText_ = portFault_.isEmpty() ? text : text + ": " + portFault_;
    portFault_.clear();
}

void TRig::SetReplyTiming(int pauseMs, int limitMs)
{
    replyPauseMs_ = pauseMs;
    replyLimitMs_ = limitMs;
}

void TRig::NotePortFault()
{
    const QString device = port_.Device();
    switch (port_.LastError()) {
    case ENOENT: portFault_ = QString("%1 does not exist; is the receiver's adapter plugged in?").arg(device); break;
    case EBUSY: portFault_ = QString("%1 is in use by another program").arg(device); break;
    case EACCES:
    case EPERM: portFault_ = QString("no permission to use %1").arg(device); break;
    case ENOTTY: portFault_ = QString("%1 is not a serial port").arg(device); break;
    case EIO:
    case ENXIO:
    case ENODEV:
        if (!port_.IsOpen()) {
            portFault_ = port_.ErrorText();
            break;
        }
        // The device went away under an open port (a USB adapter unplugged,
        // the far end of the line closed): it must be opened afresh.
        portFault_ = QString("the line of COM %1 (%2) is gone; check that the receiver is connected").arg(Port).arg(device);
        lineLost_ = true;
        break;
    default: portFault_ = port_.ErrorText(); break;
    }
}

bool TRig::SetFrequency(double mhz)
{
    switch (Radio) {
    case 0: return SendR2FXChannel(*this, 0, mhz);
    case 1: return TuneRX2(*this, mhz);
    case 3: return TuneEMGO(*this, mhz);
    default: SetErrorText("Unsupported radio"); return false;
    }
}

bool TRig::SetFrequencyText(const QString& mhz)
{
    return SetFrequency(cnum::ParseFloat(mhz));
}

bool TRig::SetChannel(int channel)
{
    if (Radio == 1 || Radio == 3)
        return SelectRX2Channel(*this, channel);
    SetErrorText("Unsupported radio");
    return false;
}
