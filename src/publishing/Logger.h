#pragma once
// TLogger: one run of the daily web log for the pass of one image window.
// The run chooses the products the settings ask for and the telemetry
// allows, renders each off screen through the window, writes it with a
// thumbnail into the "daily" folder of the log folder, puts a new entry at
// the top of today's page "index.html" and a new item at the top of the feed
// "daily_apt_blog.xml". The first run of a day starts page, feed and images
// anew; later runs continue them.
//
// A logger is made for one run (and its upload) by the processing thread
// after a live pass (with itself as thread), or on the GUI thread by the
// end-of-recording handler and the window's "Add to the daily log..."
// (without one). It never shows a box and never throws: what went wrong is
// in its message lines for the process-information window, and in the
// results.
//
// After a run, UploadLog copies the page, the feed and the run's images
// with their thumbnails to the FTP server (Upload.cpp); what could not be
// sent waits in the pending-upload list "upload.txt" for the next upload
// or a retry.
//
// Threads: a logger is used by the one thread that made it and takes no
// locks. Its FTP client is made, used and deleted inside each upload
// operation on that thread, whose own message queue the client's blocking
// calls pump. It works on its own copies of the settings and the pass; the
// engine and the renderer belong to the window, which does not close while
// the logger is busy. Busy may be read from any thread.
#include "apt/APTThread.h"
#include "net/FtpClient.h"
#include "orbit/Sat.h"
#include "publishing/PassTable.h"
#include "shell/Setting.h"

#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// How the log renders a product: the image window's off-screen view
// renderer. Called on the logger's thread while the window's engine holds
// the lines the logger prepared (raw for type 0, calibrated otherwise).
class TLogRenderer {
public:
    virtual ~TLogRenderer() = default;
    // The colour look-up-table file chosen for a view of type 3, 4, 5 or 7;
    // empty when none is chosen or the file is missing.
    virtual QString GetLUTFileName(int type) = 0;
    // The engine's lines as the view of product type 0..7, with the
    // settings' enhancement and annotation, without touching the screen.
    // lut is the colour table of types 3, 4, 5 and 7, else null. The image
    // is the caller's; null when the view cannot be made.
    virtual MagickImagePtr RenderView(const Image* lut, int type) = 0;
};

// What a run reads besides the settings. Copied into the logger.
struct TLogSource {
    TAPT* Engine = nullptr;              // the window's engine; not owned
    std::optional<TSat> Pass;            // the window's pass; none: nothing to log
    TLogRenderer* Renderer = nullptr;    // the window; not owned
    QString LogDir;                      // the log folder; the daily log lies in its "daily"
    QString ReceiverName;                // the receiver's model, shown with RIGModes bit 0
    QString FtpPort = "ftp";             // the upload server's port: a service name or a number
};

class TLogger : public TPassLogWriter {
public:
    // The product types and their captions, in the settings dialog's order.
    static constexpr int kProductTypes = 8;
    static const char* const kProductNames[kProductTypes];

    // settings: copied and validated. thread: the processing thread that
    // runs this logger, or null on the GUI thread; not owned.
    TLogger(const TSetting& settings, TLogSource source, TAPTThread* thread);
    ~TLogger() override;
    TLogger(const TLogger&) = delete;
    TLogger& operator=(const TLogger&) = delete;

    // One log run (the log is daily whatever daily says). True when the
    // images, the page and the feed were written.
    bool WriteLog(bool daily) override;
    bool IsBusy() const override { return Busy.load(); }

    // Upload.cpp. Each returns whether everything was sent; the messages go
    // to the process-information window at the end (FlushMessages).
    //
    // The last run's page, feed and images, then the pending list (its last
    // name first). With keepConnected the connection stays open and the
    // caller ends it with Disconnect on this same thread.
    bool UploadLog(bool keepConnected) override;
    // "Retry upload": the page, the feed and every image of the pending list.
    bool RetryUpload();
    // "Upload all files": the page, the feed and every image that has its
    // thumbnail.
    bool UploadAllFiles();
    // The path of "upload.txt" when it exists, else empty; with remove the
    // list is deleted and the answer is empty.
    QString GetPendingUploadFile(bool remove);
    // QUIT when connected, then the client is deleted.
    void Disconnect();

    // "Create new": deletes the page, the feed, their working copies, the
    // pending-upload list and every image and thumbnail. Folders stay.
    void StartNewDailyLog();
    // "Add to existing": the page and the feed get today's date, so the next
    // run continues them (and numbers its images after theirs); a file whose
    // date cannot be set is deleted.
    void TouchDailyLog();

    // The messages to the process-information window: through the thread's
    // synchronised call, or without a thread to OnMessages.
    void FlushMessages();

    // The run's own settings. A run with an empty blog title gives it the
    // default title here; the caller may keep it in the main record.
    const TSetting& Settings() const { return settings_; }
    const TLogImageList& Images() const { return images_; }  // the last run's products
    int EntryNumber() const { return entryNumber_; }         // the last run's entry on the page
    QString LocalDir() const { return localDir_; }

    std::atomic<bool> Busy{false};  // written by the run, read by any thread
    // The run's entries: a "ddd d mmm yyyy hh:nn:ss" line, the text, an empty line.
    QStringList Messages;
    // Receives the messages of a logger made without a thread (GUI thread).
    std::function<void(const QStringList&)> OnMessages;

private:
    void AddMessage(const QString& text);
    bool Run();
    bool ChooseProducts();
    bool IsTaken(int type, int channelA, int channelB) const;

    // ProductImages.cpp
    bool WriteProductImages();
    int GetNextImageNumber() const;
    bool WriteProduct(TLogImage& product, int number, ImageInfo* info);

    // DailyPage.cpp
    bool WritePage(const QString& path, QString& error);
    // DailyFeed.cpp
    bool WriteFeed(const QString& path, QString& error);

    // Upload.cpp
    bool Connect();
    bool ChangeDir(const QString& path);
    bool MakeRemoteFolders();
    bool SendFile(const QString& localPath, const QString& remotePath, bool binary);
    bool SendPageAndFeed();
    bool SendImage(const QString& name);
    bool SendRunFiles();
    void SendPendingNames();
    void AppendPendingUploads(const QStringList& names);
    void KeepPending(const QStringList& names);
    // Lines of the pending list that name no image of the log, one message each.
    void ReportRefusedNames(const QStringList& refused);
    bool UploadListedFiles(QStringList& names);
    QString RemoteDir() const;
    QString PendingListPath() const;
    QString FtpError() const;

    TSetting settings_;
    TAPT* const engine_;              // not owned
    std::unique_ptr<TSat> sat_;       // own copy of the pass, or null
    TLogRenderer* const renderer_;    // not owned
    const QString logDir_;
    const QString receiverName_;
    TAPTThread* const thread_;        // not owned; null on the GUI thread
    TDateTime passTime_ = 0;          // UTC start of the recording window
    int entryNumber_ = 0;
    TLogImageList images_;
    QString localDir_;
    TPassTable passTable_;            // measured by the page, read by the feed
    const QString ftpPort_;
    std::unique_ptr<TFtpClient> ftp_;  // from Connect to Disconnect, on this logger's thread
    QString remoteStartDir_;          // the server's folder after log-in; "" while not connected
};

// The processing thread's post-pass log writer for a window: a TLogger on
// the thread's settings and the given source.
TPassLogWriterFactory MakeThreadLoggerFactory(TLogSource source);
