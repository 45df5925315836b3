#include "support/R2FXSimulator.h"

#include "platform/CNumbers.h"

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

TR2FXSimulator::TR2FXSimulator() : line_([this](char c) { return Answer(c); })
{
}

void TR2FXSimulator::SetFault(TFault fault, int value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    fault_ = fault;
    faultValue_ = value;
    answered_ = 0;
}

void TR2FXSimulator::SetSignal(int value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    signal_ = value;
}

void TR2FXSimulator::SetAnswer(char command, const QByteArray& bytes)
{
    std::lock_guard<std::mutex> lock(mutex_);
    answers_[command] = bytes;
}

void TR2FXSimulator::SetMemory(int channel, double mhz)
{
    std::lock_guard<std::mutex> lock(mutex_);
    channelMHz_.at(channel) = mhz;
}

void TR2FXSimulator::SetCurrentChannelLine(const QByteArray& line)
{
    std::lock_guard<std::mutex> lock(mutex_);
    currentLine_ = line;
}

double TR2FXSimulator::TunedMHz()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return channelMHz_[0];
}

double TR2FXSimulator::MemoryMHz(int channel)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return channelMHz_.at(channel);
}

int TR2FXSimulator::Threshold()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return threshold_;
}

QByteArray TR2FXSimulator::NormalAnswer(char c)
{
    const QByteArray echo(1, c);
    if (!IsDigit(c))
        command_.clear();  // a command letter abandons a command left half done
    if (command_.isEmpty()) {
        if (answers_.count(c))
            return answers_[c];
        switch (c) {
        case 'R': return QByteArray::fromStdString(cnum::Format("R%02d\r\n", signal_));
        case 'M': {
            QByteArray listing = "M\r\n";
            for (int ch = 1; ch <= 6; ++ch)
                listing += QByteArray::fromStdString(cnum::Format("CH%d:%.3fMHz\r\n", ch, channelMHz_[ch]));
            listing += currentLine_.isNull() ? QByteArray::fromStdString(cnum::Format("Channel:%d", currentChannel_))
                                             : currentLine_;
            listing += QByteArray::fromStdString(cnum::Format("\r\nScan thr:%.3d\r\n", threshold_));
            return listing;
        }
        case 'C':
        case 'T': command_ = echo; return echo;
        default: return "?\r\n";
        }
    }
    const bool channelCommand = command_[0] == 'C';
    if (channelCommand && command_.size() == 1 && c > '6') {
        command_.clear();
        return "?\r\n";
    }
    command_ += c;
    if (!channelCommand) {
        if (command_.size() < 3)
            return echo;
        threshold_ = (command_[1] - '0') * 10 + (command_[2] - '0');
        command_.clear();
        return echo;
    }
    if (command_.size() < 5)
        return echo;
    const int channel = command_[1] - '0';
    const double mhz = 130.0 + command_.mid(2).toInt() / 100.0;
    channelMHz_[channel] = mhz;
    currentChannel_ = channel;
    command_.clear();
    return echo + QByteArray::fromStdString(cnum::Format("\r\nCH%d:%.3fMHz", channel, mhz));
}

TLineAnswer TR2FXSimulator::Answer(char c)
{
    std::lock_guard<std::mutex> lock(mutex_);
    TLineAnswer answer{0, NormalAnswer(c)};
    switch (fault_) {
    case TFault::None: break;
    case TFault::Silent: answer.bytes.clear(); break;
    case TFault::SilentAfter:
        if (answered_ >= faultValue_)
            answer.bytes.clear();
        break;
    case TFault::Garbage: answer.bytes = QByteArray("\xfe#\x7f", 3); break;
    case TFault::ShortLine:
        if (answer.bytes.size() > 1)
            answer.bytes.chop(1);
        break;
    case TFault::ExtraByte: answer.bytes += '!'; break;
    case TFault::Late: answer.pauseMs = faultValue_; break;
    case TFault::HangUpAfter: answer.hangUp = answered_ + 1 >= faultValue_; break;
    }
    ++answered_;
    return answer;
}
