#include "imaging/LogViewRenderer.h"

#include "imaging/ImageAnnotation.h"
#include "imaging/ViewRenderer.h"

TViewLogRenderer::TViewLogRenderer(TAPT* engine, const TSetting& settings, const QString& passDescription,
                                   bool northbound, TTableFinder tableFinder)
    : engine_(engine),
      settings_(settings),
      passDescription_(passDescription),
      northbound_(northbound),
      tableFinder_(std::move(tableFinder))
{
}

QString TViewLogRenderer::GetLUTFileName(int type)
{
    return tableFinder_ ? tableFinder_(type) : QString();
}

MagickImagePtr TViewLogRenderer::RenderView(const Image* lut, int type)
{
    const TViewInfo* info = GetViewInfo(type);
    if (!engine_ || !info)
        return nullptr;
    const TLookupTable table(const_cast<Image*>(lut));
    MagickImagePtr image = RenderViewPixels(*engine_, lut ? &table : nullptr, RenderOptionsFrom(settings_, type));
    if (!image)
        return nullptr;
    if (northbound_)
        FlipNorthbound(image.get(), type);
    if (EnhanceView(image.get(), settings_, info->Modulated) != TEnhanceResult::Ok)
        return nullptr;
    MagickImageInfoPtr imageInfo(CloneImageInfo(nullptr));
    MagickExceptionPtr exception(AcquireExceptionInfo());
    if (!imageInfo || !exception)
        return nullptr;
    AnnotateView(image.get(), imageInfo.get(), settings_, passDescription_, exception.get());
    return image;
}
