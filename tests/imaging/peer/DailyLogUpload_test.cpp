// "Add to the daily log..." of an image window against vsftpd on loopback:
// a new log uploaded, an upload that fails and waits, its retry, sending
// every file again, and a window that must stay while its upload runs.
#include "DailyLogWindow.h"
#include "ModalAnswer.h"
#include "peers/VsftpdServer.h"
#include "support/ModalCatcher.h"

#include <QAction>
#include <QCheckBox>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace peertest;

namespace {

constexpr char kFtpDir[] = "/pub/html/apt/logs";

// Plays the log options dialog: the radios and the check box, then OK.
std::unique_ptr<ModalAnswer<TLogDlg>> Choose(bool append, bool upload)
{
    return std::make_unique<ModalAnswer<TLogDlg>>([append, upload](TLogDlg* dialog) {
        (append ? dialog->AppendLog : dialog->NewLog)->setChecked(true);
        dialog->UploadLog->setChecked(upload);
        dialog->OKBtn->click();
    });
}

// Presses one of the dialog's two buttons.
std::unique_ptr<ModalAnswer<TLogDlg>> Press(QPushButton* TLogDlg::*button)
{
    return std::make_unique<ModalAnswer<TLogDlg>>([button](TLogDlg* dialog) { (dialog->*button)->click(); });
}

class DailyLogUpload : public DailyLogWindow {
protected:
    void UseServer(const VsftpdServer& server)
    {
        TMDIChild::LogFtpPort = QString::number(server.Port());
        TSetting& settings = *form->Settings;
        settings.Host = "127.0.0.1";
        settings.UserName = "anonymous";
        settings.Password = "station@example.org";
        settings.FTPDir = kFtpDir;
    }
    // The daily log's files on the server equal the local ones.
    void ExpectOnServer(const VsftpdServer& server, const QStringList& files)
    {
        for (const QString& file : files)
            EXPECT_EQ(Read(server.Pub() + "/html/apt/logs/daily/" + file), Read(DailyDir() + "/" + file))
                << file.toStdString();
    }
    static QStringList WithThumbs(const QStringList& images)
    {
        QStringList files;
        for (const QString& image : images)
            files << "images/" + image << "images/thumbs/" + image;
        return files;
    }
    QTemporaryDir root;  // the server's files, kept from one server to the next
};

}  // namespace

TEST_F(DailyLogUpload, ANewLogIsUploadedAFailedUploadWaitsAndIsRetried)
{
    {
        VsftpdServer server(root.path());
        START_VSFTPD(server);
        UseServer(server);
        auto answer = Choose(false, true);
        child->AddtotheDailylog2->trigger();
        EXPECT_EQ(opened, QStringList{Page()}) << processLog->Lines().join("\n").toStdString();
        ExpectOnServer(server, QStringList{"index.html", "daily_apt_blog.xml"} +
                                   WithThumbs({"img_000.jpg", "img_001.jpg"}));
    }

    // The server has gone: the run is written, its upload fails and waits.
    {
        auto answer = Choose(true, true);
        ModalAnswer<TLogForm> readLog([](TLogForm* window) { window->close(); });
        child->AddtotheDailylog2->trigger();
        EXPECT_EQ(readLog.Count, 1) << "the process log is shown";
        EXPECT_TRUE(processLog->Lines().join("\n").contains("Failed to connect to 127.0.0.1"))
            << processLog->Lines().join("\n").toStdString();
        EXPECT_EQ(opened.size(), 1) << "no page is shown after a failure";
        EXPECT_EQ(Read(PendingList()), "img_002.jpg\nimg_003.jpg\n");
    }

    VsftpdServer again(root.path());
    START_VSFTPD(again);
    UseServer(again);
    {
        auto answer = Press(&TLogDlg::RetryBtn);
        ModalCatcher boxes;
        child->AddtotheDailylog2->trigger();
        EXPECT_EQ(boxes.Texts, QStringList{"Log processed successfully"}) << processLog->Lines().join("\n").toStdString();
        EXPECT_EQ(boxes.Captions, QStringList{"Info: Done!"});
        EXPECT_FALSE(QFileInfo::exists(PendingList()));
        ExpectOnServer(again, QStringList{"index.html", "daily_apt_blog.xml"} +
                                  WithThumbs({"img_002.jpg", "img_003.jpg"}));
    }

    // Every file again, except an image whose thumbnail is missing.
    ASSERT_TRUE(QFile::remove(DailyDir() + "/images/thumbs/img_001.jpg"));
    const int storedBefore = again.StoredPaths().size();
    {
        auto answer = Press(&TLogDlg::UploadAllBtn);
        ModalCatcher boxes;
        child->AddtotheDailylog2->trigger();
        EXPECT_EQ(boxes.Texts, QStringList{"Log processed successfully"});
    }
    const QStringList stored = again.StoredPaths().mid(storedBefore);
    const QString daily = QString(kFtpDir) + "/daily/";
    QStringList expected{daily + "index.html", daily + "daily_apt_blog.xml"};
    for (const char* image : {"img_000.jpg", "img_002.jpg", "img_003.jpg"})
        expected << daily + "images/" + image << daily + "images/thumbs/" + image;
    EXPECT_EQ(stored, expected);
}

TEST_F(DailyLogUpload, TheWindowStaysAndTheCommandWaitsWhileItsUploadRuns)
{
    VsftpdServer server(root.path());
    START_VSFTPD(server, {.bytesPerSecond = 40000});
    UseServer(server);
    const QString firstImage = server.Pub() + "/html/apt/logs/daily/images/img_000.jpg";

    auto answer = Choose(false, true);
    QStringList refusals;
    int tries = 0;
    QTimer meddler;
    meddler.setInterval(10);
    QObject::connect(&meddler, &QTimer::timeout, [&] {
        // Once an image is on its way, the user closes the window, then the
        // program, and asks for the log again.
        if (!QFileInfo::exists(firstImage) || tries > 0)
            return;
        ++tries;
        ModalCatcher boxes;
        EXPECT_FALSE(child->parentWidget()->close());
        EXPECT_FALSE(form->close());
        child->AddtotheDailylog2->trigger();
        refusals = boxes.Texts;
    });
    meddler.start();
    child->AddtotheDailylog2->trigger();
    meddler.stop();

    EXPECT_EQ(tries, 1) << "the upload was caught in flight";
    EXPECT_EQ(answer->Count, 1) << "the command did nothing while its run was busy";
    EXPECT_EQ(refusals, QStringList(2, "Orvanta is processing the log.\nPlease wait for the process to finish!"));
    EXPECT_EQ(opened, QStringList{Page()}) << processLog->Lines().join("\n").toStdString();
    ExpectOnServer(server, QStringList{"index.html", "daily_apt_blog.xml"} +
                               WithThumbs({"img_000.jpg", "img_001.jpg"}));
    // Now the window closes.
    EXPECT_TRUE(child->parentWidget()->close());
}
