#include "radio/R2FXProtocol.h"

#include "platform/CNumbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Writes each character of the command and collects the answer to it; stops
// at the first failed write or unanswered character. Returns the number of
// characters answered; totalBytes adds up the reply bytes.
int SendAnswered(TRig& rig, const QByteArray& command, int& totalBytes)
{
    totalBytes = 0;
    int answered = 0;
    for (const char c : command) {
        if (!rig.WriteChar(c))
            break;
        const int n = rig.ReadReply();
        if (n == 0)
            break;
        totalBytes += n;
        ++answered;
    }
    return answered;
}

}  // namespace

QByteArray R2FXChannelCommand(int channel, double mhz)
{
    // The fraction of a tenth of the frequency in MHz, in thousandths, is the
    // frequency in 10 kHz steps modulo 1000: 137.62 MHz gives 762. Inside the
    // receiver's range it always has three digits; finer digits round away.
    double whole = 0.0;
    const double steps = std::modf(mhz * 0.1, &whole) * 1000.0;
    return QByteArray::fromStdString(cnum::Format("C%d%.0f", channel, steps));
}

bool CheckR2FXFrequency(TRig& rig, double mhz)
{
    if (mhz >= 134.0 && mhz <= 139.99)
        return true;
    rig.SetErrorText(QString::fromStdString(
        cnum::Format("Bad R2FX frequency %g MHz. Valid range 134.000-139.990 MHz.", mhz)));
    return false;
}

bool SendR2FXChannel(TRig& rig, int channel, double mhz)
{
    if (channel < 0 || channel > 6) {
        rig.SetErrorText("Bad R2FX channel number. Nr 1-6 supported.");
        return false;
    }
    if (!CheckR2FXFrequency(rig, mhz) || !rig.EnsureOpen())
        return false;
    int totalBytes = 0;
    SendAnswered(rig, R2FXChannelCommand(channel, mhz), totalBytes);
    // The receiver's answers to the five characters come to 21 bytes exactly.
    if (totalBytes == 21)
        return true;
    rig.SetErrorText(QString("%1 R2FX responce").arg(totalBytes > 0 ? "Bad" : "No"));
    return false;
}

bool ProgramR2FXChannel(TRig& rig, int channel, double mhz)
{
    if (channel < 1 || channel > 6) {
        rig.SetErrorText("Bad R2FX channel number. Nr 1-6 supported.");
        return false;
    }
    if (!CheckR2FXFrequency(rig, mhz) || !rig.EnsureOpen())
        return false;
    return SendR2FXChannel(rig, channel, mhz);
}

bool SetR2FXThreshold(TRig& rig, int threshold)
{
    if (threshold < 0 || threshold > 99) {
        rig.SetErrorText("Bad R2FX threshold value. Range 0-99.");
        return false;
    }
    if (!rig.EnsureOpen())
        return false;
    const QByteArray command = QByteArray::fromStdString(cnum::Format("T%.2d", threshold));
    int totalBytes = 0;
    if (SendAnswered(rig, command, totalBytes) == command.size())
        return true;
    rig.SetErrorText("Falied to write R2FX \"Txx\" command");
    return false;
}

int ReadR2FXSignal(TRig& rig)
{
    if (!rig.EnsureOpen())
        return -1;
    if (!rig.WriteChar('R')) {
        rig.SetErrorText("Falied to write R2FX \"R\" command");
        return -1;
    }
    if (rig.ReadReply() == 0) {
        rig.SetErrorText("No responce");
        return -1;
    }
    // The first byte echoes the command; the digits of the value follow.
    const QByteArray reply = rig.Reply();
    // A run of digits too long for an int (a babbling line) is no reading.
    constexpr long long kTooLarge = std::numeric_limits<int>::max() + 1LL;
    long long value = 0;
    int digits = 0;
    for (int i = 1; i < reply.size() && reply[i] >= '0' && reply[i] <= '9'; ++i, ++digits)
        value = std::min(value * 10 + (reply[i] - '0'), kTooLarge);
    if (digits < 2 || value == kTooLarge) {
        rig.SetErrorText("Failed to read R2FX signal");
        return -1;
    }
    return static_cast<int>(value);
}

std::optional<QStringList> ReadR2FXMemory(TRig& rig)
{
    if (!rig.EnsureOpen())
        return std::nullopt;
    if (!rig.WriteChar('M')) {
        rig.SetErrorText("Falied to write R2FX \"M\" command");
        return std::nullopt;
    }
    if (rig.ReadReply() == 0) {
        rig.SetErrorText("No responce");
        return std::nullopt;
    }
    // Lines end at CR or LF in any mix; the echoed command's line is dropped.
    QStringList lines;
    QByteArray line;
    for (const char c : rig.Reply()) {
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (!line.isEmpty() && !line.startsWith('M'))
            lines << QString::fromLatin1(line);
        line.clear();
    }
    if (!line.isEmpty())
        lines << QString::fromLatin1(line);
    if (lines.isEmpty()) {
        rig.SetErrorText("No R2FX responce");
        return std::nullopt;
    }
    if (lines.size() != 8) {
        rig.SetErrorText("Failed to read R2FX memory");
        return std::nullopt;
    }
    return lines;
}
