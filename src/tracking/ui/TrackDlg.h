#pragma once
// "Track satellites": the live position of the ticked satellites, one row
// each, refreshed by TTrackDlgThread. The thread only counts sweeps and asks
// the GUI to fill row i + 1 from item i of Tracked inside the synchronised
// step, so the list is read and changed on the GUI thread alone.
#include "platform/Thread.h"

#include <QDialog>
#include <atomic>
#include <condition_variable>
#include <mutex>

class PList;
class QComboBox;
class QListWidget;
class QListWidgetItem;
class QTableWidget;
class TSat;
struct TStation;
class TTrackDlg;

class TTrackDlgThread : public TThread {
public:
    explicit TTrackDlgThread(TTrackDlg* dialog);
    // Paused: the thread waits (no sweep) until resumed or terminated.
    void SetPaused(bool paused);
    void Stop();  // terminates and wakes a paused thread

protected:
    void Execute() override;

private:
    TTrackDlg* dialog_;  // owns this thread
    std::mutex mutex_;
    std::condition_variable changed_;
    bool paused_ = true;  // guarded by mutex_
};

class TTrackDlg : public QDialog {
    Q_OBJECT
public:
    explicit TTrackDlg(QWidget* parent = nullptr);  // FormCreate
    ~TTrackDlg() override;                          // FormDestroy

    QComboBox* GroupCb;
    QListWidget* SatList;  // checkable; items carry their TSat
    QTableWidget* TrackGrid;

    QList<TSat*> Tracked;         // in ticking order; row i + 1 shows item i
    PList* Satellites = nullptr;  // the catalogue; not owned
    TStation* Station = nullptr;  // not owned
    TSat* CurrentSat = nullptr;
    int CurrentRow = -1;

    // One synchronised step of the thread: fills row (1-based) from Tracked.
    void UpdateGrid(int row);
    void SetRunning(bool run);
    int TrackedCount() const { return trackedCount_.load(); }

public slots:
    void GroupCbChange();
    void SatListClick(QListWidgetItem* item);

protected:
    void showEvent(QShowEvent* event) override;   // FormShow
    void closeEvent(QCloseEvent* event) override; // FormClose
    void done(int result) override;

private:
    void StopThread();
    std::unique_ptr<TTrackDlgThread> thread_;
    std::atomic<int> trackedCount_{0};  // what the thread may sweep
    bool filling_ = false;              // GroupCbChange ticks items: not the user's clicks
};

extern TTrackDlg* TrackDlg;
