#include "imaging/ui/MDIChild.h"
#include "imaging/ui/OpenMagickImageDlg.h"
#include "maps/EarthView.h"
#include "maps/ui/BkSetupDialog.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A main window without a sound card; its one box about that is answered.
std::unique_ptr<TMainForm> MakeMainForm()
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    ModalCatcher boxes;
    auto form = std::make_unique<TMainForm>();
    form->show();
    return form;
}

QString WritePicture(const QString& name, QColor colour = Qt::darkGreen)
{
    QDir().mkpath(testenv::ProgramDir());
    const QString path = testenv::ProgramDir() + name;
    QImage picture(16, 8, QImage::Format_RGB32);
    picture.fill(colour);
    picture.save(path);
    return path;
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// Answers the next modal open/save dialog: records the name it proposes
// and cancels it.
struct DialogAnswer {
    QString proposed;
    QString title;
    QTimer timer;
    DialogAnswer()
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<TOpenMagickImageDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            proposed = dialog->FileNameCB->currentText();
            title = dialog->windowTitle();
            dialog->reject();
        });
        timer.start();
    }
};

// Leaves each message box that opens without an answer: Escape, or the
// box's close button; records the captions.
struct BoxLeaver {
    explicit BoxLeaver(bool escape)
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this, escape] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            Captions << box->windowTitle();
            if (escape) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(box, &press);
            } else {
                box->close();
            }
        });
        timer.start();
    }
    QStringList Captions;
    QTimer timer;
};

}  // namespace

TEST(MainFormFiles, TheFactoryMakesWindowsForFilesThatExist)
{
    auto form = MakeMainForm();
    EXPECT_EQ(form->FindMDIChild(0), nullptr) << "no image window yet";
    {
        ModalCatcher boxes;
        EXPECT_EQ(form->CreateMDIChild(testenv::ProgramDir() + "gone.png", 0), nullptr);
        EXPECT_EQ(form->CreateMDIChild(QString(), 0), nullptr);
        EXPECT_TRUE(boxes.Captions.isEmpty()) << "a missing file opens nothing and says nothing";
    }
    const QString path = WritePicture("one.png");
    TMDIChild* child = form->CreateMDIChild(path, 0);
    ASSERT_TRUE(child);
    EXPECT_EQ(child->windowTitle(), path);
    EXPECT_EQ(form->FindMDIChild(0), child);
    EXPECT_EQ(form->FindMDIChild(0x4), child) << "an opened image is complete";
    EXPECT_TRUE(form->FileSaveAs1->isEnabled());
    EXPECT_TRUE(form->WindowClose1->isEnabled());
    EXPECT_FALSE(form->FileSave1->isEnabled()) << "Save follows the window's modified bit";
    {
        ModalCatcher boxes;
        EXPECT_EQ(form->CreateMDIChild(QString(), 0x200), nullptr);
        ASSERT_EQ(boxes.Captions.size(), 1);
        EXPECT_EQ(boxes.Captions[0], "Error: Failed to initialize the Daru Zuvid Izodivi");
        EXPECT_EQ(boxes.Texts[0], "Check your settings!");
    }
    {
        ModalCatcher boxes;
        EXPECT_EQ(form->CreateMDIChild(testenv::ProgramDir() + "one.gz", 0), nullptr);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form->MDIChildren().size(), 1);
    form->close();
}

TEST(MainFormFiles, DroppedFilesOpenInTheirOrder)
{
    auto form = MakeMainForm();
    const QStringList paths = {WritePicture("a.png"), WritePicture("b.png"), WritePicture("c.png")};
    form->OpenDroppedFiles(paths);
    const QList<TMDIChild*> children = form->MDIChildren();
    ASSERT_EQ(children.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(children[i]->FileName, paths[i]);
    form->close();
}

TEST(MainFormFiles, FindingAFinishedLiveWindowTakesItsLiveRole)
{
    auto form = MakeMainForm();
    TMDIChild* live = form->CreateMDIChild(QString(), 0x10);
    ASSERT_TRUE(live);
    EXPECT_EQ(form->FindMDIChild(0x1), live);
    EXPECT_EQ(form->FindMDIChild(0x8), nullptr) << "its image is not complete";
    live->APT->Flags |= aptComplete;
    EXPECT_EQ(form->FindMDIChild(0x8), live);
    EXPECT_EQ(form->FindMDIChild(0x4), live);
    EXPECT_FALSE(live->Flags & mcLive);
    EXPECT_EQ(form->FindMDIChild(0x1), nullptr);
    form->close();
}

TEST(MainFormFiles, SaveNeverWritesOverARecording)
{
    auto form = MakeMainForm();
    const QString wav = testenv::ProgramDir() + "rec.wav";
    // A decoded recording as the window holds it: its file is the audio.
    TMDIChild* child = form->CreateMDIChild(WritePicture("shown.png"), 0);
    ASSERT_TRUE(child);
    QFile audio(wav);
    ASSERT_TRUE(audio.open(QIODevice::WriteOnly));
    audio.write("RIFF-not-an-image");
    audio.close();
    child->FileName = wav;
    child->Flags &= ~mcModified;
    {
        DialogAnswer answer;
        form->FileSave1Execute();
        EXPECT_EQ(answer.title, "Save image");
        EXPECT_EQ(answer.proposed, "rec.jpg") << "the recording's name with the image extension";
    }
    EXPECT_EQ(Contents(wav), "RIFF-not-an-image");
    EXPECT_EQ(child->FileName, wav) << "a cancelled save leaves the window's name";

    // An image file is saved in place, without a dialog.
    const QString picture = WritePicture("picture.png", Qt::red);
    child->FileName = picture;
    const QByteArray before = Contents(picture);
    DialogAnswer none;
    form->FileSave1Execute();
    EXPECT_TRUE(none.title.isEmpty());
    EXPECT_NE(Contents(picture), before) << "rewritten from the window's image";
    EXPECT_TRUE(QImage(picture).pixelColor(2, 2) == QColor(Qt::darkGreen));
    form->close();
}

TEST(MainFormFiles, CloseAllKeepsAWindowThatRefuses)
{
    auto form = MakeMainForm();
    TMDIChild* first = form->CreateMDIChild(WritePicture("1.png"), 0);
    TMDIChild* kept = form->CreateMDIChild(WritePicture("2.png"), 0);
    TMDIChild* third = form->CreateMDIChild(WritePicture("3.png"), 0);
    ASSERT_TRUE(first && kept && third);
    kept->Flags |= mcModified;
    {
        ModalCatcher yes(QMessageBox::Yes);
        form->Closeall1Click();
        EXPECT_EQ(yes.Captions, QStringList{"File needs to be saved. Save?"});
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(form->MDIChildren(), QList<TMDIChild*>{kept});
    EXPECT_TRUE(form->WindowClose1->isEnabled());
    kept->Flags &= ~mcModified;
    form->Closeall1Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form->MDIChildren().isEmpty());
    EXPECT_FALSE(form->WindowClose1->isEnabled());
    EXPECT_FALSE(form->FileSaveAs1->isEnabled());
    form->close();
}

TEST(MainFormFiles, RenderingLeavesTheSharedSettingsAlone)
{
    auto form = MakeMainForm();
    form->Settings->FontName.clear();
    form->Settings->FontFile.clear();
    form->Settings->FontSize = 0;
    TMDIChild* child = form->CreateMDIChild(QString(), 0x10);
    ASSERT_TRUE(child);
    child->APT->AllocLines(4);
    child->APT->Flags = aptComplete | aptAudioFile;
    ASSERT_TRUE(child->ShowView(ivNormal, 0));
    EXPECT_TRUE(form->Settings->FontName.isEmpty());
    EXPECT_TRUE(form->Settings->FontFile.isEmpty());
    EXPECT_EQ(form->Settings->FontSize, 0.0);
    form->close();
}

// Four images, the third of them changed, and the Flat Earth Monitor.
struct Workspace {
    explicit Workspace(TMainForm& form)
    {
        const QString earth = WritePicture("earth.png", Qt::white);
        form.EarthView->EarthImage = earth;
        BkSetupDlg->bkimage->setText(earth);
        for (const char* name : {"a.png", "b.png", "changed.png", "d.png"})
            images << form.CreateMDIChild(WritePicture(name), 0);
        images[2]->Flags |= mcModified;
        form.FlatEarthTrackerClick();
        monitor = form.FindMDIChild(0x10);
    }
    QList<TMDIChild*> images;
    TMDIChild* monitor = nullptr;
};

TEST(MainFormFiles, EscapeOrCloseAtTheSaveQuestionCancelsTheExit)
{
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "close button");
        auto form = MakeMainForm();
        form->ShutdownPause = [](int) {};
        Workspace open(*form);
        ASSERT_FALSE(open.images.contains(nullptr));
        ASSERT_TRUE(open.monitor);
        {
            BoxLeaver leave(escape);
            form->FileExit1->trigger();
            EXPECT_EQ(leave.Captions, QStringList{"File needs to be saved. Save?"});
        }
        EXPECT_FALSE(form->StateFlags & (msClosing | msShutdownDone)) << "the program runs on";
        EXPECT_TRUE(form->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(form->MDIChildren(), open.images + QList<TMDIChild*>{open.monitor})
            << "every image and the monitor stay open";
        for (QMdiSubWindow* window : form->MDIArea()->subWindowList())
            EXPECT_TRUE(window->isVisible()) << window->windowTitle().toStdString();
        EXPECT_TRUE(open.images[2]->Flags & mcModified) << "and the changed image keeps its change";
        open.images[2]->Flags &= ~mcModified;
        form->close();
    }
}

TEST(MainFormFiles, AChangeLetGoIsKeptWhenALaterWindowCancelsTheExit)
{
    auto form = MakeMainForm();
    form->ShutdownPause = [](int) {};
    TMDIChild* first = form->CreateMDIChild(WritePicture("first.png"), 0);
    TMDIChild* second = form->CreateMDIChild(WritePicture("second.png"), 0);
    ASSERT_TRUE(first && second);
    first->Flags |= mcModified;
    second->Flags |= mcModified;
    // No (let the change go) to the first question, Escape at the second.
    QStringList answered;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        answered << box->text();
        if (answered.size() == 1) {
            box->button(QMessageBox::No)->click();
        } else {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(box, &press);
        }
    });
    answer.start();
    form->FileExit1->trigger();
    answer.stop();
    EXPECT_EQ(answered.size(), 2);
    EXPECT_FALSE(form->StateFlags & msClosing);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(form->MDIChildren(), (QList<TMDIChild*>{first, second}));
    EXPECT_TRUE(first->Flags & mcModified) << "the exit did not happen, so nothing was let go";
    EXPECT_TRUE(second->Flags & mcModified);

    // Answered No to both, the exit goes ahead and closes them.
    {
        ModalCatcher no(QMessageBox::No);
        form->FileExit1->trigger();
        EXPECT_EQ(no.Captions.size(), 2);
    }
    EXPECT_TRUE(form->StateFlags & msShutdownDone);
}
