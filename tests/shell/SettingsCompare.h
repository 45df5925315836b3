#pragma once
// Field-by-field comparison of two settings records, for the tests that
// check a record came through an operation (or a save and load) unchanged.
#include "shell/Setting.h"

#include <gtest/gtest.h>

inline void ExpectSameSettings(const TSetting& a, const TSetting& b)
{
#define SAME(field) EXPECT_EQ(a.field, b.field) << #field
    SAME(ImageModes); SAME(RIGModes); SAME(WinModes); SAME(LogModes); SAME(PassModes);
    SAME(PassElev); SAME(AOSElev); SAME(LOSElev); SAME(Duration);
    SAME(AOSPathLoss); SAME(LOSPathLoss); SAME(IRSunEle); SAME(AnnotateModes);
    SAME(AnnotateText); SAME(FontName); SAME(FontFile); SAME(TextPos); SAME(FontColor);
    SAME(FontBkColor); SAME(FontSize); SAME(TextBkOpacity); SAME(LogoFilename); SAME(LogoPos);
    SAME(Host); SAME(UserName); SAME(Password); SAME(FTPDir); SAME(LogURL); SAME(Email);
    SAME(BlogTitle); SAME(ThumbSize); SAME(ImageExt); SAME(RawExt); SAME(Compression);
    SAME(Quality); SAME(ImageType); SAME(Interlace); SAME(Contrast); SAME(Gamma);
    SAME(Brightness); SAME(Saturation); SAME(Hue); SAME(LowTempValue);
#undef SAME
    ASSERT_EQ(a.LogImages.Count, b.LogImages.Count) << "LogImages";
    for (int i = 0; i < a.LogImages.Count; ++i) {
        EXPECT_EQ(a.LogImages.At(i)->Name, b.LogImages.At(i)->Name) << "LogImages " << i;
        EXPECT_EQ(a.LogImages.At(i)->Type, b.LogImages.At(i)->Type) << "LogImages " << i;
    }
}

// A record with every field away from its default and inside its limits.
inline TSetting NonDefaultSettings()
{
    TSetting s;
    s.ImageModes = 5; s.RIGModes = 1; s.WinModes = 4; s.LogModes = 0x3FF; s.PassModes = 0x1D;
    s.PassElev = 25; s.AOSElev = -2; s.LOSElev = 7; s.Duration = 600;
    s.AOSPathLoss = 139.123456789012; s.LOSPathLoss = 1.5e-7; s.IRSunEle = -12;
    s.AnnotateModes = 3; s.AnnotateText = QString::fromUtf8("Empfangen in Köln ©");
    s.FontName = "DejaVu Sans"; s.FontFile = "@/usr/share/fonts/x.ttf"; s.TextPos = 5;
    s.FontColor = 0x00FF00; s.FontBkColor = 0x123456; s.FontSize = 14.0; s.TextBkOpacity = 80;
    s.LogoFilename = "/home/u/logo.png"; s.LogoPos = 3;
    s.Host = "ftp.station.test"; s.UserName = "user"; s.Password = "p=\"w\\d\""; s.FTPDir = "/apt";
    s.LogURL = "http://station.test/apt/logs"; s.Email = "me@station.test"; s.BlogTitle = "My APT";
    s.ThumbSize = 20; s.ImageExt = ".png"; s.RawExt = ".png"; s.Compression = 10; s.Quality = 90;
    s.ImageType = 2; s.Interlace = 2; s.Contrast = 2; s.Gamma = 2.25;
    s.Brightness = 150; s.Saturation = 90; s.Hue = 110; s.LowTempValue = -30.5;
    s.LogImages.Add(new TLogImage("Video B", 2));
    s.LogImages.Add(new TLogImage("Normal", 0));
    s.LogImages.Add(new TLogImage("IR Low temperatures (ch 4)", 7));
    return s;
}
