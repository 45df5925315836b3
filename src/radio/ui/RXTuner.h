#pragma once
// TRXTuner: the control panel of the ten-channel receivers, RIG RX2 and
// EMGO: ten channel buttons, the selected frequency and, for the RIG RX2
// only, a scan button, over a picture of the receiver's front. The port opens
// on the first command and stays open until the window closes. Made at
// start-up, it lives for the whole run; GUI thread only.
#include <QImage>
#include <QWidget>

class QLabel;
class QToolButton;
class TRig;

class TRXTuner : public QWidget {
    Q_OBJECT
public:
    explicit TRXTuner(QWidget* parent = nullptr);
    ~TRXTuner() override;

    static constexpr int kClientWidth = 455;
    static constexpr int kClientHeight = 141;

    QLabel* rximage;  // the receiver's front, centred
    QLabel* RXName;
    QLabel* ChannelCaption;  // "CHANNEL"
    QToolButton* ch_0_btn;
    QToolButton* ch_1_btn;
    QToolButton* ch_2_btn;
    QToolButton* ch_3_btn;
    QToolButton* ch_4_btn;
    QToolButton* ch_5_btn;
    QToolButton* ch_6_btn;
    QToolButton* ch_7_btn;
    QToolButton* ch_8_btn;
    QToolButton* ch_9_btn;
    QLabel* FreqLabel;
    QToolButton* ScanBtn;

    TRig* Rig = nullptr;  // the main window's link, set before showing; not owned

    // Selects the channel of a downlink (MHz text); false when no channel
    // holds it or the command failed (the link's error text says why).
    bool SelectChannelByFrequency(const QString& mhz);
    // The button of channel index 0..9, or null.
    QToolButton* ChannelButton(int index) const;

    // sender: one of the ten channel buttons (its "Tag" 0..9).
    void TuneRXClick(QObject* sender);
    void ScanBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void FormCreate();
    void FormDestroy();
    void FormShow();
    void FormClose();
    void FailureBox(const QString& caption);

    bool placed_ = false;  // a stored placement, or the first showing, has put it somewhere
};

extern TRXTuner* RXTuner;
