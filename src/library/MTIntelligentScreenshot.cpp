#include "library/MTIntelligentScreenshot.h"

#include "platform/SafeFileReader.h"
#include "platform/log/ScribletLogger.h"

#include <QFile>
#include <QImageReader>

#include <array>
#include <cstdlib>
#include <vector>

namespace {

struct Rgb
{
    int r, g, b;
};

// 20 x 20 points at the centres of an even grid over the picture.
std::vector<Rgb> samples(const QImage &image)
{
    std::vector<Rgb> out;
    if (image.isNull())
        return out;
    out.reserve(MTIntelligentScreenshot::Samples);
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    for (int j = 0; j < 20; ++j) {
        const int y = qMin(img.height() - 1, int((j + 0.5) * img.height() / 20));
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int i = 0; i < 20; ++i) {
            const int x = qMin(img.width() - 1, int((i + 0.5) * img.width() / 20));
            out.push_back({qRed(line[x]), qGreen(line[x]), qBlue(line[x])});
        }
    }
    return out;
}

} // namespace

QImage MTIntelligentScreenshot::readImage(const QString &path)
{
    QFile file(path);
    if (!SafeFileReader::open(file))
        return {};
    QImageReader reader(&file);
    const QSize size = reader.size();
    // A header that claims a giant picture is refused before any pixel is allocated.
    if (!size.isValid() || qint64(size.width()) * size.height() > 100'000'000)
        return {};
    QImage img = reader.read();
    return img;
}

bool MTIntelligentScreenshot::FilterDarkWithImageRep(const QImage &image)
{
    const auto s = samples(image);
    if (s.empty())
        return false;
    int dark = 0;
    for (const Rgb &c : s)
        dark += (c.r <= 19 && c.g <= 19 && c.b <= 19);
    return dark <= 320;
}

bool MTIntelligentScreenshot::FilterHighlightWithImageRep(const QImage &image)
{
    const auto s = samples(image);
    if (s.empty())
        return false;
    int bright = 0;
    for (const Rgb &c : s)
        bright += (c.r >= 221 && c.g >= 221 && c.b >= 221);
    return bright <= 240;
}

bool MTIntelligentScreenshot::FilterLowChromaticAberrationWithImageRep(const QImage &image)
{
    const auto s = samples(image);
    if (s.empty())
        return false;
    long sr = 0, sg = 0, sb = 0;
    for (const Rgb &c : s) {
        sr += c.r;
        sg += c.g;
        sb += c.b;
    }
    const int mr = int(sr / Samples), mg = int(sg / Samples), mb = int(sb / Samples);
    int flat = 0;
    for (const Rgb &c : s)
        flat += (std::abs(c.r - mr) <= 14 && std::abs(c.g - mg) <= 14 && std::abs(c.b - mb) <= 14);
    return flat <= 240;
}

bool MTIntelligentScreenshot::FilterLowColorRichnessWithImageRep(const QImage &image)
{
    const auto s = samples(image);
    if (s.empty())
        return false;
    // A sample is a new colour when it differs by 20 or more in some channel from every colour
    // collected so far.
    std::vector<Rgb> distinct;
    for (const Rgb &c : s) {
        bool isNew = true;
        for (const Rgb &d : distinct) {
            if (std::abs(c.r - d.r) < 20 && std::abs(c.g - d.g) < 20 && std::abs(c.b - d.b) < 20) {
                isNew = false;
                break;
            }
        }
        if (isNew) {
            distinct.push_back(c);
            if (distinct.size() >= 389)
                return true;
        }
    }
    return false;
}

bool MTIntelligentScreenshot::ScoreFilterLowColorRichnessWithImageRep(const QImage &image)
{
    return FilterLowColorRichnessWithImageRep(image);
}

int MTIntelligentScreenshot::ScoreFilterDarkWithImageRep(const QImage &image)
{
    return FilterDarkWithImageRep(image) ? 30 : 0;
}

int MTIntelligentScreenshot::ScoreFilterHighlightWithImageRep(const QImage &image)
{
    return FilterHighlightWithImageRep(image) ? 30 : 0;
}

int MTIntelligentScreenshot::ScoreFilterLowChromaticAberrationWithImageRep(const QImage &image)
{
    if (image.isNull())
        return 0;
    return FilterLowChromaticAberrationWithImageRep(image) ? 40 : 30;
}

bool MTIntelligentScreenshot::ScreenshotRecognitionWithImagePath(const QString &path)
{
    const QImage img = readImage(path);
    if (img.isNull())
        return false;
    if (!FilterDarkWithImageRep(img)) {
        ScribletLogInfo(QStringLiteral("截图暗色过滤"));
        return false;
    }
    if (!FilterHighlightWithImageRep(img)) {
        ScribletLogInfo(QStringLiteral("高亮过滤"));
        return false;
    }
    if (!FilterLowChromaticAberrationWithImageRep(img)) {
        ScribletLogInfo(QStringLiteral("低色差过滤"));
        return false;
    }
    ScribletLogInfo(QStringLiteral("截图有效"));
    return true;
}

int MTIntelligentScreenshot::ScoreScreenshotRecognitionWithImagePath(const QString &path)
{
    const QImage img = readImage(path);
    if (img.isNull())
        return 0;
    const int d = ScoreFilterDarkWithImageRep(img);
    ScribletLogInfo(QStringLiteral("score %1").arg(d));
    if (d < 30) {
        ScribletLogInfo(QStringLiteral("截图暗色过滤"));
        return d;
    }
    const int h = ScoreFilterHighlightWithImageRep(img);
    if (h < 30) {
        ScribletLogInfo(QStringLiteral("高亮过滤"));
        return d + h;
    }
    const int c = ScoreFilterLowChromaticAberrationWithImageRep(img);
    if (c < 40) {
        ScribletLogInfo(QStringLiteral("低色差过滤"));
        return d + h + c;
    }
    return 100;
}
