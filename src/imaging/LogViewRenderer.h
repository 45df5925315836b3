#pragma once
// The log writer's view of a window's pass: renders a product off screen,
// on whatever thread the log writer runs (the processing thread or the GUI
// thread). It touches no widget and shows no box; everything it reads is a
// copy taken on the GUI thread when it was made, except the engine, which
// the window keeps alive until its processing thread has stopped.
#include "publishing/Logger.h"
#include "shell/Setting.h"

#include <QString>
#include <functional>

class TAPT;

class TViewLogRenderer : public TLogRenderer {
public:
    using TTableFinder = std::function<QString(int view)>;
    TViewLogRenderer(TAPT* engine, const TSetting& settings, const QString& passDescription, bool northbound,
                     TTableFinder tableFinder);

    QString GetLUTFileName(int type) override;
    MagickImagePtr RenderView(const Image* lut, int type) override;

private:
    TAPT* engine_;  // not owned
    TSetting settings_;
    QString passDescription_;
    bool northbound_;
    TTableFinder tableFinder_;
};
