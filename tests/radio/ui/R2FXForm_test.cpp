// The R2FX window and its polling thread against a simulated receiver: what
// the connection shows, the signal meter, selecting a channel by frequency,
// and the bytes "TUNE" and the channel buttons put on the wire.
#include "R2FXBench.h"

#include "radio/Rig.h"
#include "shell/ui/UDEdit.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <clocale>
#include <gtest/gtest.h>

using namespace r2fxtest;

TEST(R2FXForm, ConnectingShowsTheCurrentChannel)
{
    struct Case {
        const char* name;
        const char* line7;
        int channel;
        const char* freq;
    };
    const Case cases[] = {
        {"line 7 ends in 3", "Channel:3", 3, "137.620"},
        {"no digit", "Channel:-", 0, "137.500"},
        {"0 is none", "Channel:0", 0, "137.500"},
        // The listing has no line for channels 7 to 9.
        {"digit 8 names no line", "Channel:8", 0, "137.500"},
    };
    for (const Case& c : cases) {
        R2FXWindowBench w;
        w.bench.far.SetMemory(3, 137.62);
        w.bench.far.SetCurrentChannelLine(c.line7);
        ASSERT_TRUE(w.Connect()) << c.name << ": " << w.bench.rig.GetErrorText().toStdString();
        EXPECT_EQ(w.form.CurrentChannel, c.channel) << c.name;
        EXPECT_EQ(w.form.Freq->Edit()->text(), c.freq) << c.name;
        EXPECT_EQ(w.form.MemoryLines.size(), 8) << c.name;
        EXPECT_EQ(w.form.ch_3_btn->toolTip(), "CH3:137.620MHz") << c.name;
        QList<bool> lit(6, false);
        if (c.channel)
            lit[c.channel - 1] = true;
        EXPECT_EQ(ChannelLamps(w.form, w.form.grab().toImage()), lit) << c.name;
        EXPECT_TRUE(w.form.IsPolling()) << c.name;
    }
}

TEST(R2FXForm, ShortOrOddLinesAreReadWithinBounds)
{
    // A current channel 2 whose line is cut short, and a line with no number:
    // the edit converts what is there.
    R2FXWindowBench w;
    w.bench.far.SetAnswer('M', "M\r\nCH1:137.5\r\nCH2\r\nCH3:x\r\nCH4:137.1MHz\r\nC\r\nCH6:137.400MHz\r\n2\r\nS\r\n");
    ASSERT_TRUE(w.Connect()) << w.bench.rig.GetErrorText().toStdString();
    EXPECT_EQ(w.form.CurrentChannel, 2);
    EXPECT_EQ(w.form.Freq->Edit()->text(), "134.000") << "no number reads as 0, held to the range";
}

TEST(R2FXForm, AFailedConnectionSaysWhyAndClosesThePort)
{
    R2FXWindowBench w;
    w.bench.far.SetAnswer('M', "M\r\nCH1:137.500MHz\r\n");
    ModalCatcher boxes;
    EXPECT_FALSE(w.form.ConnectReceiver(true));
    ASSERT_EQ(boxes.Captions, QStringList{"R2FX Error"});
    EXPECT_EQ(boxes.Texts[0], "Failed to read R2FX memory\nUse the General Settings-dialog to configure your radio.");
    EXPECT_FALSE(w.bench.rig.IsOpen());
    EXPECT_EQ(w.form.PollThread, nullptr);
}

TEST(R2FXForm, TheMeterFollowsTheSignal)
{
    struct Case {
        int signal;
        QList<bool> drawn;     // by the thread's step
        QList<bool> repainted; // by a repaint of the whole window
        const char* label;
    };
    const Case cases[] = {
        {85, {true, true, true, false}, {true, true, true, false}, "85"},
        {40, {true, false, false, false}, {true, false, false, false}, "40"},
        // The step has a floor of 40; painting has none and truncates to lamp 0.
        {39, {false, false, false, false}, {true, false, false, false}, "39"},
        {130, {true, true, true, true}, {true, true, true, true}, "130"},
        {0, {false, false, false, false}, {false, false, false, false}, ""},
    };
    R2FXWindowBench w;
    ASSERT_TRUE(w.Connect());
    for (const Case& c : cases) {
        w.bench.far.SetSignal(c.signal);
        // Consecutive cases differ in the meter, so the wait sees the new drawing.
        EXPECT_TRUE(WaitFor([&] {
            return w.form.PollThread->Signal == c.signal && w.form.signalLabel->text() == c.label &&
                   MeterLamps(w.form, w.form.Surface()) == c.drawn;
        })) << c.signal;
        EXPECT_EQ(MeterLamps(w.form, w.form.grab().toImage()), c.repainted) << c.signal;
    }
}

TEST(R2FXForm, SelectingAChannelByFrequency)
{
    R2FXWindowBench w;
    EXPECT_TRUE(w.form.SelectChannelByFrequency("137.9125")) << "no thread: nothing to do";
    EXPECT_FALSE(w.bench.far.Line().WaitForReceived(1, 100));

    w.bench.far.SetMemory(5, 137.91);
    w.bench.far.SetCurrentChannelLine("Channel:1");
    ASSERT_TRUE(w.Connect());
    ASSERT_TRUE(w.form.SelectChannelByFrequency("137.9125"));
    ASSERT_TRUE(WaitFor([&] { return w.form.CurrentChannel == 5; }));
    EXPECT_TRUE(w.bench.far.Line().Received().contains("C0791")) << "tuned to 137.91 through channel 0";
    EXPECT_EQ(w.form.Freq->Edit()->text(), "137.910");
    EXPECT_EQ(ChannelLamps(w.form, w.form.Surface()), (QList<bool>{false, false, false, false, true, false}));

    EXPECT_FALSE(w.form.SelectChannelByFrequency("140.5"));
    EXPECT_EQ(w.bench.rig.GetErrorText(), "Bad R2FX frequency 140.5 MHz. Valid range 134.000-139.990 MHz.");
}

TEST(R2FXForm, NoMemoryLineHoldsTheDownlink)
{
    // The simulator's channel 3 holds 137.9125, listed as 137.912: no line
    // holds 137.910.
    R2FXWindowBench w;
    ASSERT_TRUE(w.Connect());
    EXPECT_FALSE(w.form.SelectChannelByFrequency("137.9125"));
    EXPECT_FALSE(w.form.PollThread->HasFlags(rfSelectChannel));
    EXPECT_EQ(w.bench.rig.GetErrorText().toStdString(),
              QString("Tuning the R2FX on COM %1 to 137.9125 MHz: no line of its memory holds 137.910 MHz")
                  .arg(w.bench.rig.Port)
                  .toStdString())
        << "the tracker's report says what failed on which port";
}

TEST(R2FXForm, TuneAndChannelButtonsPutTheirCommandsOnTheWire)
{
    R2FXWindowBench w;
    ASSERT_TRUE(w.Connect());
    w.form.Freq->SetValue(137.62);
    w.form.tuneBtn->click();
    ASSERT_TRUE(WaitFor([&] { return w.bench.far.Line().Received().contains("C0762"); }));
    EXPECT_DOUBLE_EQ(w.bench.far.TunedMHz(), 137.62);

    w.form.ch_4_btn->click();  // CH4:137.100MHz
    ASSERT_TRUE(WaitFor([&] { return w.form.CurrentChannel == 4; }));
    EXPECT_TRUE(w.bench.far.Line().Received().contains("C0710"));
    EXPECT_EQ(w.form.Freq->Edit()->text(), "137.100");
}

TEST(R2FXForm, ClosingStopsTheThreadAndClosesThePort)
{
    R2FXWindowBench w;
    ASSERT_TRUE(w.Connect());
    w.form.show();
    ASSERT_TRUE(WaitFor([&] { return w.form.PollThread->Signal == 57; }));
    w.form.close();
    EXPECT_EQ(w.form.PollThread, nullptr);
    EXPECT_FALSE(w.bench.rig.IsOpen());
    EXPECT_TRUE(w.form.SelectChannelByFrequency("137.62")) << "a closed window leaves tuning to others";
}

TEST(R2FXForm, FrequencyTextsAreCLocale)
{
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        SKIP_MISSING("no de_DE.UTF-8 locale");
    R2FXWindowBench w;
    w.bench.far.SetMemory(3, 137.62);
    const bool connected = w.Connect();
    const bool selected = connected && w.form.SelectChannelByFrequency("137,62") == false &&
                          w.form.SelectChannelByFrequency("137.62");
    const QString freq = w.form.Freq->Edit()->text();
    std::setlocale(LC_ALL, "C");
    ASSERT_TRUE(connected);
    EXPECT_TRUE(selected) << "a point, never a comma, in the downlink";
    EXPECT_EQ(freq, "137.620");
}
