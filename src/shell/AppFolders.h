#pragma once
// Every folder and fixed file name of the program, computed in one place.
// The program folder ends in '/', every other folder is returned without a
// trailing separator. The audio, log and feed-cache folders follow the
// registry values "Audio" and "Log" under "APT\Paths" at once.
// The main window owns one of these; engine code is handed the folders it
// needs as parameters.
#include <QDateTime>
#include <QString>
#include <functional>

// The three levels of a dated recording folder: year, month name, day.
inline constexpr const char* kDatedYearFormat = "yyyy";
inline constexpr const char* kDatedMonthFormat = "MMMM";
inline constexpr const char* kDatedDayFormat = "dd_dddd";

inline constexpr const char* kFolderErrorCaption = "Fatal Error! Unable to create directory.";

class TAppFolders {
public:
    // Shows a failure to the user: text first, caption second.
    using ErrorReporter = std::function<void(const QString& text, const QString& caption)>;

    TAppFolders(const QString& appDir, ErrorReporter showError);

    QString GetAppDir() const { return appDir_; }

    // With enter set, the folder is made when missing and becomes the current
    // directory; when it cannot be made the error is shown and the program
    // folder becomes the current directory. The path is returned in every case.
    QString GetConfigDir(bool enter = false) const;
    QString GetTempDir(bool enter = false) const;
    QString GetKeplerDir(bool enter = false) const;
    QString GetKeplerArchiveDir(bool enter = false) const;

    QString GetLUTDir() const;
    QString GetImagesDir() const;
    QString GetLogosDir() const;
    QString GetRawAudioDir() const;
    QString GetFlatEarthTemplateDir() const;
    QString GetMapsDir() const;

    QString GetAudioDir() const;
    QString GetLogDir() const;
    QString GetRSSDir() const;

    QString GetTLEFileName() const;
    QString GetSatelliteDatabaseFileName() const;
    QString GetTimeServersFileName() const;
    QString GetKepURLFileName() const;
    QString GetKepArchiveURLFileName() const;
    QString GetFlatEarthFileName() const;
    QString GetTestImageFileName(bool deleteFirst) const;

    // Makes the twelve start-up folders in their order (each failure shown,
    // the rest still made) and records "Config", "Audio", "Log" and "RSS"
    // under "APT\Paths" for the folders that exist.
    void CreateAppFolders() const;

    // base/yyyy/MMMM/dd_dddd of when (month and day names of the user's
    // locale); true when the folder exists or was made. path is set either way.
    static bool MakeDatedPath(const QString& base, const QDateTime& when, QString& path);

private:
    QString Sub(const QString& relative) const { return appDir_ + relative; }
    QString Enter(const QString& folder, bool enter) const;

    QString appDir_;
    ErrorReporter showError_;
};
