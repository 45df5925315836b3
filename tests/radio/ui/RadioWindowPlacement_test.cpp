// The radio windows and the R2FX error box open over the program that owns
// them, not in the corner of the screen.
#include "radio/Rig.h"
#include "radio/ui/R2FXForm.h"
#include "radio/ui/RXTuner.h"
#include "support/R2FXSimulator.h"
#include "support/RigBench.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Answers the message boxes that open, noting where each stood and over which window.
struct BoxWatcher {
    BoxWatcher()
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            Centres << box->frameGeometry().center();
            Owners << box->parentWidget();
            box->button(QMessageBox::Ok)->click();
        });
        timer.start();
    }
    QList<QPoint> Centres;
    QList<QWidget*> Owners;
    QTimer timer;
};

}  // namespace

TEST(RadioWindowPlacement, TheWindowsAndTheR2FXBoxOpenOverTheProgram)
{
    QWidget program;  // in the place of the main window
    program.setGeometry(420, 310, 640, 480);
    program.show();
    const QRect owner = program.frameGeometry();
    {
        TRigBench<TByteSink> bench(1);
        TRXTuner tuner(&program);
        tuner.Rig = &bench.rig;
        tuner.show();
        EXPECT_TRUE(owner.contains(tuner.frameGeometry().center()))
            << "tuner at " << tuner.frameGeometry().x() << "," << tuner.frameGeometry().y();
        tuner.close();
    }
    TRigBench<TR2FXSimulator> bench;
    bench.far.SetFault(TR2FXSimulator::TFault::Silent);
    TR2FXForm form(&program);
    form.Rig = &bench.rig;
    {
        BoxWatcher boxes;
        EXPECT_FALSE(form.ConnectReceiver(true)) << "a receiver that never answers";
        ASSERT_EQ(boxes.Owners.size(), 1);
        EXPECT_EQ(boxes.Owners[0], &program) << "the window itself is not shown yet";
        EXPECT_TRUE(owner.contains(boxes.Centres[0]))
            << "box centred at " << boxes.Centres[0].x() << "," << boxes.Centres[0].y();
    }
    form.show();
    EXPECT_TRUE(owner.contains(form.frameGeometry().center()))
        << "R2FX window at " << form.frameGeometry().x() << "," << form.frameGeometry().y();
    form.close();
}
