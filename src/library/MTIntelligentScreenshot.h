#pragma once

#include <QImage>
#include <QString>

// Judges whether a snapshot is worth showing: not nearly black, not nearly white, not one flat
// colour. Looks at 400 pixels spread evenly over the picture (a 20 x 20 grid).
class MTIntelligentScreenshot
{
public:
    MTIntelligentScreenshot() = delete;

    static constexpr int Samples = 400;

    static bool ScreenshotRecognitionWithImagePath(const QString &path);
    static int ScoreScreenshotRecognitionWithImagePath(const QString &path);

    // A null image fails every test (NO, 0).
    static bool FilterDarkWithImageRep(const QImage &image);
    static bool FilterHighlightWithImageRep(const QImage &image);
    static bool FilterLowChromaticAberrationWithImageRep(const QImage &image);
    static bool FilterLowColorRichnessWithImageRep(const QImage &image);
    static int ScoreFilterDarkWithImageRep(const QImage &image);
    static int ScoreFilterHighlightWithImageRep(const QImage &image);
    static int ScoreFilterLowChromaticAberrationWithImageRep(const QImage &image);
    static bool ScoreFilterLowColorRichnessWithImageRep(const QImage &image);

    // The picture at path as 8-bit RGB(A); null when it cannot be read or is absurdly large.
    static QImage readImage(const QString &path);
};
