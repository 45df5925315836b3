#pragma once
// TR2FXForm: "R2FX Tuner and Programmer", a small always-on-top panel drawn
// as the receiver's front: six memory-channel lamps, a four-lamp signal meter
// with its value, a frequency field with "TUNE", and the buttons that open
// the setup dialog. While it is open its polling thread (TR2FXThread) reads
// the signal and carries out the requests queued here; every receiver access
// runs on the GUI thread. Made at start-up, it lives for the whole run.
#include <QImage>
#include <QStringList>
#include <QWidget>
#include <functional>

class QLabel;
class QToolButton;
class TR2FXThread;
class TRig;
class TUDEdit;

class TR2FXForm : public QWidget {
    Q_OBJECT
public:
    explicit TR2FXForm(QWidget* parent = nullptr);
    ~TR2FXForm() override;

    static constexpr int kClientWidth = 414;
    static constexpr int kClientHeight = 148;

    QImage r2fx_Image;  // the front panel, also the window's size
    QToolButton* ch_1_btn;
    QToolButton* ch_2_btn;
    QToolButton* ch_3_btn;
    QToolButton* ch_4_btn;
    QToolButton* ch_5_btn;
    QToolButton* ch_6_btn;
    QToolButton* SetupR2FXBtn;
    QToolButton* SpeedButton1;
    QToolButton* tuneBtn;
    QLabel* signalLabel;
    QImage s_0_image, s_1_image;    // signal lamp off and on
    QImage ch_0_image, ch_1_image;  // channel lamp off and on
    TUDEdit* Freq;

    QStringList MemoryLines;  // the receiver's eight memory lines; empty when none
    TR2FXThread* PollThread = nullptr;  // owned; null when stopped
    TRig* Rig = nullptr;                // the main window's link; not owned
    int CurrentChannel = 0;             // memory channel 1..6 shown as selected; 0 none

    // (Re)starts the window on the link: reads the memory listing, shows it
    // and starts the polling thread. On failure closes the link, says why
    // when showError, and returns false.
    bool ConnectReceiver(bool showError);
    // Ends and deletes the polling thread (serving its pending steps).
    void StopPollThread();
    // Queues the memory channel that holds this downlink (MHz text). True
    // without effect while no thread runs; false when the frequency is out
    // of the receiver's range or no channel holds it.
    bool SelectChannelByFrequency(const QString& mhz);
    // A thread exists and has not ended.
    bool IsPolling() const;

    void tuneBtnClick();
    // sender: one of the six channel buttons (its "Tag" 1..6).
    void ToggleChannelClick(QObject* sender);
    // The setup dialog, in thread or direct mode (R2FXFormSetup.cpp).
    void SetupR2FXBtnClick();

    // What the window shows, drawn on its surface by the thread's steps: the
    // meter for a reading (lamps lit only from 40 on), the lamp and field of
    // a selected channel. Drawing stops when stop() turns true.
    void DrawMeter(int signal, const std::function<bool()>& stop);
    void ShowChannel(int channel, double mhz);
    // The window's surface as last drawn.
    const QImage& Surface() const { return surface_; }

    // How long closing the setup dialog waits for requests still queued to
    // the thread (tests shorten it).
    int SetupRequestWaitMs = 20000;

    // Refuses every size but the panel's.
    bool FormCanResize(const QSize& requested) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void FormClose();
    // Redraws the whole surface: the panel, the channel lamps and the meter
    // for the running thread's signal.
    void FormPaint();
    void DrawChannelLamps(int channel);
    void DrawMeterLamps(int litUpTo, const std::function<bool()>& stop);
    QToolButton* ChannelButton(int channel) const;
    void BuildLayout();

    QImage surface_;
    bool placed_ = false;  // a stored placement, or the first showing, has put it somewhere
};

extern TR2FXForm* R2FXForm;
