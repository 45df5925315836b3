// Orvanta: a receiving station for the APT images of the NOAA weather satellites.
#include "platform/ProgramFolder.h"
#include "platform/RegistryStore.h"
#include "shell/ui/MainForm.h"

#include <QApplication>
#include <QMessageBox>
#include <clocale>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Qt has set the process locale from the environment; numbers in files
    // and protocols are always written with a point.
    std::setlocale(LC_NUMERIC, "C");
    app.setApplicationName("Orvanta");

    const QString installError = programfolder::InstallShippedFiles(programfolder::ShippedFilesFolder());
    const QString registryError = TRegistryStore::Instance().LoadError();

    TMainForm mainForm;
    mainForm.show();
    if (!registryError.isEmpty())
        mainForm.ShowError(registryError, "Settings file damaged");
    if (!installError.isEmpty())
        mainForm.ShowError(installError, "Program files incomplete");
    return app.exec();
}
