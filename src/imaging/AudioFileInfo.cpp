#include "imaging/AudioFileInfo.h"

#include "platform/CNumbers.h"

#include <QFile>
#include <sndfile.h>

TAudioFileInfo ReadAudioFileInfo(const QString& path)
{
    TAudioFileInfo result;
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file) {
        result.Error = QString::fromLocal8Bit(sf_strerror(nullptr));
        return result;
    }
    sf_close(file);
    if (info.samplerate <= 0 || info.channels <= 0 || info.frames < 0) {
        result.Error = "The file's header holds no valid sample rate or length.";
        return result;
    }
    result.Ok = true;
    result.SampleRate = info.samplerate;
    result.Channels = info.channels;
    result.Frames = info.frames;
    result.Seconds = static_cast<double>(info.frames) / info.samplerate;
    return result;
}

QString AudioInfoText(const TAudioFileInfo& info)
{
    if (!info.Ok)
        return info.Error;
    const QString channels = info.Channels == 1 ? QString("mono")
                             : info.Channels == 2 ? QString("stereo")
                                                  : QString("%1 channels").arg(info.Channels);
    return QString::fromStdString(cnum::Format("%.2f s", info.Seconds)) + QString(", %1 Hz, ").arg(info.SampleRate) +
           channels;
}
