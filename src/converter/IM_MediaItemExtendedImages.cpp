#include "converter/IM_MediaItemExtendedImages.h"

#include "converter/IM_MediaItemExtended.h"
#include "converter/ImageManager.h"

namespace IM_MediaItemExtendedImages {

QImage formatImage(const IM_MediaItemExtended &item)
{
    const auto preset = item.formatItem();
    if (!preset || !g_imageMgr)
        return {};
    return g_imageMgr->imageWithSliceId(preset->pixID(), QStringLiteral("formatIcons"));
}

QImage image(const IM_MediaItemExtended &item)
{
    if (!item.isMergedGroup() || !g_imageMgr)
        return {};
    return g_imageMgr->imageWithSliceId(QStringLiteral("MediaMergedImage"), QStringLiteral("MainWnd"));
}

} // namespace IM_MediaItemExtendedImages
