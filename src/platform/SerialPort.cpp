#include "platform/SerialPort.h"

#include "platform/SerialPortNames.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct BaudConstant {
    int bitsPerSecond;
    speed_t constant;
};

// The rates termios has constants for; others (14400, 56000, 128000, ...)
// are refused rather than silently run at a different rate.
const BaudConstant kBaudTable[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedFor(int bitsPerSecond, speed_t& constant)
{
    for (const BaudConstant& b : kBaudTable) {
        if (b.bitsPerSecond == bitsPerSecond) {
            constant = b.constant;
            return true;
        }
    }
    return false;
}

int BitsPerSecondOf(speed_t constant)
{
    for (const BaudConstant& b : kBaudTable) {
        if (b.constant == constant)
            return b.bitsPerSecond;
    }
    return 0;
}

tcflag_t SizeFlag(int byteSize)
{
    switch (byteSize) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

int ByteSizeOf(tcflag_t cflag)
{
    switch (cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
    }
}

TParity ParityOf(tcflag_t cflag)
{
    if (!(cflag & PARENB))
        return TParity::None;
    if (cflag & CMSPAR)
        return (cflag & PARODD) ? TParity::Mark : TParity::Space;
    return (cflag & PARODD) ? TParity::Odd : TParity::Even;
}

// The line format that termios keeps, for comparing what was asked with
// what the device took.
bool SameLine(const TCommState& a, const TCommState& b)
{
    return a.BaudRate == b.BaudRate && a.ByteSize == b.ByteSize && a.Parity == b.Parity &&
           a.StopBits == b.StopBits && a.OutxCtsFlow == b.OutxCtsFlow && a.OutX == b.OutX && a.InX == b.InX;
}

}  // namespace

TSerialPort::~TSerialPort()
{
    Close();
}

bool TSerialPort::Fail(const QString& what, int code)
{
    lastError_ = code;
    errorText_ = QString("%1 %2 (%3): %4").arg(what, portName_, device_, QString::fromLocal8Bit(std::strerror(code)));
    return false;
}

bool TSerialPort::RequireOpen(const char* what)
{
    if (fd_ >= 0)
        return true;
    lastError_ = EBADF;
    errorText_ = QString("Unable to %1: the serial port is not open").arg(what);
    return false;
}

bool TSerialPort::Open(const QString& portName)
{
    Close();
    portName_ = portName;
    QString error;
    if (!SerialDeviceForPort(portName, device_, error)) {
        device_.clear();
        lastError_ = EINVAL;
        errorText_ = error;
        return false;
    }
    // Non-blocking: a port without carrier must not hang the open, and the
    // time-outs are kept by poll() in the read and write loops.
    const int fd = ::open(device_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Fail("Unable to open", errno);
    if (!::isatty(fd)) {
        ::close(fd);
        return Fail("Unable to open", ENOTTY);
    }
    // Not shared: a second opener of the port (this program or another that
    // locks, as serial programs do) is refused.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return Fail("Unable to open", code);
    }
    ::ioctl(fd, TIOCEXCL);
    termios tio {};
    if (::tcgetattr(fd, &tio) != 0) {
        const int code = errno;
        ::close(fd);
        return Fail("Unable to read the settings of", code);
    }
    // Binary, as a Windows port always is: no echo, no line editing, no
    // translation of CR or LF; reads return what has arrived.
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int code = errno;
        ::close(fd);
        return Fail("Unable to set up", code);
    }
    fd_ = fd;
    timeouts_ = TCommTimeouts{};
    discardNull_ = false;
    dtrEnable_ = rtsEnable_ = true;
    lastError_ = 0;
    errorText_.clear();
    return true;
}

void TSerialPort::Close()
{
    if (fd_ < 0)
        return;
    ::close(fd_);  // also drops the lock
    fd_ = -1;
}

bool TSerialPort::SetupComm(std::uint32_t inQueueBytes, std::uint32_t outQueueBytes)
{
    if (!RequireOpen("set the queues"))
        return false;
    if (inQueueBytes == 0 || outQueueBytes == 0)
        return Fail("Unable to set the queues of", EINVAL);
    return true;
}

bool TSerialPort::GetCommState(TCommState& state)
{
    if (!RequireOpen("read the settings"))
        return false;
    termios tio {};
    if (::tcgetattr(fd_, &tio) != 0)
        return Fail("Unable to read the settings of", errno);
    state.BaudRate = BitsPerSecondOf(::cfgetospeed(&tio));
    state.ByteSize = ByteSizeOf(tio.c_cflag);
    state.Parity = ParityOf(tio.c_cflag);
    state.StopBits = (tio.c_cflag & CSTOPB) ? TStopBits::Two : TStopBits::One;
    state.OutxCtsFlow = (tio.c_cflag & CRTSCTS) != 0;
    state.OutX = (tio.c_iflag & IXON) != 0;
    state.InX = (tio.c_iflag & IXOFF) != 0;
    state.XonChar = static_cast<char>(tio.c_cc[VSTART]);
    state.XoffChar = static_cast<char>(tio.c_cc[VSTOP]);
    state.Null = discardNull_;
    state.DtrEnable = dtrEnable_;
    state.RtsEnable = rtsEnable_;
    return true;
}

bool TSerialPort::SetCommState(const TCommState& state)
{
    if (!RequireOpen("set the settings"))
        return false;
    speed_t speed = B0;
    if (!SpeedFor(state.BaudRate, speed)) {
        lastError_ = EINVAL;
        errorText_ = QString("Unable to set %1 bit/s on %2 (%3): the system has no such rate")
                         .arg(state.BaudRate)
                         .arg(portName_, device_);
        return false;
    }
    if (state.ByteSize < 5 || state.ByteSize > 8 || state.StopBits == TStopBits::OneAndHalf)
        return Fail("Unable to set the settings (byte size or 1.5 stop bits) of", EINVAL);
    termios tio {};
    if (::tcgetattr(fd_, &tio) != 0)
        return Fail("Unable to read the settings of", errno);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= SizeFlag(state.ByteSize) | CLOCAL | CREAD;
    if (state.Parity != TParity::None) {
        tio.c_cflag |= PARENB;
        if (state.Parity == TParity::Odd || state.Parity == TParity::Mark)
            tio.c_cflag |= PARODD;
        if (state.Parity == TParity::Mark || state.Parity == TParity::Space)
            tio.c_cflag |= CMSPAR;
    }
    if (state.StopBits == TStopBits::Two)
        tio.c_cflag |= CSTOPB;
    if (state.OutxCtsFlow)
        tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_iflag |= (state.OutX ? IXON : 0) | (state.InX ? IXOFF : 0);
    tio.c_cc[VSTART] = static_cast<cc_t>(state.XonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(state.XoffChar);
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0)
        return Fail("Unable to set the settings of", errno);
    // tcsetattr succeeds when any part was taken: compare what the device
    // holds now (a pseudo-terminal, for one, keeps 8 bits and no parity).
    TCommState taken;
    if (!GetCommState(taken))
        return false;
    if (!SameLine(taken, state))
        return Fail("The device does not take the line settings asked for on", EINVAL);
    discardNull_ = state.Null;
    dtrEnable_ = state.DtrEnable;
    rtsEnable_ = state.RtsEnable;
    return SetDtr(state.DtrEnable) && SetRts(state.RtsEnable);
}

bool TSerialPort::GetCommTimeouts(TCommTimeouts& timeouts)
{
    if (!RequireOpen("read the time-outs"))
        return false;
    timeouts = timeouts_;
    return true;
}

bool TSerialPort::SetCommTimeouts(const TCommTimeouts& timeouts)
{
    if (!RequireOpen("set the time-outs"))
        return false;
    timeouts_ = timeouts;
    return true;
}

bool TSerialPort::SetModemLine(int line, bool raised, const char* what)
{
    if (!RequireOpen(what))
        return false;
    if (::ioctl(fd_, raised ? TIOCMBIS : TIOCMBIC, &line) == 0)
        return true;
    // A pseudo-terminal (and some USB adapters) have no modem lines.
    if (errno == ENOTTY || errno == EINVAL)
        return true;
    return Fail(QString("Unable to %1 on").arg(what), errno);
}

bool TSerialPort::SetDtr(bool raised)
{
    return SetModemLine(TIOCM_DTR, raised, raised ? "raise DTR" : "clear DTR");
}

bool TSerialPort::SetRts(bool raised)
{
    return SetModemLine(TIOCM_RTS, raised, raised ? "raise RTS" : "clear RTS");
}

bool TSerialPort::Purge()
{
    if (!RequireOpen("purge the queues"))
        return false;
    if (::tcflush(fd_, TCIOFLUSH) != 0)
        return Fail("Unable to purge the queues of", errno);
    return true;
}

bool TSerialPort::PurgeInput()
{
    if (!RequireOpen("purge the input queue"))
        return false;
    if (::tcflush(fd_, TCIFLUSH) != 0)
        return Fail("Unable to purge the input queue of", errno);
    return true;
}
