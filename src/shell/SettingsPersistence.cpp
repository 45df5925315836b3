#include "shell/SettingsPersistence.h"

#include "platform/CNumbers.h"
#include "shell/RegistryHelpers.h"

#include <QFileInfo>
#include <algorithm>
#include <climits>

namespace {

// Missing or non-numeric text reads as 0; digits followed by other
// characters give the number they start with.
int ToInt(const QString& text)
{
    return static_cast<int>(std::clamp<long long>(cnum::ParseInt(text), INT_MIN, INT_MAX));
}

// Reads or writes one field of "APT\Settings" (or another key), in one
// direction, so that load and save walk the same list in the same order.
class SettingsIO {
public:
    explicit SettingsIO(bool load) : load_(load) {}

    void Int(const char* name, int& field, const char* key = kSettingsKey)
    {
        if (load_)
            field = ToInt(ReadRegistryString(key, name));
        else
            WriteRegistryString(key, name, QString::number(field));
    }

    void Float(const char* name, double& field)
    {
        if (load_)
            field = cnum::ParseFloat(ReadRegistryString(kSettingsKey, name));
        else
            WriteRegistryString(kSettingsKey, name, cnum::FormatFloatQ(field));
    }

    void Text(const char* name, QString& field)
    {
        if (load_)
            field = ReadRegistryString(kSettingsKey, name);
        else
            WriteRegistryString(kSettingsKey, name, field);
    }

    // Written as a floating value, read back as a whole number: the settings
    // dialog sets whole point sizes only.
    void WholeFloat(const char* name, double& field)
    {
        if (load_)
            field = ToInt(ReadRegistryString(kSettingsKey, name));
        else
            WriteRegistryString(kSettingsKey, name, cnum::FormatFloatQ(field));
    }

    void Unsigned(const char* name, int& field)
    {
        if (load_)
            field = ToInt(ReadRegistryString(kSettingsKey, name));
        else
            WriteRegistryString(kSettingsKey, name, QString::number(static_cast<quint32>(field)));
    }

    // The four corrected fields: a missing or zero value keeps the field's
    // current value, and either way it is brought into range.
    void Percent(const char* name, TSetting& s, int (TSetting::*clamp)(int))
    {
        if (load_)
            (s.*clamp)(ToInt(ReadRegistryString(kSettingsKey, name)));
        else
            WriteRegistryString(kSettingsKey, name, QString::number((s.*clamp)(0)));
    }

    void Gamma(TSetting& s)
    {
        if (load_)
            s.ClampGamma(cnum::ParseFloat(ReadRegistryString(kSettingsKey, "Gamma")));
        else
            WriteRegistryString(kSettingsKey, "Gamma", cnum::FormatFloatQ(s.ClampGamma(0)));
    }

private:
    bool load_;
};

void LoadLogImages(TLogImageList& images)
{
    TSetting::FreeLogImages(&images, false);
    const auto names = ListRegistryNames(kSettingsLogImagesKey, false);
    if (!names)
        return;
    for (const QString& name : *names)
        images.Add(new TLogImage(name, ToInt(ReadRegistryString(kSettingsLogImagesKey, name))));
}

void SaveLogImages(const TLogImageList& images)
{
    DeleteRegistryValues(kSettingsLogImagesKey);
    for (int i = 0; i < images.Count; ++i) {
        const TLogImage* image = images.At(i);
        WriteRegistryString(kSettingsLogImagesKey, image->Name, QString::number(image->Type));
    }
}

// The values before the image list, in their stored order.
void FirstValues(SettingsIO& io, TSetting& s)
{
    io.Int("LogModes", s.LogModes);
    io.Int("RIGModes", s.RIGModes, kSettingsRIGKey);
    io.Int("PassModes", s.PassModes);
    io.Int("PassElev", s.PassElev);
    io.Int("AOSElev", s.AOSElev);
    io.Int("LOSElev", s.LOSElev);
    io.Int("Duration", s.Duration);
    io.Float("AOSPathLoss", s.AOSPathLoss);
    io.Float("LOSPathLoss", s.LOSPathLoss);
    io.Int("IRSunEle", s.IRSunEle);
    io.Int("AnnotateModes", s.AnnotateModes);
    io.Text("AnnotateText", s.AnnotateText);
    io.Int("TextPos", s.TextPos);
    io.Text("FontName", s.FontName);
    io.Text("FontFile", s.FontFile);
    io.Int("FontColor", s.FontColor);
    io.WholeFloat("FontSize", s.FontSize);
    io.Int("FontBkColor", s.FontBkColor);
    io.Int("TextBkOpacity", s.TextBkOpacity);
    io.Text("LogoFilename", s.LogoFilename);
    io.Int("LogoPos", s.LogoPos);
}

// The values after the image list, in their stored order.
void LastValues(SettingsIO& io, TSetting& s)
{
    io.Float("LowTempValue", s.LowTempValue);
    io.Int("ImageModes", s.ImageModes);
    io.Int("ThumbSize", s.ThumbSize);
    io.Text("ImageExt", s.ImageExt);
    io.Text("RawExt", s.RawExt);
    io.Int("Compression", s.Compression);
    io.Unsigned("Quality", s.Quality);
    io.Int("ImageType", s.ImageType);
    io.Int("Interlace", s.Interlace);
    io.Percent("Brightness", s, &TSetting::ClampBrightness);
    io.Percent("Saturation", s, &TSetting::ClampSaturation);
    io.Percent("Hue", s, &TSetting::ClampHue);
    io.Gamma(s);
    io.Int("Contrast", s.Contrast);
    io.Text("Host", s.Host);
    io.Text("UserName", s.UserName);
    io.Text("Password", s.Password);
    io.Text("FTPDir", s.FTPDir);
    io.Text("LogURL", s.LogURL);
    io.Text("Email", s.Email);
    io.Text("BlogTitle", s.BlogTitle);
    io.Int("WinModes", s.WinModes);
}

// Earlier versions came with made-up addresses for the web log, saved with
// the other settings at every exit. They were never the user's: read back,
// they count as not set, so the commands that need them ask for them.
void ForgetOldPlaceholders(TSetting& s)
{
    const struct {
        QString TSetting::*field;
        const char* placeholder;
    } olds[] = {{&TSetting::Host, "ftp.example.com"},
                {&TSetting::LogURL, "http://www.example.com/apt/logs"},
                {&TSetting::Email, "editor@example.com"}};
    for (const auto& old : olds)
        if (s.*old.field == old.placeholder)
            (s.*old.field).clear();
}

}  // namespace

void PersistSettings(TSetting& settings, bool load, const QString& logosDir)
{
    SettingsIO io(load);
    if (load) {
        const QString marker = ReadRegistryString(kSettingsKey, QString());
        if (marker.isEmpty() || marker == "0") {
            const QString logo = logosDir + "/" + kFirstRunLogo;
            if (QFileInfo::exists(logo))
                settings.LogoFilename = logo;
            return;
        }
    } else {
        WriteRegistryString(kSettingsKey, QString(), "1");
    }

    FirstValues(io, settings);
    if (load)
        LoadLogImages(settings.LogImages);
    else
        SaveLogImages(settings.LogImages);
    LastValues(io, settings);

    if (load) {
        ForgetOldPlaceholders(settings);
        settings.Validate();
    }
}
