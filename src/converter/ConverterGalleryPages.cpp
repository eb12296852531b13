// The output-format sheet, its chooser and the encoder settings in the controls gallery.
#include "controls/gallery/GalleryBook.h"
#include "converter/CascadePanel.h"
#include "converter/ConvFromatController.h"
#include "converter/ConverterGlobal.h"
#include "converter/EncSettingViewCtl.h"
#include "converter/ImageManager.h"
#include "converter/VCPopUpButton.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QElapsedTimer>

namespace {

// A dialog is its own window; in the gallery it stands on the page like any control.
void onPage(QWidget *w)
{
    w->setWindowFlags(Qt::Widget);
    w->move(12, 12);
    w->show();
}

void converterPages(GalleryBook &book, qreal)
{
    if (!g_formatMgr) {
        InitGlobalData();
        InitGlobalImages();
    }
    if (!g_formatMgr)
        return;
    // Opening the settings the first time raises the modal Smart Fit tip 0.5 s later; on a busy
    // machine that timer fires inside the slide wait below and the gallery waits for a click
    // forever. The pictures show the settings, so the tip counts as seen, in memory only.
    UserDefaults::standard().registerDefaults({{QStringLiteral("SmartFitTipsPoped"), true}});

    const QString sheet = QStringLiteral("ConvFromatController");
    book.shoot(sheet, QStringLiteral("first-category"), new ConvFromatController, QSize(800, 640),
               [](QWidget *w) {
                   onPage(w);
                   static_cast<ConvFromatController *>(w)->prepareForShowing();
               });
    book.shoot(sheet, QStringLiteral("settings-open"), new ConvFromatController, QSize(800, 640), [](QWidget *w) {
        onPage(w);
        auto *s = static_cast<ConvFromatController *>(w);
        s->prepareForShowing();
        s->formatControl()->getSelectedFormatInfo(s->selectedFormatID());
        // The picture shows where the 0.3 s slide ends.
        QElapsedTimer slide;
        slide.start();
        while (slide.elapsed() < CascadePanel::AnimationMs + 150)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    });
    book.finishCard(sheet);

    const QString panel = QStringLiteral("CascadePanel");
    for (int category : {1, 8}) {
        book.shoot(panel, QStringLiteral("category-%1").arg(category), new CascadePanel(QSizeF(780, 470)), QSize(780, 470),
                   [category](QWidget *w) {
                       auto *p = static_cast<CascadePanel *>(w);
                       for (const QVariantMap &c : g_formatMgr->formatCategorys())
                           p->addMenuItem(c.value(QStringLiteral("id")).toInt(), c.value(QStringLiteral("title")).toString(),
                                          c.value(QStringLiteral("pixId")).toString());
                       for (const auto &f : g_formatMgr->formatItems())
                           p->addSubMenuItem(f->iD(), f->title(), f->pixID(), ConvFromatController::sizeDescription(*f),
                                             f->categoryid());
                       p->updateView();
                       p->setSelectCategoryID(category);
                   });
    }
    book.finishCard(panel);

    const QString settings = QStringLiteral("EncSettingViewCtl");
    for (const char *title : {"MP4", "MP3"}) {
        const auto preset = g_formatMgr->formatItemForTitle(QString::fromLatin1(title));
        if (!preset)
            continue;
        book.shoot(settings, QString::fromLatin1(title), new EncSettingViewCtl, QSize(720, 260), [preset](QWidget *w) {
            auto *v = static_cast<EncSettingViewCtl *>(w);
            IM_EncodeParamEx block = EncodeParamData::zeroed();
            ConvFromatController::fillBlockForPreset(*preset, &block);
            v->setMediaLength(0, preset->enableVideoOutput());
            v->setFormatImage(preset->pixID());
            v->setFormatItem(preset, block);
        });
    }
    book.finishCard(settings);

    const QString popUp = QStringLiteral("VCPopUpButton");
    for (const char *state : {"normal", "pressed-at-rest", "disabled"}) {
        auto *b = new VCPopUpButton;
        b->addItems({QStringLiteral("1280*720"), QStringLiteral("640*480")});
        book.shoot(popUp, QString::fromLatin1(state), b, QSize(180, 24), [state](QWidget *w) {
            auto *p = static_cast<VCPopUpButton *>(w);
            p->setBUsePushDownImage(QLatin1String(state) == QLatin1String("pressed-at-rest"));
            p->setEnabled(QLatin1String(state) != QLatin1String("disabled"));
        });
    }
    auto *withPicture = new VCPopUpButton;
    withPicture->addItems({QStringLiteral("Actions")});
    withPicture->setImage(VCPopUpButton::actionTemplateImage(), QStringLiteral("NSActionTemplate"));
    book.shoot(popUp, QStringLiteral("with-picture"), withPicture, QSize(180, 24));
    book.finishCard(popUp);
}

const int registered = GalleryBook::registerPages(converterPages);

} // namespace
