// The main window's "Swath Viewer..." command: the dialog works on a copy,
// taken back only after OK with a change.
#include "imaging/ui/ModalAnswer.h"
#include "maps/ui/SwathSetupDialog.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"

#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>
#include <memory>

TEST(MainFormSwath, SettingsAreTakenBackOnlyAfterOkWithAChange)
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    std::unique_ptr<TMainForm> form;
    {
        ModalCatcher boxes;
        form = std::make_unique<TMainForm>();
    }
    EXPECT_TRUE(form->SwathViewer1->isEnabled());
    TSwathProp& props = *form->SwathProps;
    const QString mapDir = props.MapDir;
    auto run = [&](const std::function<void(TSwathSetupDlg*)>& act) {
        ModalAnswer<TSwathSetupDlg> answer(act);
        form->SwathViewer1Click();
        return answer.Count;
    };
    ASSERT_EQ(run([](TSwathSetupDlg* d) {
                  d->MapDefaultProj->setCurrentIndex(11);
                  d->CancelBtn->click();
              }),
              1);
    EXPECT_EQ(props.Projection, 16) << "Cancel";
    run([](TSwathSetupDlg* d) {
        d->MapDefaultProj->setCurrentIndex(11);
        d->MedianEdit->setValue(30);
        d->OKBtn->click();
    });
    EXPECT_EQ(props.Projection, 11);
    EXPECT_EQ(props.MPDelta, 30);
    EXPECT_EQ(props.MapDir, mapDir) << "the folder goes along with the copy";
}
