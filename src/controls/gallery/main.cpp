// controls-gallery: renders every drawn control in every state into PNG files, for a look by
// eye and for the test that runs it.  Usage: controls-gallery --out DIR [--ratio 2]

#include "controls/AFGradientButton.h"
#include "controls/AFSwitchControl.h"
#include "controls/ATBorderView.h"
#include "controls/BackgroundView.h"
#include "controls/BordBackgroundView.h"
#include "controls/CleanupStarView.h"
#include "controls/ControlSlices.h"
#include "controls/CustomBox.h"
#include "controls/FNClickTextField.h"
#include "controls/ImageDrawView.h"
#include "controls/LoadingView.h"
#include "controls/MGAnimationButton.h"
#include "controls/MGBackgroundButton.h"
#include "controls/MGCheckButton.h"
#include "controls/MGHandCurButton.h"
#include "controls/MGHoverButton.h"
#include "controls/MGPopupButton.h"
#include "controls/MGPullDownButtonCell.h"
#include "controls/MGScroller.h"
#include "controls/MGSearchFieldCell.h"
#include "controls/MGTextFieldCell.h"
#include "controls/MaskView.h"
#include "controls/MyUrlLabel.h"
#include "controls/PlaceHolderTextView.h"
#include "controls/QVCustomTextField.h"
#include "controls/QVUrlLabel.h"
#include "controls/RoundBackgroundView.h"
#include "controls/SplitBackgroundView.h"
#include "controls/TGImageCell.h"
#include "controls/TGTransferControl.h"
#include "controls/TabShowView.h"
#include "controls/TextLabel.h"
#include "controls/ThinProgressView.h"
#include "controls/URLLabel.h"
#include "controls/VolumerCell.h"
#include "controls/WhiteBackgroundView.h"
#include "controls/gallery/GalleryBook.h"

void tablePages(GalleryBook &book, qreal ratio);
void popoverPages(GalleryBook &book, qreal ratio);
#include "shell/UIManager.h"
#include "shell/UIStyle.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <cmath>

namespace {

void hover(QWidget *w)
{
    const QPointF p(w->width() / 2.0, w->height() / 2.0);
    QEnterEvent e(p, p, w->mapToGlobal(p));
    QApplication::sendEvent(w, &e);
}

void press(QWidget *w, QPointF p = QPointF(-1, -1))
{
    if (p.x() < 0)
        p = QPointF(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent e(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void disable(QWidget *w) { w->setEnabled(false); }

// Buttons that draw from isDown(): held down for the down state, disabled for "disabled".
std::function<void(QWidget *)> heldDown(const QString &state, const QString &downState)
{
    if (state == downState)
        return [](QWidget *w) { static_cast<QAbstractButton *>(w)->setDown(true); };
    if (state == QLatin1String("disabled"))
        return disable;
    return {};
}

const QStringList States = {QStringLiteral("normal"), QStringLiteral("hover"), QStringLiteral("pressed"),
                            QStringLiteral("disabled")};

std::function<void(QWidget *)> stateFn(const QString &state)
{
    if (state == QLatin1String("hover"))
        return hover;
    if (state == QLatin1String("pressed"))
        return [](QWidget *w) { press(w); };
    if (state == QLatin1String("disabled"))
        return disable;
    return {};
}

QImage starImage(bool light, qreal ratio)
{
    QImage img(QSize(16, 16) * ratio, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(ratio);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5;
        const double r = i % 2 ? 3.4 : 7.6;
        star << QPointF(8 + r * std::cos(a), 8.4 + r * std::sin(a));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(light ? QColor(32, 192, 91) : QColor(213, 218, 224));
    p.drawPolygon(star);
    return img;
}

void hoverButtons(GalleryBook &book)
{
    const char *names[] = {"", "dialog", "large", "accent-text", "filled", "filled-large"};
    for (int type = 1; type <= 5; ++type) {
        const QString control = QStringLiteral("MGHoverButton-type%1-%2").arg(type).arg(QLatin1String(names[type]));
        for (const QString &state : States) {
            auto *b = new MGHoverButton;
            b->setButtonDisplayType(type);
            b->setTitle(QStringLiteral("Download"));
            book.shoot(control, state, b, QSize(120, type == 2 || type == 5 ? 32 : 28), stateFn(state));
        }
        book.finishCard(control);
    }
    const QString control = QStringLiteral("MGHoverButton-variants");
    auto icon = new MGHoverButton;
    icon->setButtonDisplayType(1);
    icon->setTitle(QStringLiteral("Convert All"));
    icon->setIconSliceName(QStringLiteral("mainform-706"));
    icon->setHoverIconSliceName(QStringLiteral("mainform-706721"));
    icon->setDownIconSliceName(QStringLiteral("mainform-706722"));
    icon->cell()->setIconTitleSpace(6);
    book.shoot(control, QStringLiteral("icon"), icon, QSize(130, 28));
    auto iconHover = new MGHoverButton;
    iconHover->setButtonDisplayType(1);
    iconHover->setTitle(QStringLiteral("Convert All"));
    iconHover->setIconSliceName(QStringLiteral("mainform-706"));
    iconHover->setHoverIconSliceName(QStringLiteral("mainform-706721"));
    iconHover->cell()->setIconTitleSpace(6);
    book.shoot(control, QStringLiteral("icon-hover"), iconHover, QSize(130, 28), hover);
    auto dot = new MGHoverButton;
    UIManager::setupHoverButtonThemeInMain(dot, QStringLiteral("mainform-187,mainform-189,mainform-191,mainform-193"));
    dot->setDrawRedOval(true);
    book.shoot(control, QStringLiteral("red-dot"), dot, QSize(28, 28));
    auto sticky = new MGHoverButton;
    sticky->setButtonDisplayType(3);
    sticky->setTitle(QStringLiteral("Sticky"));
    sticky->setButtonType(1);
    book.shoot(control, QStringLiteral("sticky-locked"), sticky, QSize(100, 28), [](QWidget *w) {
        press(w);
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &up);
        hover(w);
    });
    auto bg = new MGHoverButton;
    bg->setTitle(QStringLiteral("Flat fill"));
    bg->setBgColor(QColor(231, 247, 237));
    bg->setTextColor(QColor(23, 160, 75));
    book.shoot(control, QStringLiteral("bg-color"), bg, QSize(100, 28));
    book.finishCard(control);

    // Icon buttons themed through the look-and-feel manager.
    const QList<std::pair<QString, QString>> themes = {
        {QStringLiteral("pause"), QStringLiteral("mainform-761,mainform-762,mainform-763,mainform-764")},
        {QStringLiteral("resume"), QStringLiteral("mainform-769,mainform-770,mainform-771,mainform-772")},
        {QStringLiteral("retry"), QStringLiteral("mainform-753,mainform-754,mainform-755,mainform-756")},
        {QStringLiteral("cancel"), QStringLiteral("mainform-745,mainform-746,mainform-747,mainform-748")},
        {QStringLiteral("convert"), QStringLiteral("mainform-712,mainform-714,mainform-716,mainform-718")},
        {QStringLiteral("transfer"), QStringLiteral("mainform-728,mainform-729,mainform-730,mainform-731")},
        {QStringLiteral("home"), QStringLiteral("mainform-480,mainform-481,mainform-482,mainform-483")},
        {QStringLiteral("back"), QStringLiteral("mainform-513,mainform-514,mainform-515,mainform-516")},
        {QStringLiteral("forward"), QStringLiteral("mainform-535,mainform-536,mainform-537,mainform-538")},
        {QStringLiteral("refresh"), QStringLiteral("mainform-557,mainform-558,mainform-559,mainform-560")},
        {QStringLiteral("add"), QStringLiteral("mainform-484,mainform-485,mainform-486,mainform-487")},
        {QStringLiteral("delete"), QStringLiteral("mainform-328,mainform-329,mainform-330,mainform-331")},
        {QStringLiteral("folder"), QStringLiteral("mainform-441,mainform-442,mainform-443,mainform-444")},
        {QStringLiteral("output-folder"), QStringLiteral("mainform-445,mainform-446,mainform-447,mainform-448")},
        {QStringLiteral("feedback"), QStringLiteral("mainform-187,mainform-189,mainform-191,mainform-193")},
        {QStringLiteral("scheduler"), QStringLiteral("mainform-523,mainform-525,mainform-527,mainform-529")},
        {QStringLiteral("turbo"), QStringLiteral("mainform-260,mainform-261,mainform-262,mainform-263")},
    };
    for (const auto &[name, theme] : themes) {
        const QString c = QStringLiteral("IconButton-") + name;
        for (const QString &state : States) {
            auto *b = new MGHoverButton;
            UIManager::setupHoverButtonThemeInMain(b, theme);
            book.shoot(c, state, b, QSize(28, 28), stateFn(state));
        }
        book.finishCard(c);
    }
    const QString tips = QStringLiteral("IconButton-survey-tips");
    for (const QString &state : States) {
        auto *b = new MGHoverButton;
        UIManager::setupHoverButtonThemeInTips(b, UIStyle::styleWithSlice(QStringLiteral("tips01_,tips03_,tips05_,tips07_")));
        book.shoot(tips, state, b, QSize(28, 28), stateFn(state));
    }
    book.finishCard(tips);
}

void otherButtons(GalleryBook &book, qreal ratio)
{
    QString c = QStringLiteral("MGBackgroundButton");
    for (const QString &state : States) {
        auto *b = new MGBackgroundButton;
        b->setImageName(QStringLiteral("Guidancemap"));
        b->setBgNormalSliceName(QStringLiteral("Guidancemap-17"));
        b->setBgHoverSliceName(QStringLiteral("Guidancemap-13"));
        b->setBgDownSliceName(QStringLiteral("Guidancemap-13"));
        b->setBgDisableSliceName(QStringLiteral("Guidancemap-17"));
        b->setAlterImageName(QStringLiteral("mainform"));
        b->setNormalSliceName(QStringLiteral("Guidancemap-57"));
        b->setHoverSliceName(QStringLiteral("Guidancemap-57"));
        b->setDownSliceName(QStringLiteral("Guidancemap-57"));
        b->setIconSize(QSizeF(0, 0));
        book.shoot(c, state, b, QSize(149, 130), stateFn(state));
    }
    book.finishCard(c);

    c = QStringLiteral("MGPopupButton");
    for (const QString &state : States) {
        auto *b = new MGPopupButton;
        b->setText(QStringLiteral("Paste URL"));
        book.shoot(c, state, b, QSize(140, 30), stateFn(state));
    }
    book.finishCard(c);

    c = QStringLiteral("MGPullDownButtonCell");
    for (const QString &state : {QStringLiteral("normal"), QStringLiteral("highlighted"), QStringLiteral("disabled"),
                                 QStringLiteral("no-arrow"), QStringLiteral("long-title")}) {
        auto *b = new MGPullDownButtonCell;
        b->setText(state == QLatin1String("long-title") ? QStringLiteral("Samsung Galaxy Tab S9 Ultra of Anna")
                                                       : QStringLiteral("Pixel 8"));
        if (state == QLatin1String("no-arrow"))
            b->showArrow = false;
        book.shoot(c, state, b, QSize(170, 28), heldDown(state, QStringLiteral("highlighted")));
    }
    book.finishCard(c);

    c = QStringLiteral("AFGradientButton");
    for (const QString &state : {QStringLiteral("normal"), QStringLiteral("pressed"), QStringLiteral("disabled")}) {
        auto *b = new AFGradientButton;
        b->setText(QStringLiteral("Continue"));
        book.shoot(c, state, b, QSize(130, 40), heldDown(state, QStringLiteral("pressed")));
    }
    book.finishCard(c);

    c = QStringLiteral("SmallButtons");
    auto *hand = new MGHandCurButton;
    hand->setText(QStringLiteral("Learn more"));
    book.shoot(c, QStringLiteral("MGHandCurButton"), hand, QSize(110, 28));
    auto *img = new TGImageCell;
    img->setImage(ControlSlices::image(QStringLiteral("mainform-504")));
    book.shoot(c, QStringLiteral("TGImageCell"), img, QSize(40, 40));
    for (int type : {1, 2}) {
        auto *a = new MGAnimationButton;
        a->setAnimationType(type);
        a->setImgCircle(ControlSlices::image(QStringLiteral("Guidancemap-05"), QStringLiteral("Guidancemap")));
        a->setImgBreathing(ControlSlices::image(QStringLiteral("mainform-145")));
        a->startAnimation();
        book.shoot(c, type == 1 ? QStringLiteral("MGAnimationButton-rotating") : QStringLiteral("MGAnimationButton-breathing"),
                   a, QSize(40, 40));
    }
    book.finishCard(c);
    Q_UNUSED(ratio);
}

// Check boxes show their looks from the cell's flags; set them as the pointer would.
std::function<void(QWidget *)> checkLook(const QString &state)
{
    return [state](QWidget *w) {
        auto *cb = static_cast<MGCheckButton *>(w);
        if (state == QLatin1String("hover"))
            cb->cell()->mouseOver = true;
        else if (state == QLatin1String("pressed"))
            cb->cell()->mouseDown = true;
        else if (state == QLatin1String("disabled"))
            cb->setEnabled(false);
    };
}

void checkBoxes(GalleryBook &book)
{
    const QString c = QStringLiteral("MGCheckButton");
    for (int value : {1, 0, -1}) {
        const QString v = value == 1 ? QStringLiteral("on") : value == 0 ? QStringLiteral("off") : QStringLiteral("mixed");
        for (const QString &state : States) {
            auto *b = new MGCheckButton;
            b->setTitle(QStringLiteral("Remember my choice"));
            b->setState(value);
            const auto prep = checkLook(state);
            book.shoot(c, v + QLatin1Char('-') + state, b, QSize(170, 20), prep);
        }
    }
    book.finishCard(c);

    const QString r = QStringLiteral("MGCheckButton-radio");
    for (int value : {1, 0}) {
        for (const QString &state : States) {
            auto *b = new MGCheckButton;
            b->setTitle(value ? QStringLiteral("Once at:") : QStringLiteral("Daily:"));
            auto *cell = b->cell();
            auto s = [](int n) { return ControlSlices::image(QStringLiteral("mainform-%1").arg(n)); };
            cell->setNormalImageOnState(s(413));
            cell->setNormalImageOffState(s(353));
            cell->setHoverImageOnState(s(414));
            cell->setHoverImageOffState(s(354));
            cell->setAlterImageOnState(s(415));
            cell->setAlterImageOffState(s(356));
            cell->setDisableImageOnState(s(416));
            cell->setDisableImageOffState(s(358));
            b->setState(value);
            const auto prep = checkLook(state);
            book.shoot(r, (value ? QStringLiteral("on-") : QStringLiteral("off-")) + state, b, QSize(120, 20), prep);
        }
    }
    book.finishCard(r);

    const QString s = QStringLiteral("AFSwitchControl");
    for (const QString &state : {QStringLiteral("off"), QStringLiteral("on"), QStringLiteral("disabled-on")}) {
        auto *sw = new AFSwitchControl;
        if (state != QLatin1String("off"))
            sw->setState(1);
        if (state == QLatin1String("disabled-on"))
            sw->setEnabled(false);
        book.shoot(s, state, sw, QSize(44, 24));
    }
    book.finishCard(s);
}

void textFields(GalleryBook &book)
{
    QString c = QStringLiteral("MGTextFieldCell");
    for (const QString &state : {QStringLiteral("empty"), QStringLiteral("text"), QStringLiteral("editing"),
                                 QStringLiteral("disabled")}) {
        auto *f = new MGTextFieldCell;
        if (state != QLatin1String("empty"))
            f->setText(QStringLiteral("My Videos"));
        else
            f->setPlaceholderText(QStringLiteral("Device name"));
        std::function<void(QWidget *)> prep;
        if (state == QLatin1String("editing"))
            prep = [](QWidget *w) {
                QApplication::setActiveWindow(w->window());
                w->setFocus();
            };
        if (state == QLatin1String("disabled"))
            prep = disable;
        book.shoot(c, state, f, QSize(200, 28), prep);
    }
    book.finishCard(c);

    c = QStringLiteral("MGSearchFieldCell");
    for (const QString &state : {QStringLiteral("empty"), QStringLiteral("text")}) {
        auto *f = new MGSearchFieldCell;
        f->setPlaceholderText(QStringLiteral("Search"));
        if (state == QLatin1String("text"))
            f->setText(QStringLiteral("holiday"));
        book.shoot(c, state, f, QSize(200, 26));
    }
    book.finishCard(c);

    c = QStringLiteral("TextInputs");
    auto *url = new QVCustomTextField;
    url->setPlaceholderText(QStringLiteral("Paste or enter URL"));
    book.shoot(c, QStringLiteral("QVCustomTextField"), url, QSize(240, 26));
    auto *ph = new PlaceHolderTextView;
    ph->setPlaceHolderStr(QStringLiteral("Tell us what happened..."));
    book.shoot(c, QStringLiteral("PlaceHolderTextView-placeholder"), ph, QSize(240, 70));
    auto *ph2 = new PlaceHolderTextView;
    ph2->setPlaceHolderStr(QStringLiteral("Tell us what happened..."));
    book.shoot(c, QStringLiteral("PlaceHolderTextView-typed"), ph2, QSize(240, 70), [](QWidget *w) {
        auto *v = static_cast<PlaceHolderTextView *>(w);
        press(v->viewport(), QPointF(5, 5));
        v->insertPlainText(QStringLiteral("The download stops at 80%."));
    });
    auto *label = new TextLabel;
    label->setText(QStringLiteral("Supported Devices:"));
    book.shoot(c, QStringLiteral("TextLabel"), label, QSize(160, 20));
    book.finishCard(c);
}

void smallViews(GalleryBook &book, qreal ratio)
{
    QString c = QStringLiteral("SmallViews");
    auto *stars = new CleanupStarView;
    stars->setLightStarImage(starImage(true, ratio));
    stars->setGrayStarImage(starImage(false, ratio));
    stars->setLightStarCount(2);
    book.shoot(c, QStringLiteral("CleanupStarView-2of5"), stars, QSize(110, 20));
    for (int v : {0, 40, 100}) {
        auto *vol = new VolumerCell;
        vol->setValue(v);
        book.shoot(c, QStringLiteral("VolumerCell-%1").arg(v), vol, QSize(120, 21));
    }
    auto *tab = new TabShowView;
    tab->setCaption(QStringLiteral("Write Message"));
    book.shoot(c, QStringLiteral("TabShowView"), tab, QSize(260, 44));
    auto *tab2 = new TabShowView;
    tab2->setCaption(QStringLiteral("A caption far too long to fit on one line of this header"));
    book.shoot(c, QStringLiteral("TabShowView-two-lines"), tab2, QSize(260, 44));
    auto *img3 = new ImageDrawView;
    img3->setDrawMode(1);
    img3->setSliceName(QStringLiteral("mainform"));
    img3->setDrawName(QStringLiteral("mainform-62"));
    book.shoot(c, QStringLiteral("ImageDrawView-three-part"), img3, QSize(160, 32));
    auto *img9 = new ImageDrawView;
    img9->setDrawMode(2);
    img9->setSliceName(QStringLiteral("Guidancemap"));
    img9->setDrawName(QStringLiteral("Guidancemap-13"));
    book.shoot(c, QStringLiteral("ImageDrawView-nine-part"), img9, QSize(160, 60));
    auto *img0 = new ImageDrawView;
    img0->setDrawImage(ControlSlices::image(QStringLiteral("slice-127_")));
    book.shoot(c, QStringLiteral("ImageDrawView-mode0"), img0, QSize(160, 20));
    for (float v : {0.0f, 0.4f, 1.5f}) {
        auto *tp = new ThinProgressView;
        tp->setProgress(v);
        book.shoot(c, QStringLiteral("ThinProgressView-%1").arg(double(v)), tp, QSize(160, 4));
    }
    auto *scroller = new MGScroller(Qt::Vertical);
    scroller->setRange(0, 100);
    scroller->setPageStep(30);
    scroller->setValue(30);
    book.shoot(c, QStringLiteral("MGScroller"), scroller, QSize(12, 120));
    auto *scrollerH = new MGScroller(Qt::Horizontal);
    scrollerH->setRange(0, 100);
    scrollerH->setPageStep(50);
    book.shoot(c, QStringLiteral("MGScroller-horizontal-hover"), scrollerH, QSize(160, 12), hover);
    book.finishCard(c);
}

void backgrounds(GalleryBook &book)
{
    const QString c = QStringLiteral("BackgroundViews");
    // A grey page so white views show their edges.
    book.setPageColor(QColor(226, 231, 236));
    struct BV { const char *name; unsigned mask; qreal radius; bool line; };
    for (const BV &v : {BV{"BackgroundView-title-strip", 0, 0, true}, BV{"BackgroundView-mask5", 5, 6, true},
                        BV{"BackgroundView-mask15-outline", 15, 8, true}}) {
        auto *b = new BackgroundView;
        b->setBackgroundColor(QColor(231, 247, 237));
        b->setBoundsToMask(v.mask);
        b->setCornerRadius(v.radius);
        if (v.line) {
            b->setBottomLineColor(QColor(32, 192, 91), false);
            b->setBoundsLineColor(QColor(32, 192, 91), false);
        }
        book.shoot(c, QLatin1String(v.name), b, QSize(120, 50));
    }
    auto *flip = new FlipBackgroundView;
    flip->setBackgroundColor(QColor(231, 247, 237));
    flip->setBoundsToMask(1);
    flip->setCornerRadius(8);
    book.shoot(c, QStringLiteral("FlipBackgroundView-mask1"), flip, QSize(120, 50));
    auto *box = new CustomBox;
    box->setTopLineColor(QColor(23, 160, 75));
    book.shoot(c, QStringLiteral("CustomBox"), box, QSize(120, 50));
    auto *round = new RoundBackgroundView;
    round->setBordColor(QColor(213, 218, 224));
    round->setCornerRadius(8);
    book.shoot(c, QStringLiteral("RoundBackgroundView"), round, QSize(120, 50));
    auto *white = new WhiteBackgroundView;
    white->setBgColor(QColor(244, 246, 248));
    white->setTopBlack(10);
    book.shoot(c, QStringLiteral("WhiteBackgroundView-topBlack10"), white, QSize(120, 50));
    auto *split = new SplitBackgroundView;
    book.shoot(c, QStringLiteral("SplitBackgroundView"), split, QSize(120, 100));
    book.shoot(c, QStringLiteral("BordBackgroundView"), new BordBackgroundView, QSize(120, 50));
    book.shoot(c, QStringLiteral("ATBorderView"), new ATBorderView, QSize(140, 70));
    book.shoot(c, QStringLiteral("LoadingView"), new LoadingView, QSize(120, 50));
    book.shoot(c, QStringLiteral("MaskView"), new MaskView, QSize(120, 50));
    auto *noEvent = new NoEventWithBgLayerView;
    noEvent->setBgColor(QColor(32, 192, 91, 60));
    book.shoot(c, QStringLiteral("NoEventWithBgLayerView"), noEvent, QSize(120, 50));
    book.finishCard(c);
}

void links(GalleryBook &book)
{
    const QString c = QStringLiteral("LinkLabels");
    auto *link = new QVUrlLabel;
    link->setText(QStringLiteral("FAQ: my device is not found"));
    link->setUrl(QStringLiteral("https://example.org/faq"));
    link->resetAttributedString();
    book.shoot(c, QStringLiteral("QVUrlLabel"), link, QSize(220, 20));
    auto *hoverLink = new QVUrlLabel;
    hoverLink->setText(QStringLiteral("FAQ: my device is not found"));
    hoverLink->setMoveOverForegroundColor(QColor(23, 160, 75));
    hoverLink->resetAttributedString();
    book.shoot(c, QStringLiteral("QVUrlLabel-hover"), hoverLink, QSize(220, 20),
               [](QWidget *w) { static_cast<QVUrlLabel *>(w)->resetMoveOverAttributedString(); });
    auto *u = new URLLabel;
    u->setText(QStringLiteral("https://example.org"));
    book.shoot(c, QStringLiteral("URLLabel"), u, QSize(180, 20));
    auto *my = new MyUrlLabel;
    my->setText(QStringLiteral("Contact support"));
    book.shoot(c, QStringLiteral("MyUrlLabel"), my, QSize(180, 20));
    auto *fn = new FNClickTextField;
    fn->setText(QStringLiteral("Show details"));
    book.shoot(c, QStringLiteral("FNClickTextField"), fn, QSize(180, 20));
    book.finishCard(c);
}

void transferControls(GalleryBook &book)
{
    const QString c = QStringLiteral("TGTransferControl");
    const QPointF leftPoint(60, 20), rightPoint(230, 20);
    auto at = [](QPointF p) {
        return [p](QWidget *w) {
            QEnterEvent e(p, p, w->mapToGlobal(p));
            QApplication::sendEvent(w, &e);
        };
    };
    const QList<std::pair<QString, std::function<void(QWidget *)>>> states = {
        {QStringLiteral("normal"), {}},
        {QStringLiteral("hover-left"), at(leftPoint)},
        {QStringLiteral("hover-right"), at(rightPoint)},
        // The widget's own update() stands in for an owner's action, so the press stays locked.
        {QStringLiteral("pressed-right"), [rightPoint](QWidget *w) { press(w, rightPoint); }},
        {QStringLiteral("disabled"), disable},
    };
    for (const auto &[state, prepare] : states) {
        auto *t = new TGTransferControl;
        t->setLeftString(QStringLiteral("Add Files"));
        t->setRightString(QStringLiteral("Transfer All"));
        t->setRightAction(t, "update");
        book.shoot(c, state, t, QSize(300, 40), prepare);
    }
    book.finishCard(c);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders every drawn control in every state into PNG files."));
    parser.addHelpOption();
    QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Folder for the PNG files."), QStringLiteral("DIR"));
    QCommandLineOption ratio(QStringLiteral("ratio"), QStringLiteral("Device-pixel ratio (default 2)."),
                             QStringLiteral("R"), QStringLiteral("2"));
    parser.addOption(out);
    parser.addOption(ratio);
    parser.process(app);
    if (!parser.isSet(out)) {
        QTextStream(stderr) << "controls-gallery: --out DIR is required\n";
        return 2;
    }
    bool ratioOk = false;
    const qreal r = parser.value(ratio).toDouble(&ratioOk);
    if (!ratioOk || r < 1 || r > 4) {
        QTextStream(stderr) << "controls-gallery: --ratio must be between 1 and 4\n";
        return 2;
    }
    QDir dir(parser.value(out));
    if (!dir.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "controls-gallery: cannot make " << dir.path() << "\n";
        return 1;
    }
    QFont font = QApplication::font();
    font.setPixelSize(13);
    QApplication::setFont(font);

    GalleryBook book(dir, r);
    hoverButtons(book);
    otherButtons(book, r);
    checkBoxes(book);
    textFields(book);
    smallViews(book, r);
    backgrounds(book);
    links(book);
    transferControls(book);
    tablePages(book, r);
    popoverPages(book, r);
    for (const GalleryBook::PageMaker &maker : GalleryBook::registeredPages())
        maker(book, r);
    book.writeContactSheet();
    for (const QString &sheet : UIManager::registeredSheets() +
                                    QStringList{QStringLiteral("MainSlice"), QStringLiteral("DeviceSlice"),
                                                QStringLiteral("ToolboxSlice")})
        book.writeSheetOverview(sheet);
    QTextStream(stdout) << "controls-gallery: wrote " << book.fileCount() << " pictures to " << dir.path() << "\n";
    return book.ok() ? 0 : 1;
}
