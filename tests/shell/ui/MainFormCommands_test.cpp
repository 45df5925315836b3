// The main window's own commands: the modal pattern, the ground station, the
// daily log and its style sheet, the mixer and the web pages, and the close
// path from File and from the tray.
#include "imaging/ui/LUTDlg.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/ModulateDlg.h"
#include "orbit/Sat.h"
#include "orbit/ui/StationDlg.h"
#include "publishing/StyleSheet.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/MainForm.h"
#include "shell/ui/RecordDlg.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>

namespace {

std::unique_ptr<TMainForm> MakeMainForm()
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    ModalCatcher boxes;
    auto form = std::make_unique<TMainForm>();
    form->ShutdownPause = [](int) {};
    form->show();
    return form;
}

// Runs answer on the first modal dialog of type T that comes up.
template <typename T>
void WhenModal(const std::function<void(T*)>& answer)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
}

bool PumpUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Programs on PATH that write their arguments into <name>.args beside them.
struct RecordingPrograms {
    explicit RecordingPrograms(const QStringList& names) : oldPath(qgetenv("PATH"))
    {
        for (const QString& name : names) {
            QFile script(dir.filePath(name));
            script.open(QIODevice::WriteOnly);
            script.write(QString("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.tmp' && mv '%1.tmp' '%1'\n")
                             .arg(dir.filePath(name + ".args"))
                             .toUtf8());
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", dir.path().toUtf8() + ":" + oldPath);
    }
    ~RecordingPrograms() { qputenv("PATH", oldPath); }
    // The arguments the program was run with, one a line; waits for the run.
    QString Arguments(const QString& name)
    {
        const QString path = dir.filePath(name + ".args");
        PumpUntil([&] { return QFile::exists(path); }, 10000);
        return QString::fromUtf8(ReadAll(path));
    }
    QTemporaryDir dir;
    QByteArray oldPath;
};

}  // namespace

TEST(MainFormCommands, AnOpenDialogIsOnlyRaisedAndActiveWindowComesBack)
{
    auto form = MakeMainForm();
    QDialog dialog(form.get());
    EXPECT_FALSE(form->RaiseOpenDialog(&dialog)) << "a closed dialog is run, not raised";
    WhenModal<QDialog>([&](QDialog* shown) {
        EXPECT_EQ(form->ActiveWindow, shown) << "the tray brings the running dialog up";
        EXPECT_TRUE(form->RaiseOpenDialog(shown));
        shown->accept();
    });
    EXPECT_EQ(form->ShowDialogModal(&dialog), QDialog::Accepted);
    EXPECT_EQ(form->ActiveWindow, form.get());
}

TEST(MainFormCommands, TheGroundStationIsTakenOnOkAndRefusedDuringARecording)
{
    auto form = MakeMainForm();
    form->Station.Name = "Home";
    form->Station.Latitude = 52.5;
    ModalCatcher boxes;
    WhenModal<TStationDlg>([](TStationDlg* dialog) {
        EXPECT_EQ(dialog->StatName->text(), "Home");
        dialog->StatName->setText("Harbour");
        dialog->Alt->setText("12.5");
        dialog->Lat->setText("10");
        dialog->accept();
    });
    form->Groundstation1->trigger();
    EXPECT_EQ(form->Station.Name, "Harbour");
    EXPECT_DOUBLE_EQ(form->Station.Altitude, 12.5);
    EXPECT_DOUBLE_EQ(form->Station.Latitude, 10);
    EXPECT_EQ(form->ActiveWindow, form.get());

    WhenModal<TStationDlg>([](TStationDlg* dialog) {
        dialog->StatName->setText("Elsewhere");
        dialog->reject();
    });
    form->Groundstation1->trigger();
    EXPECT_EQ(form->Station.Name, "Harbour") << "Cancel changes nothing";

    form->StateFlags |= msRecording;
    form->Groundstation1->trigger();
    // One restart of the tracker after OK, which finds no satellite; then the refusal.
    EXPECT_EQ(boxes.Texts, QStringList({"No satellites loaded. Select from the menu Satellite->Keplerian elements... "
                                        "to download!",
                                        "Core can not be changed during a record."}));
    EXPECT_FALSE(form->StationDlg->isVisible());
    form->StateFlags &= ~msRecording;
}

TEST(MainFormCommands, AnImpossibleStationIsRefusedAndTheStoredOneKept)
{
    auto form = MakeMainForm();
    form->Station.Name = "Home";
    form->Station.Latitude = 52.5;
    form->Station.Longitude = -13.4;
    form->Station.Altitude = 34;
    form->PersistStation(false);
    const QString storedLatitude = ReadRegistryString("APT\\Station", "Latitude");
    const QString storedLongitude = ReadRegistryString("APT\\Station", "Longitude");
    ASSERT_FALSE(storedLatitude.isEmpty());

    struct Case { const char* field; const char* text; };
    const Case cases[] = {{"Latitude", "95"}, {"Longitude", "abc"}, {"Altitude", "40000"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ModalCatcher boxes;
        bool stayedOpen = false;
        WhenModal<TStationDlg>([&](TStationDlg* dialog) {
            QLineEdit* edit = QString(c.field) == "Latitude"    ? dialog->Lat
                              : QString(c.field) == "Longitude" ? dialog->Lon
                                                                : dialog->Alt;
            edit->setText(c.text);
            dialog->OKBtn->click();
            stayedOpen = dialog->isVisible();
            dialog->reject();
        });
        form->Groundstation1->trigger();
        EXPECT_TRUE(stayedOpen);
        ASSERT_EQ(boxes.Texts.size(), 1) << boxes.Texts.join('|').toStdString();
        EXPECT_TRUE(boxes.Texts[0].startsWith(QString(c.field) + ": \"" + c.text + "\""))
            << boxes.Texts[0].toStdString();
        EXPECT_EQ(form->Station.Name, "Home");
        EXPECT_DOUBLE_EQ(form->Station.Latitude, 52.5);
        EXPECT_DOUBLE_EQ(form->Station.Longitude, -13.4);
        EXPECT_DOUBLE_EQ(form->Station.Altitude, 34);
        EXPECT_EQ(ReadRegistryString("APT\\Station", "Latitude"), storedLatitude);
        EXPECT_EQ(ReadRegistryString("APT\\Station", "Longitude"), storedLongitude);
    }
}

TEST(MainFormCommands, TheLocalDailyLogMustExist)
{
    auto form = MakeMainForm();
    RecordingPrograms programs({"xdg-open"});
    {
        ModalCatcher boxes;
        form->Showlogonlocaldisk1->trigger();
        EXPECT_EQ(boxes.Texts, QStringList{"No log exists, yet!"});
        EXPECT_EQ(boxes.Captions, QStringList{"No Log found"});
    }
    const QString page = form->Folders().GetLogDir() + "/daily/index.html";
    ASSERT_TRUE(QDir().mkpath(form->Folders().GetLogDir() + "/daily"));
    QFile(page).open(QIODevice::WriteOnly);
    ModalCatcher boxes;
    form->DailyLog2->trigger();  // the tray's item for the same page
    EXPECT_TRUE(boxes.Texts.isEmpty()) << boxes.Texts.join('|').toStdString();
    EXPECT_TRUE(programs.Arguments("xdg-open").contains("daily/index.html"))
        << programs.Arguments("xdg-open").toStdString();
}

TEST(MainFormCommands, MixerAndWebPagesRunTheirPrograms)
{
    auto form = MakeMainForm();
    RecordingPrograms programs({"pavucontrol", "xdg-open"});
    qunsetenv("ORVANTA_MIXER");
    ModalCatcher boxes;
    struct Case {
        QAction* item;
        const char* program;
        QString arguments;
    };
    form->Settings->LogURL = "http://log.example.org";
    const Case cases[] = {
        {form->Mixer1, "pavucontrol", "\n"},
        {form->RecordingControl1, "pavucontrol", "--tab=4\n"},
        {form->Showlogonserver2, "xdg-open", "http://log.example.org/daily/\n"},
    };
    for (const Case& c : cases) {
        QFile::remove(programs.dir.filePath(QString(c.program) + ".args"));
        c.item->trigger();
        EXPECT_EQ(programs.Arguments(c.program), c.arguments) << c.item->objectName().toStdString();
    }
    EXPECT_TRUE(boxes.Texts.isEmpty()) << boxes.Texts.join('|').toStdString();
}

TEST(MainFormCommands, TheDefaultStyleSheetIsWrittenWholeOrNotAtAll)
{
    auto form = MakeMainForm();
    const QString daily = form->Folders().GetLogDir() + "/daily";
    const QString css = daily + "/index.css";
    QDir(daily).removeRecursively();
    {
        // A file where the folder belongs: the folder cannot be made.
        QFile blocker(daily);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ModalCatcher boxes;
        form->MakeadefaultCSS1->trigger();
        EXPECT_EQ(boxes.Captions, QStringList{"Error: Failed to create file!"});
        EXPECT_TRUE(boxes.Texts.value(0).startsWith(css));
        EXPECT_GT(boxes.Texts.value(0).split('\n').value(1).size(), 0) << "with the reason";
        ASSERT_TRUE(QFile::remove(daily));
    }
    {
        // Before the first daily log the folder is made, as the log writer does.
        ModalCatcher boxes;
        form->MakeadefaultCSS1->trigger();
        EXPECT_EQ(boxes.Captions, QStringList{"CSS Created"});
        EXPECT_EQ(boxes.Texts, QStringList{css});
        EXPECT_EQ(ReadAll(css), DefaultStyleSheetText());
    }
    QFile old(css);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("body { color: red; }\n");
    old.close();
    {
        ModalCatcher no(QMessageBox::No);
        form->MakeadefaultCSS1->trigger();
        EXPECT_EQ(no.Captions, QStringList{"Confirm: overwrite ?"});
        EXPECT_EQ(ReadAll(css), "body { color: red; }\n");
    }
    {
        // A write that fails part way (here: the file size limit) keeps the
        // old sheet and says so.
        ModalCatcher yes(QMessageBox::Yes);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 64;
        setrlimit(RLIMIT_FSIZE, &small);
        form->MakeadefaultCSS1->trigger();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(yes.Captions, QStringList({"Confirm: overwrite ?", "Error: Failed to create file!"}));
        EXPECT_FALSE(yes.Texts.value(1).contains(".tmp")) << "the user's file is named, not the temporary one: "
                                                           << yes.Texts.value(1).toStdString();
        EXPECT_EQ(ReadAll(css), "body { color: red; }\n");
        EXPECT_EQ(QDir(daily).entryList(QDir::Files), QStringList{"index.css"}) << "no half-written file is left";
    }
    {
        ModalCatcher yes(QMessageBox::Yes);
        form->MakeadefaultCSS1->trigger();
        EXPECT_EQ(yes.Captions, QStringList({"Confirm: overwrite ?", "CSS Created"}));
        EXPECT_EQ(ReadAll(css), DefaultStyleSheetText());
    }
}

TEST(MainFormCommands, FileExitAndTrayExitTakeTheCloseBoxPath)
{
    for (const char* name : {"FileExit1", "Exit1"}) {
        SCOPED_TRACE(name);
        auto form = MakeMainForm();
        for (const char* sat : {"A", "B"}) {
            auto* s = new TSat;
            std::snprintf(s->Name, sizeof s->Name, "%s", sat);
            form->SatelliteList.Add(s);
        }
        std::vector<int> pauses;
        form->ShutdownPause = [&](int ms) { pauses.push_back(ms); };
        form->findChild<QAction*>(name)->trigger();
        const QStringList expected = {"Saving window attributes", "Deleting about", "Terminating the tracker",
                                      "Saving station info", "Saving settings", "Terminating the clock",
                                      "Freeing satellite B", "Freeing satellite A", "Destroying the magnifier",
                                      "Unhooking MainWindow MessageHandler", "Destroying the map",
                                      "Destroying the RIG", "Destroying the Swath Viewer", "Thank you!"};
        EXPECT_EQ(form->ShutdownStepsShown, expected);
        EXPECT_TRUE(form->StateFlags & msShutdownDone);
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(pauses, std::vector<int>({100, 100, 100, 100, 100, 100, 100, 10, 10, 100, 100, 100, 100, 1000}));
    }
}

TEST(MainFormCommands, TrayExitShowsAWaitingDialogFirst)
{
    auto form = MakeMainForm();
    QDialog dialog(form.get());
    WhenModal<QDialog>([&](QDialog* shown) {
        form->showMinimized();
        EXPECT_FALSE(form->StateFlags & msShown);
        form->Exit1->trigger();
        EXPECT_FALSE(form->StateFlags & msShutdownDone) << "the program is shown, not closed";
        EXPECT_TRUE(form->StateFlags & msShown);
        EXPECT_FALSE(form->isMinimized());
        shown->reject();
    });
    form->ShowDialogModal(&dialog);
    EXPECT_FALSE(form->StateFlags & msClosing);
}

TEST(MainFormCommands, MinimisingHidesOnlyWithMinimizeToTray)
{
    for (const int winModes : {0, 1}) {
        SCOPED_TRACE(winModes);
        auto form = MakeMainForm();
        form->Settings->WinModes = winModes;
        form->Show1->trigger();  // "Hide"
        EXPECT_TRUE(form->isMinimized());
        EXPECT_FALSE(form->StateFlags & msShown);
        QApplication::processEvents();
        EXPECT_EQ(form->isHidden(), winModes == 1) << "hidden: lives only in the tray";
        form->Show1->trigger();  // "Show"
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(form->isMinimized());
        EXPECT_TRUE(form->StateFlags & msShown);
    }
}

TEST(MainFormCommands, TheActiveImageWindowIsActiveAgainAfterADialog)
{
    auto form = MakeMainForm();
    TLUTDlg lutDialog(form.get());
    // A picture, then three decoded passes: the first of those is the first
    // window with a pass image, the last the one the user works on.
    QImage picture(16, 8, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const QString path = testenv::ProgramDir() + "picture.png";
    ASSERT_TRUE(picture.save(path));
    QList<TMDIChild*> children{form->CreateMDIChild(path, 0)};
    for (int i = 0; i < 3; ++i) {
        TMDIChild* child = form->CreateMDIChild(QString(), 0x10);
        ASSERT_TRUE(child);
        child->APT->AllocLines(4);
        child->APT->Flags = aptComplete | aptAudioFile;
        ASSERT_TRUE(child->ShowView(ivNormal, 0));
        children << child;
    }
    ASSERT_TRUE(children[0] && children[3]->IsEditable());
    QMdiArea* area = form->MDIArea();
    struct Case {
        const char* name;
        std::function<void()> open;
    };
    const Case cases[] = {
        {"Color lookup tables...", [&] {
             WhenModal<TLUTDlg>([](TLUTDlg* dialog) { dialog->reject(); });
             form->ColorLookupTables1->trigger();
         }},
        {"Modulate...", [&] {
             WhenModal<TModulateDlg>([](TModulateDlg* dialog) { dialog->reject(); });
             children[3]->Modulateandgammacorrect1Click();
         }},
        {"General settings...", [&] {
             WhenModal<TRecordDlg>([](TRecordDlg* dialog) { dialog->reject(); });
             form->Recordingandlogging1->trigger();
         }},
    };
    for (const Case& c : cases) {
        area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(children[3]->parentWidget()));
        QApplication::processEvents();
        ASSERT_EQ(children.indexOf(form->FindMDIChild(0)), 3);
        for (int round = 0; round < 2; ++round) {
            c.open();
            QApplication::processEvents();
            EXPECT_EQ(children.indexOf(form->FindMDIChild(0)), 3) << c.name << ", round " << round;
        }
    }
    form->close();
}

TEST(MainFormCommands, AMixerThatIsNotInstalledIsNamedOnceWithItsReason)
{
    auto form = MakeMainForm();
    qunsetenv("ORVANTA_MIXER");
    QTemporaryDir empty;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", empty.path().toUtf8());
    ModalCatcher boxes;
    form->Mixer1->trigger();
    qputenv("PATH", oldPath);
    EXPECT_EQ(boxes.Texts, QStringList{"Failed to execute pavucontrol !\nReason:\nThe specified file was not found."});
}

TEST(MainFormCommands, ANewUsersLogOnTheServerNeedsItsAddressFirst)
{
    auto form = MakeMainForm();
    RecordingPrograms programs({"xdg-open"});
    ModalCatcher boxes;
    form->Showlogonserver2->trigger();
    EXPECT_EQ(boxes.Captions, QStringList{"No log URL"});
    EXPECT_EQ(boxes.Texts, QStringList{"The address of the log on the server is not set.\nSet it in Settings > "
                                       "General settings..., page \"General\", tab \"FTP-Server\", field \"URL:\"."});
    PumpUntil([] { return false; }, 300);
    EXPECT_FALSE(QFile::exists(programs.dir.filePath("xdg-open.args"))) << "no \"/daily/\" is opened";
}

TEST(MainFormCommands, HelpOpensNoPageOfAHostThatIsNotReal)
{
    auto form = MakeMainForm();
    RecordingPrograms programs({"xdg-open"});
    ModalCatcher boxes;
    form->Homepage1->trigger();
    form->Community1->trigger();
    EXPECT_EQ(boxes.Captions, QStringList({"Home page", "Community"}));
    EXPECT_EQ(boxes.Texts, QStringList({"Orvanta has no home page on the internet yet.",
                                        "Orvanta has no community page on the internet yet."}));
    PumpUntil([] { return false; }, 300);
    EXPECT_FALSE(QFile::exists(programs.dir.filePath("xdg-open.args"))) << "no browser is started";
}
