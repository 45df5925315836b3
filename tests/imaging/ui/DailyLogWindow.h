#pragma once
// A main window with the process log, the log options dialog and one image
// window of a decoded NOAA 18 pass, for the tests of "Add to the daily
// log...". The daily page is not opened in a browser: the page handed over
// is recorded.
#include "MainFormFixture.h"
#include "PassWindow.h"
#include "publishing/ui/LogDlg.h"
#include "shell/ui/LogForm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <memory>

class DailyLogWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = MakeMainForm();
        processLog = std::make_unique<TLogForm>(form.get());
        options = std::make_unique<TLogDlg>(form.get());
        child = passwindow::AddPassWindow(*form);
        ASSERT_TRUE(child->ShowView(ivVideoB, 0));
        child->Pass = std::make_unique<TSat>(passwindow::Noaa18Pass(false));
        keepOpenPage_ = TMDIChild::OpenDailyPage;
        TMDIChild::OpenDailyPage = [this](const QString& page) { opened << page; };
        TSetting& settings = *form->Settings;
        TSetting::FreeLogImages(&settings.LogImages, false);
        for (int type : {ivVideoA, ivVideoB})
            settings.LogImages.Add(new TLogImage(TLogger::kProductNames[type], type));
        settings.LogURL = "http://apt.example.org/logs";
        settings.BlogTitle = "Testville APT";
        settings.Email = "station@example.org";
    }
    void TearDown() override
    {
        TMDIChild::OpenDailyPage = keepOpenPage_;
        TMDIChild::LogFtpPort = "ftp";
    }

    QString DailyDir() const { return form->Folders().GetLogDir() + "/daily"; }
    QString Page() const { return DailyDir() + "/index.html"; }
    QString PendingList() const { return DailyDir() + "/upload.txt"; }
    // Every file of the daily log with its contents, relative to the daily folder.
    QMap<QString, QByteArray> DailyFiles() const
    {
        QMap<QString, QByteArray> files;
        QDir daily(DailyDir());
        for (const QString& name : {QString("index.html"), QString("daily_apt_blog.xml"), QString("upload.txt")})
            if (QFileInfo(daily.filePath(name)).isFile())
                files[name] = Read(daily.filePath(name));
        for (const char* sub : {"images", "images/thumbs"})
            for (const QString& name : QDir(daily.filePath(sub)).entryList(QDir::Files, QDir::Name))
                files[QString(sub) + "/" + name] = Read(daily.filePath(QString(sub) + "/" + name));
        return files;
    }
    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing " + path.toUtf8() + ">");
    }

    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TLogForm> processLog;
    std::unique_ptr<TLogDlg> options;
    TMDIChild* child = nullptr;  // owned by the main window's MDI area
    QStringList opened;          // pages handed to the browser

private:
    std::function<void(const QString&)> keepOpenPage_;
};
