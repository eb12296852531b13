#include "controls/ATPopupWindow.h"
#include "controls/AddToAnimationView.h"
#include "controls/AddToTaskAnimationWnd.h"
#include "controls/AppImages.h"
#include "controls/CircleAnimationView.h"
#include "controls/CircleImageView.h"
#include "controls/ControlSlices.h"
#include "controls/EditMenu.h"
#include "controls/EditMenuItem.h"
#include "controls/FrameAnimator.h"
#include "controls/ImageAnimationView.h"
#include "controls/MAAttachedWindow.h"
#include "controls/MGAnimationView.h"
#include "controls/MGProgressIndicator.h"
#include "controls/MTArrowPopView.h"
#include "controls/MTPopUpButtonCell.h"
#include "controls/MTThreePartButton.h"
#include "controls/MenuItemView.h"
#include "controls/ProgressBarView.h"
#include "controls/ProgressIndicatorView.h"
#include "controls/ShowTipMessage.h"
#include "controls/gallery/GalleryBook.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVariantAnimation>

#include <functional>
#include <memory>

// Gallery pages of the pop-overs, menus, flying pictures, progress and animation views. Windows
// are rendered into pictures first; an animation is shown as a strip of frames.
namespace {

const QColor Caption(95, 107, 122);

QImage renderAt(QWidget *w, qreal ratio)
{
    if (w->isWindow() && !w->isVisible()) {
        w->setAttribute(Qt::WA_DontShowOnScreen);
        w->show();
        QApplication::processEvents();
    }
    QImage img(w->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(ratio);
    img.fill(Qt::transparent);
    w->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

// A picture as a widget the book can shoot.
QLabel *picture(const QImage &img)
{
    auto *label = new QLabel;
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setPixmap(QPixmap::fromImage(img));
    return label;
}

QSize pointSize(const QImage &img)
{
    return (QSizeF(img.size()) / img.devicePixelRatio()).toSize();
}

void shootPicture(GalleryBook &book, const QString &control, const QString &state, const QImage &img)
{
    book.shoot(control, state, picture(img), pointSize(img));
}

// Frames side by side, each captioned with its time.
QImage strip(const QList<QImage> &frames, const QStringList &captions, qreal ratio, int gap = 8)
{
    int w = 0, h = 0;
    for (const QImage &f : frames) {
        w += pointSize(f).width() + gap;
        h = std::max(h, pointSize(f).height());
    }
    const int captionH = captions.isEmpty() ? 0 : 14;
    QImage out(QSize(std::max(1, w - gap), h + captionH) * ratio, QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(ratio);
    out.fill(Qt::transparent);
    QPainter p(&out);
    QFont font = QApplication::font();
    font.setPixelSize(9);
    p.setFont(font);
    p.setPen(Caption);
    int x = 0;
    for (int i = 0; i < frames.size(); ++i) {
        const QSize s = pointSize(frames[i]);
        p.drawImage(QRectF(QPointF(x, (h - s.height()) / 2.0), QSizeF(s)), frames[i]);
        if (i < captions.size())
            p.drawText(QRect(x, h, s.width(), captionH), Qt::AlignCenter, captions[i]);
        x += s.width() + gap;
    }
    return out;
}

QWidget *sizedView(int w, int h, const QColor &fill, const QString &text = {})
{
    auto *label = new QLabel(text);
    label->resize(w, h);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(fill.alpha() > 0);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, fill);
    pal.setColor(QPalette::WindowText, fill.lightness() > 128 ? QColor(31, 41, 51) : QColor(Qt::white));
    label->setPalette(pal);
    return label;
}

void attachedWindows(GalleryBook &book, qreal ratio)
{
    const QString c = QStringLiteral("MAAttachedWindow");
    struct Look { const char *state; int side; bool white; bool arrow; bool squareCorner; };
    const Look looks[] = {
        {"default-below", 1, false, true, false}, {"default-right", 2, false, true, false},
        {"default-left", 0, false, true, false},  {"default-above", 3, false, true, false},
        {"white-below-right", 11, true, true, false}, {"white-above-left-square", 8, true, true, true},
        {"scheduler-no-arrow", 1, true, false, false},
    };
    for (const Look &l : looks) {
        std::unique_ptr<MAAttachedWindow> w(MAAttachedWindow::create(
            sizedView(150, 60, l.white ? QColor(Qt::white) : QColor(0, 0, 0, 0), QStringLiteral("Scheduled at 23:00")),
            QPointF(400, 400), nullptr, l.side, 0));
        if (l.white) {
            w->setBackgroundColor(Qt::white);
            w->setBorderColor(QColor(213, 218, 224));
            w->setBorderWidth(1.0);
        }
        if (l.squareCorner)
            w->setDrawsRoundCornerBesideArrow(0.0);
        if (!l.arrow) {
            w->setCornerRadius(3.0);
            w->setArrowBaseWidth(0);
            w->setArrowHeight(0);
            w->setHasArrow(0.0);
        }
        shootPicture(book, c, QLatin1String(l.state), renderAt(w.get(), ratio));
    }
    book.finishCard(c);

    const QString tip = QStringLiteral("ShowTipMessage");
    QWidget host;
    host.setAttribute(Qt::WA_DontShowOnScreen);
    host.resize(400, 200);
    host.show();
    ShowTipMessage &tips = ShowTipMessage::share();
    for (const QString &text : {QStringLiteral("Download"), QStringLiteral("Convert your videos to any format")}) {
        tips.showTipWithString(text, QPointF(200, 40), &host);
        shootPicture(book, tip, text.size() < 10 ? QStringLiteral("short") : QStringLiteral("long"),
                     renderAt(tips.getTipWindow(), ratio));
    }
    auto *view = sizedView(140, 44, QColor(231, 247, 237), QStringLiteral("Any view fits"));
    auto *button = new QPushButton(&host);
    button->setGeometry(150, 60, 80, 28);
    tips.showTipWithView(view, button);
    shootPicture(book, tip, QStringLiteral("with-view"), renderAt(tips.getTipWindow(), ratio));
    tips.showTipWithString(QStringLiteral("x"), QPointF(0, 0), &host);  // the text field back in place
    tips.closeTipWindow();
    delete view;
    book.finishCard(tip);
}

class NoAction : public QObject
{
    Q_OBJECT
public slots:
    void picked(QObject *) {}
};

void menus(GalleryBook &book, qreal ratio)
{
    NoAction target;
    const QString c = QStringLiteral("EditMenu");
    {
        EditMenu menu(QImage(), QSizeF(140, 38));
        menu.addItemWithTitle(QStringLiteral("Download MP3"), &target, "picked")->setIsSelected(true);
        shootPicture(book, c, QStringLiteral("download-mp3-selected"), renderAt(&menu, ratio));
    }
    for (const char *state : {"rows", "hover", "hover-selected"}) {
        EditMenu menu(QImage(), QSizeF(170, 4 + 30 * 4 + 1 + 4));
        menu.addItemWithTitle(QStringLiteral("Best quality"), &target, "picked")->setIsSelected(true);
        EditMenuItem *mid = menu.addItemWithTitle(QStringLiteral("Medium quality"), &target, "picked");
        menu.addItemWithTitle(QStringLiteral("Audio only"), &target, "picked");
        menu.addSeparator();
        menu.addItemWithTitle(QStringLiteral("Not available"), &target, "picked")->setIsEnable(false);
        if (QLatin1String(state) != QLatin1String("rows"))
            mid->mouseEntered();
        if (QLatin1String(state) == QLatin1String("hover-selected"))
            mid->setIsSelected(true);
        shootPicture(book, c, QLatin1String(state), renderAt(&menu, ratio));
    }
    {
        EditMenu menu(QSizeF(170, 96), true);
        for (const char *t : {"Pixel 8", "Galaxy Tab S9", "iPhone 15", "Car play", "Walkman"})
            menu.addItem(QString::fromLatin1(t), &target, "picked");
        menu.arrangeFrame();
        menu.itemAtIndex(1)->mouseEntered();
        shootPicture(book, c, QStringLiteral("scrolling"), renderAt(&menu, ratio));
    }
    book.finishCard(c);

    const QString m = QStringLiteral("MenuItemView");
    const struct { const char *title; const char *icon; } rows[] = {
        {"Do nothing", "mainform-564"}, {"Shut down", "mainform-565"}, {"Sleep", "mainform-566"},
        {"Quit the application", "mainform-567"}};
    for (int i = 0; i < 4; ++i) {
        for (const char *state : {"normal", "selected", "disabled"}) {
            if (i > 0 && QLatin1String(state) == QLatin1String("disabled"))
                continue;
            auto *v = new MenuItemView;
            v->setTitle(QString::fromLatin1(rows[i].title));
            v->setIcon(ControlSlices::image(QString::fromLatin1(rows[i].icon)));
            v->setTagValue(i + 1);
            v->setIsSelected(QLatin1String(state) == QLatin1String("selected"));
            v->setIsEnable(QLatin1String(state) != QLatin1String("disabled"));
            book.shoot(m, QStringLiteral("%1-%2").arg(i + 1).arg(QLatin1String(state)), v, QSize(200, 36));
        }
    }
    book.finishCard(m);
}

void arrowPopAndButtons(GalleryBook &book)
{
    const QString c = QStringLiteral("MTArrowPopView");
    for (const char *state : {"normal", "hover-second-row", "no-pictures"}) {
        const bool art = QLatin1String(state) != QLatin1String("no-pictures");
        auto *v = new MTArrowPopView(art ? QStringLiteral("findlist_t") : QString(),
                                     art ? QStringLiteral("findlist_m") : QString(),
                                     art ? QStringLiteral("findlist_b") : QString(), true);
        v->addOneRowString(QStringLiteral("Show downloaded file"));
        v->addOneRowString(QStringLiteral("Show converted file"));
        std::function<void(QWidget *)> prepare;
        if (QLatin1String(state) == QLatin1String("hover-second-row"))
            prepare = [](QWidget *w) {
                const QPointF p(60, 80 - 20);  // 20 above the bottom: hit row 0, the lower row
                QMouseEvent e(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(w, &e);
            };
        book.shoot(c, QLatin1String(state), v, QSize(260, 80), prepare);
    }
    book.finishCard(c);

    const QString p = QStringLiteral("MTPopUpButtonCell");
    for (const char *state : {"normal", "disabled", "long-title"}) {
        auto *b = new MTPopUpButtonCell;
        b->addItem(QLatin1String(state) == QLatin1String("long-title") ? QStringLiteral("MP4 video, 1080p, H.264 and AAC")
                                                                      : QStringLiteral("MP4 video"));
        b->setEnabled(QLatin1String(state) != QLatin1String("disabled"));
        book.shoot(p, QLatin1String(state), b, QSize(160, 26));
    }
    book.finishCard(p);

    const QString t = QStringLiteral("MTThreePartButton");
    for (const char *state : {"normal", "pressed", "fitted-right-edge"}) {
        auto *b = new MTThreePartButton;
        b->resize(120, 26);
        b->setHeadImg(AppImages::named(QStringLiteral("select_l")), AppImages::named(QStringLiteral("select_m")),
                      AppImages::named(QStringLiteral("select_l")).mirrored(true, false));
        b->setAlterHead(AppImages::named(QStringLiteral("select_l")), AppImages::named(QStringLiteral("select_m")),
                        AppImages::named(QStringLiteral("select_l")).mirrored(true, false));
        b->setTitle(QStringLiteral("Transfer"));
        std::function<void(QWidget *)> prepare;
        if (QLatin1String(state) == QLatin1String("pressed")) {
            b->setForeColor(QColor(231, 247, 237));
            prepare = [](QWidget *w) { static_cast<MTThreePartButton *>(w)->setDown(true); };
        } else if (QLatin1String(state) == QLatin1String("fitted-right-edge")) {
            prepare = [](QWidget *w) {
                auto *b = static_cast<MTThreePartButton *>(w);
                b->scaleToFitTitle(QStringLiteral("Transfer All"), 2, 14);
                b->setHeadImg(AppImages::named(QStringLiteral("select_l")), AppImages::named(QStringLiteral("select_m")),
                              AppImages::named(QStringLiteral("select_l")).mirrored(true, false));
            };
        }
        book.shoot(t, QLatin1String(state), b, QSize(120, 26), prepare);
    }
    book.finishCard(t);
}

void bounceAndFlight(GalleryBook &book, qreal ratio)
{
    // The bounce: a small wait-transfer card growing past its size, back below it, settling.
    const QString b = QStringLiteral("ATPopupWindow");
    ATPopupWindow window;
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.setGeometry(300, 300, 180, 70);
    QWidget *content = window.contentView();
    content->setGeometry(0, 0, 180, 70);
    QPalette pal = content->palette();
    pal.setColor(QPalette::Window, Qt::white);
    content->setPalette(pal);
    auto *text = new QLabel(QStringLiteral("3 files wait for a device"), content);
    text->setGeometry(12, 10, 160, 20);
    auto *button = new QPushButton(QStringLiteral("Transfer"), content);
    button->setGeometry(12, 36, 90, 24);
    window.show();
    QList<QImage> frames;
    QStringList captions;
    // Each frame restarts the bounce and runs it to its time through the phases (0.2, 0.1, 0.1 s).
    for (int ms : {0, 60, 120, 200, 250, 300, 350, 400}) {
        window.popup();
        int left = ms;
        while (window.isBouncing() && left >= window.animation()->duration()) {
            left -= window.animation()->duration();
            window.animation()->setCurrentTime(window.animation()->duration());
        }
        if (window.isBouncing())
            window.animation()->setCurrentTime(left);
        // The bounce stays near the card: crop the grown window's empty margins.
        const QImage grown = renderAt(&window, ratio);
        const QImage cropped = window.isBouncing() ? grown.copy(QRectF(60 * ratio, 28 * ratio, 240 * ratio, 100 * ratio).toRect())
                                                   : grown;
        frames << cropped;
        captions << QStringLiteral("%1 s").arg(ms / 1000.0, 0, 'f', 2);
    }
    shootPicture(book, b, QStringLiteral("bounce-strip"), strip(frames, captions, ratio));
    shootPicture(book, b, QStringLiteral("settled"), renderAt(&window, ratio));
    book.finishCard(b);

    // The flight: a green pill from a row to a tool-bar icon, drawn as a trail.
    const QString f = QStringLiteral("AddToTaskAnimationWnd");
    QWidget host;
    host.setAttribute(Qt::WA_DontShowOnScreen);
    host.resize(420, 200);
    host.show();
    AddToTaskAnimationWnd overlay(&host);
    const QRectF from(30, 150, 80, 24), to(360, 14, 32, 32);
    overlay.animateImage(QImage(), from, to);
    QImage trail(host.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    trail.setDevicePixelRatio(ratio);
    trail.fill(Qt::white);
    {
        QPainter p(&trail);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(213, 218, 224), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(to, 8, 8);
        p.drawRoundedRect(from, 4, 4);
    }
    for (int ms : {0, 160, 320, 480, 640, 799}) {
        overlay.flightAnimation(0)->setCurrentTime(ms);
        const QImage frame = renderAt(&overlay, ratio);
        QPainter p(&trail);
        p.drawImage(QPointF(0, 0), frame);
    }
    overlay.flightAnimation(0)->setCurrentTime(800);
    shootPicture(book, f, QStringLiteral("flight-trail"), trail);
    book.finishCard(f);
}

// Renders a started frame animation at the given times into a strip.
template <class View>
QImage frameStrip(View *view, FrameAnimator *animator, const QList<int> &times, qreal ratio)
{
    QList<QImage> frames;
    QStringList captions;
    for (int ms : times) {
        animator->animation()->setCurrentTime(ms);
        frames << renderAt(view, ratio);
        captions << QStringLiteral("%1").arg(ms / 1000.0, 0, 'f', 2);
    }
    return strip(frames, captions, ratio);
}

void progressViews(GalleryBook &book, qreal ratio)
{
    const QString c = QStringLiteral("MGProgressIndicator");
    struct V { const char *state; double value, min, max; QRectF margins; };
    for (const V &v : {V{"empty", 0, 0, 100, {}}, V{"35", 35, 0, 100, {}}, V{"99.5-full", 99.5, 0, 100, {}},
                       V{"min20-max120-value70-half", 70, 20, 120, {}}, V{"margins-60", 60, 0, 100, {2, 2, 2, 2}}}) {
        auto *bar = new MGProgressIndicator;
        bar->setMinValue(v.min);
        bar->setMaxValue(v.max);
        bar->setDoubleValue(v.value);
        bar->setFillMargins(v.margins);
        book.shoot(c, QLatin1String(v.state), bar, QSize(200, 8));
    }
    book.finishCard(c);
    const QString wc = QStringLiteral("MGProgressIndicator-waiting");
    {
        MGProgressIndicator bar;
        bar.resize(120, 8);
        bar.setAnimationImages({QStringLiteral("Animation4-01"), QStringLiteral("Animation4-03"), QStringLiteral("Animation4-05"),
                                QStringLiteral("Animation4-07"), QStringLiteral("Animation4-09"), QStringLiteral("Animation4-11")});
        bar.startAnimation();
        shootPicture(book, wc, QStringLiteral("animation4-strip"), frameStrip(&bar, bar.animator(), {0, 90, 170, 250, 340, 420}, ratio));
        bar.stopAnimation();
    }
    {
        MGProgressIndicator bar;
        bar.resize(64, 64);
        bar.startAnimation();
        shootPicture(book, wc, QStringLiteral("guide-frames-strip"),
                     frameStrip(&bar, bar.animator(), {0, 80, 150, 220, 290, 360, 430}, ratio));
    }
    book.finishCard(wc);

    const QString s = QStringLiteral("ProgressIndicatorView");
    for (int size : {40, 20}) {
        QList<QImage> frames;
        QStringList captions;
        ProgressIndicatorView spinner;
        spinner.resize(size, size);
        spinner.setColor(QColor(31, 41, 51));
        spinner.setSpinning(true);
        for (int step = 0; step < 6; ++step) {
            spinner.setDoubleValue(step / 12.0);
            frames << renderAt(&spinner, ratio);
            captions << QStringLiteral("%1/12").arg(step);
        }
        shootPicture(book, s, QStringLiteral("spinning-%1pt-strip").arg(size), strip(frames, captions, ratio));
    }
    auto *stopped = new ProgressIndicatorView;
    stopped->setColor(QColor(32, 192, 91));
    book.shoot(s, QStringLiteral("stopped-green"), stopped, QSize(40, 40));
    book.finishCard(s);

    const QString p = QStringLiteral("ProgressBarView");
    for (double v : {0.0, 40.0, 100.0}) {
        auto *bar = new ProgressBarView;
        bar->setDoubleValue(v);
        book.shoot(p, QStringLiteral("value-%1").arg(v), bar, QSize(220, 11));
    }
    auto *themed = new ProgressBarView;
    QImage track(QSize(8, 3), QImage::Format_ARGB32_Premultiplied);
    track.fill(QColor(231, 247, 237));
    QImage fill(QSize(8, 3), QImage::Format_ARGB32_Premultiplied);
    fill.fill(QColor(32, 192, 91));
    themed->setBgImage(track);
    themed->setProgressImage(fill);
    themed->setDoubleValue(65);
    book.shoot(p, QStringLiteral("with-images-65"), themed, QSize(220, 11));
    book.finishCard(p);
}

void animationViews(GalleryBook &book, qreal ratio)
{
    const QString c = QStringLiteral("AnimationViews");
    {
        MGAnimationView v;
        v.resize(60, 16);
        v.startAnimation();
        shootPicture(book, c, QStringLiteral("MGAnimationView-strip"), frameStrip(&v, v.animator(), {0, 85, 170, 255, 340, 425}, ratio));
    }
    {
        AddToAnimationView v;
        v.resize(48, 48);
        QStringList names;
        for (int k = 1; k <= 8; ++k)
            names << QStringLiteral("AddTransferAnimate-%1").arg(k, 2, 10, QLatin1Char('0'));
        v.setAnimationImages(names, QStringLiteral("AddTransferAnimate"));
        v.startAnimation();
        shootPicture(book, c, QStringLiteral("AddToAnimationView-strip"),
                     frameStrip(&v, v.animator(), {0, 130, 260, 390, 510, 640, 770, 900}, ratio));
    }
    {
        ImageAnimationView v;
        v.resize(120, 68);
        v.setValues({ControlSlices::image(QStringLiteral("mainform-595")), ControlSlices::image(QStringLiteral("mainform-663"))});
        v.startAnimation();
        shootPicture(book, c, QStringLiteral("ImageAnimationView-strip"), frameStrip(&v, v.animator(), {0, 800}, ratio));
    }
    {
        QWidget page;
        page.setAttribute(Qt::WA_DontShowOnScreen);
        page.resize(64, 64);
        auto *circle = new CircleImageView(&page);
        circle->resize(64, 64);
        circle->setImage(ControlSlices::image(QStringLiteral("id1-02002_"), QStringLiteral("Animation")));
        page.show();
        circle->startAnimating();
        QList<QImage> frames;
        QStringList captions;
        for (int ms : {0, 125, 250, 375, 500}) {
            circle->rotation()->setCurrentTime(ms);
            frames << renderAt(circle, ratio);
            captions << QStringLiteral("%1").arg(ms / 1000.0, 0, 'f', 2);
        }
        shootPicture(book, c, QStringLiteral("CircleImageView-strip"), strip(frames, captions, ratio));
    }
    {
        QWidget page;
        page.setAttribute(Qt::WA_DontShowOnScreen);
        page.resize(64, 64);
        auto *wait = new CircleAnimationView(&page);
        wait->resize(64, 64);
        QImage bg(QSize(64, 64) * ratio, QImage::Format_ARGB32_Premultiplied);
        bg.setDevicePixelRatio(ratio);
        bg.fill(Qt::transparent);
        {
            QPainter p(&bg);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(210, 240, 221), 5));
            p.drawEllipse(QRectF(9, 9, 46, 46));
        }
        wait->setBgImage(bg);
        QImage arc(QSize(64, 64) * ratio, QImage::Format_ARGB32_Premultiplied);
        arc.setDevicePixelRatio(ratio);
        arc.fill(Qt::transparent);
        {
            QPainter p(&arc);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(32, 192, 91), 5, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(QRectF(9, 9, 46, 46), 90 * 16, 100 * 16);
        }
        wait->setCircleImage(arc);
        page.show();
        wait->startAnimating();
        QList<QImage> frames;
        QStringList captions;
        for (int ms : {0, 500, 1000, 1500, 2000, 2500}) {
            wait->rotation()->setCurrentTime(ms);
            frames << renderAt(wait, ratio);
            captions << QStringLiteral("%1").arg(ms / 1000.0, 0, 'f', 1);
        }
        wait->stopAnimating();
        frames << renderAt(wait, ratio);
        captions << QStringLiteral("stopped");
        shootPicture(book, c, QStringLiteral("CircleAnimationView-strip"), strip(frames, captions, ratio));
    }
    book.finishCard(c);
}

} // namespace

void popoverPages(GalleryBook &book, qreal ratio)
{
    attachedWindows(book, ratio);
    menus(book, ratio);
    arrowPopAndButtons(book);
    bounceAndFlight(book, ratio);
    progressViews(book, ratio);
    animationViews(book, ratio);
}

#include "PopoverPages.moc"
