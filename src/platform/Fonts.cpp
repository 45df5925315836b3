#include "platform/Fonts.h"

#include <fontconfig/fontconfig.h>

QString FindInstalledFontFile(const QString& family)
{
    if (family.trimmed().isEmpty() || !FcInit())
        return {};
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FILE, FC_STYLE, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    QString found;
    QString foundStyle;
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcPattern* font = fonts->fonts[i];
        FcChar8* file = nullptr;
        if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
            continue;
        for (int n = 0;; ++n) {
            FcChar8* name = nullptr;
            if (FcPatternGetString(font, FC_FAMILY, n, &name) != FcResultMatch)
                break;
            if (QString::fromUtf8(reinterpret_cast<const char*>(name)).compare(family, Qt::CaseInsensitive) != 0)
                continue;
            FcChar8* style = nullptr;
            const QString styleText = FcPatternGetString(font, FC_STYLE, 0, &style) == FcResultMatch
                                          ? QString::fromUtf8(reinterpret_cast<const char*>(style))
                                          : QString();
            // Prefer the regular face of a family when several are installed.
            const bool regular = styleText.compare("Regular", Qt::CaseInsensitive) == 0 ||
                                 styleText.compare("Book", Qt::CaseInsensitive) == 0;
            if (found.isEmpty() || (regular && foundStyle != "regular")) {
                found = QString::fromUtf8(reinterpret_cast<const char*>(file));
                foundStyle = regular ? "regular" : styleText;
            }
        }
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}
