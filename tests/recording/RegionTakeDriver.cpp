// Drives one region take on the X display it is started on, for the region overlay's tests: a
// known moving picture fills the screen, the overlay records a rectangle of it with the real
// capture tool, and the screen is grabbed to PNG files while cropping, counting down and
// recording. Arguments: the capture tool, the recordings folder, the pictures folder, a name
// for the pictures. Prints "shaped <0|1>", "overlap <0|1>" (the overlay's shape reached into
// the rectangle while recording), "clock <ms>" (the take's clock at the stop) and "take <path>", or "failed <reason>" and ends with 1.
#include "recording/SRCaptureView.h"
#include "recording/SRCropView.h"
#include "recording/ScreenRecordWndCtr.h"
#include "recording/ScreenRecordWndCtrDelegate.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

// Four fixed quarters and, in the middle, a square that turns from red to yellow and back five
// times a second: what the take must show inside the rectangle.
class MovingPicture : public QWidget
{
public:
    MovingPicture()
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint)
    {
        connect(&m_tick, &QTimer::timeout, this, [this] {
            m_on = !m_on;
            update();
        });
        m_tick.start(100);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const int w = width() / 2, h = height() / 2;
        p.fillRect(0, 0, w, h, QColor(0, 160, 0));
        p.fillRect(w, 0, width() - w, h, QColor(0, 0, 200));
        p.fillRect(0, h, w, height() - h, QColor(200, 200, 200));
        p.fillRect(w, h, width() - w, height() - h, QColor(0, 160, 160));
        p.fillRect(QRect(w - 40, h - 40, 80, 80), m_on ? QColor(220, 0, 0) : QColor(230, 230, 0));
    }

private:
    QTimer m_tick;
    bool m_on = false;
};

struct Ends : ScreenRecordWndCtrDelegate
{
    bool recordWillStart() override { return true; }
    void recordDidStop() override { QCoreApplication::exit(0); }
    void cropWndWillClose(const QString &reason) override
    {
        std::printf("failed %s\n", qPrintable(reason.isEmpty() ? QStringLiteral("closed") : reason));
        QCoreApplication::exit(1);
    }
};

void grab(const QString &folder, const QString &name)
{
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    QGuiApplication::primaryScreen()->grabWindow(0).save(path);
    std::printf("picture %s\n", qPrintable(path));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 5)
        return 2;
    const QString pictures = QString::fromLocal8Bit(argv[3]);
    const QString name = QString::fromLocal8Bit(argv[4]);
    ScreenRecordWndCtr::setToolProgramForTesting(QString::fromLocal8Bit(argv[1]));
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    MovingPicture picture;
    picture.setGeometry(QGuiApplication::primaryScreen()->geometry());
    picture.show();

    Ends ends;
    ScreenRecordWndCtr ctr(QString::fromLocal8Bit(argv[2]), &ends);
    ctr.showWindow();
    ctr.cropView()->setCropFrame(QRectF(80, 104, 480, 272));
    bool overlap = false;
    int step = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        switch (step) {
        case 0:
            // Cropping: once both windows are up and painted.
            if (!picture.isVisible() || !ctr.window()->isVisible())
                return;
            grab(pictures, name + QStringLiteral("-cropping"));
            std::printf("shaped %d\n", ctr.isShaped() ? 1 : 0);
            ctr.clickRecord();
            step = 1;
            return;
        case 1:
            if (ctr.captureView()->countNumber() != QLatin1String("3"))
                return;
            grab(pictures, name + QStringLiteral("-counting-down"));
            step = 2;
            return;
        case 2:
            if (ctr.isShaped() && ctr.phase() == ScreenRecordWndCtr::Phase::Recording
                && ctr.shapeRegion().intersects(ctr.captureRect().toAlignedRect().translated(-ctr.window()->pos())))
                overlap = true;
            if (ctr.capturedMs() < 1500)
                return;
            grab(pictures, name + QStringLiteral("-recording"));
            step = 3;
            return;
        case 3:
            if (ctr.capturedMs() < 3000)
                return;
            std::printf("overlap %d\n", overlap ? 1 : 0);
            std::printf("clock %lld\n", static_cast<long long>(ctr.capturedMs()));
            std::printf("take %s\n", qPrintable(ctr.outputFile()));
            std::fflush(stdout);
            ctr.stopRecord();
            step = 4;
            return;
        default:
            return;
        }
    });
    poll.start(50);
    const int code = app.exec();
    if (!ctr.toolOutput().isEmpty())
        std::fprintf(stderr, "%s", qPrintable(ctr.toolOutput()));
    return code;
}
