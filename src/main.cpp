// Orvanta: a receiving station for the APT images of the NOAA weather satellites.
#include "imaging/ui/LUTDlg.h"
#include "imaging/ui/LUTEdDlg.h"
#include "platform/ProgramFolder.h"
#include "platform/RegistryStore.h"
#include "platform/SingleInstance.h"
#include "publishing/ui/LogDlg.h"
#include "shell/ui/Application.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"
#include "tracking/ui/TimeDlg.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <clocale>

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    // Qt has set the process locale from the environment; numbers in files
    // and protocols are always written with a point.
    std::setlocale(LC_NUMERIC, "C");
    app.setApplicationName("Orvanta");

    // One copy a user: a second start hands the first copy the word to come
    // to the front and ends without a window.
    TSingleInstance instance("APTInstance");
    const TSingleInstance::TClaim claim = instance.Claim();
    if (claim == TSingleInstance::Running) {
        instance.Signal("OneAPTInstance");
        return 0;
    }

    const QString installError = programfolder::InstallShippedFiles(programfolder::ShippedFilesFolder());
    const QString registryError = TRegistryStore::Instance().LoadError();

    TMainForm mainForm;
    instance.OnMessage = [&mainForm](const QString& message) {
        if (message == "OneAPTInstance")
            mainForm.BringToFront();
    };
    TLogForm logForm(&mainForm);
    TLUTDlg lutDlg(&mainForm);
    TLUTEdDlg lutEdDlg(&mainForm);
    TLogDlg logDlg(&mainForm);
    TTimeDlg timeDlg(&mainForm);
    mainForm.show();
    if (claim == TSingleInstance::Failed)
        logForm.AddEntry("Single instance check unavailable", {instance.ErrorText()});
    if (!registryError.isEmpty())
        mainForm.ShowError(registryError, "Settings file damaged");
    if (!installError.isEmpty())
        mainForm.ShowError(installError, "Program files incomplete");
    // Once the window is up: why recording is off, the station a new user
    // sets first, and where element sets come from.
    QTimer::singleShot(0, &mainForm, &TMainForm::StartupGuide);
    return app.exec();
}
