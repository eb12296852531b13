#pragma once

#include <QImage>

class IM_MediaItemExtended;

// The pictures of a convert-road item, cut from the process-wide image manager (g_imageMgr);
// null while it is not loaded. The manager keeps each cut slice, so a changed preset shows its
// own icon at once.
namespace IM_MediaItemExtendedImages {
// The preset's icon: its pixID in the sheet "formatIcons"; null without a preset.
QImage formatImage(const IM_MediaItemExtended &item);
// "MediaMergedImage" of the sheet "MainWnd" for a merged group; null for any other item.
QImage image(const IM_MediaItemExtended &item);
} // namespace IM_MediaItemExtendedImages
