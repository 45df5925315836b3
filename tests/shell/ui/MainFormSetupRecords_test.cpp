// Each setup record the main window owns reaches the registry when its dialog
// is confirmed, not only at exit: a crash or a logout loses nothing typed.
// Cancel writes nothing.
#include "imaging/ui/LUTDlg.h"
#include "maps/ui/SwathSetupDialog.h"
#include "orbit/ui/StationDlg.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/MainForm.h"
#include "shell/ui/RecordDlg.h"
#include "support/ModalCatcher.h"
#include "support/ModalSteps.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

TEST(MainFormSetupRecords, EachRecordIsWrittenWhenItsDialogIsConfirmed)
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    ModalCatcher boxes;  // the tracker's "no satellites" after a change
    auto form = std::make_unique<TMainForm>();
    form->ShutdownPause = [](int) {};
    TLUTDlg lutDialog(form.get());
    struct Case {
        const char* name;
        QAction* item;
        const char* key;
        const char* value;
        QString typed;
        std::function<void(ModalSteps&, bool ok, const QString& typed)> answer;
    };
    const Case cases[] = {
        {"ground station", form->Groundstation1, "APT\\Station", "Name", "Harbour",
         [](ModalSteps& user, bool ok, const QString& typed) {
             user.Then<TStationDlg>([ok, typed](TStationDlg& d) {
                 d.StatName->setText(typed);
                 ok ? d.accept() : d.reject();
             });
         }},
        {"general settings", form->Recordingandlogging1, "APT\\Settings", "Host", "ftp.other.test",
         [](ModalSteps& user, bool ok, const QString& typed) {
             user.Then<TRecordDlg>([ok, typed](TRecordDlg& d) {
                 d.FTPHost->setText(typed);
                 ok ? d.accept() : d.reject();
             });
         }},
        {"colour tables", form->ColorLookupTables1, "APT\\Settings", "LowTempValue", "-12.5",
         [](ModalSteps& user, bool ok, const QString& typed) {
             user.Then<TLUTDlg>([ok, typed](TLUTDlg& d) {
                 d.LowTempValue->setText(typed);
                 ok ? d.accept() : d.reject();
             });
         }},
        {"swath viewer", form->SwathViewer1, "APT\\SwathView", "MPDelta", "30",
         [](ModalSteps& user, bool ok, const QString& typed) {
             user.Then<TSwathSetupDlg>([ok, typed](TSwathSetupDlg& d) {
                 d.MedianEdit->setValue(typed.toInt());
                 ok ? d.OKBtn->click() : d.CancelBtn->click();
             });
         }},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.item->isEnabled()) << c.name;
        const QString before = ReadRegistryString(c.key, c.value);
        for (const bool ok : {false, true}) {
            ModalSteps user;
            c.answer(user, ok, c.typed);
            c.item->trigger();
            EXPECT_EQ(user.Played(), 1u) << c.name;
            EXPECT_EQ(ReadRegistryString(c.key, c.value).toStdString(), (ok ? c.typed : before).toStdString())
                << c.name << (ok ? ": written on OK" : ": Cancel writes nothing");
        }
    }
    form->close();
    EXPECT_EQ(ReadRegistryString("APT\\Station", "Name").toStdString(), "Harbour") << "and still at exit";
}
