#include "converter/EncodeParamWrapper.h"

bool EncodeParamWrapper::valueForKey(const QString &key, double *value) const
{
    if (key == QLatin1String("width"))
        *value = width();
    else if (key == QLatin1String("height"))
        *value = height();
    else if (key == QLatin1String("framerate"))
        *value = framerate();
    else if (key == QLatin1String("videobitrate"))
        *value = videobitrate();
    else if (key == QLatin1String("channel"))
        *value = channel();
    else if (key == QLatin1String("audiobitrate"))
        *value = audiobitrate();
    else if (key == QLatin1String("samplerate"))
        *value = samplerate();
    else
        return false;
    return true;
}
