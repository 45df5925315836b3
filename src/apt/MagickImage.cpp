#include "apt/MagickImage.h"

#include <mutex>

void EnsureMagickCore()
{
    static std::once_flag started;
    std::call_once(started, [] {
        if (IsMagickCoreInstantiated() == MagickFalse)
            MagickCoreGenesis(nullptr, MagickFalse);
    });
}
