#pragma once
// A shown main window without a sound card, for the image windows' tests;
// its one box about the missing card is answered.
#include "platform/ProgramFolder.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"

#include <gtest/gtest.h>
#include <memory>

inline std::unique_ptr<TMainForm> MakeMainForm()
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    std::unique_ptr<TMainForm> form;
    {
        ModalCatcher boxes;
        form = std::make_unique<TMainForm>();
        form->show();
    }
    EXPECT_TRUE(programfolder::InstallShippedFiles(programfolder::ShippedFilesFolder()).isEmpty());
    return form;
}
