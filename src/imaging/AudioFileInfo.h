#pragma once
// What an audio file holds, read from its header through libsndfile without
// decoding it: enough for the open dialog to show a recording's length.
#include <QString>

struct TAudioFileInfo {
    bool Ok = false;
    int SampleRate = 0;     // Hz
    int Channels = 0;
    long long Frames = 0;   // samples per channel
    double Seconds = 0.0;   // Frames / SampleRate
    QString Error;          // libsndfile's reason when !Ok
};

TAudioFileInfo ReadAudioFileInfo(const QString& path);

// "15.35 s, 11025 Hz, mono" for the preview; the error text when !Ok.
QString AudioInfoText(const TAudioFileInfo& info);
