#pragma once
// An image chooser that answers at once with the files a test gives, as a
// user would have chosen them (no validation of its own).
#include "imaging/ui/OpenMagickImageDlg.h"

class ScriptedChooser : public TOpenMagickImageDlg {
public:
    int exec() override
    {
        Files = Chosen;
        return Result;
    }
    int Result = QDialog::Accepted;
    QStringList Chosen;
};
