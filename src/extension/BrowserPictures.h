#pragma once

#include <QImage>

// The pictures of the browser rows, drawn here from simple shapes (no slice sheet reaches the
// plug-in): Safari a compass, Chromium a three-part ring round a blue centre, Firefox an orange
// crescent round a violet globe. A browser that is not on this system is drawn in grey.
class BrowserPictures
{
public:
    enum Browser { Safari = 0,
                   Chrome = 1,
                   Firefox = 2 };
    // side in device-independent pixels; drawn at devicePixelRatio for a crisp picture.
    static QImage picture(Browser browser, int side, bool available, qreal devicePixelRatio = 2.0);
};
