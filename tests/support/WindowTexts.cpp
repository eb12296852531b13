#include "support/WindowTexts.h"

#include "platform/MainBundle.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextDocumentFragment>
#include <QWidget>

namespace WindowTexts {

QStringList visibleTexts(const QWidget *root)
{
    QStringList texts;
    auto collect = [&texts](const QWidget *w) {
        if (!w->isVisibleTo(w->window()) && w != w->window())
            return;
        auto add = [&texts](const QString &t) {
            const QString plain = Qt::mightBeRichText(t) ? QTextDocumentFragment::fromHtml(t).toPlainText() : t;
            if (!plain.trimmed().isEmpty())
                texts << plain.trimmed();
        };
        if (w->isWindow())
            add(w->windowTitle());
        add(w->toolTip());
        if (auto *l = qobject_cast<const QLabel *>(w))
            add(l->text());
        if (auto *b = qobject_cast<const QAbstractButton *>(w))
            add(b->text());
        if (auto *e = qobject_cast<const QLineEdit *>(w))
            add(e->placeholderText());
        if (auto *c = qobject_cast<const QComboBox *>(w))
            for (int i = 0; i < c->count(); ++i)
                add(c->itemText(i));
        const QVariant title = w->property("title");
        if (title.typeId() == QMetaType::QString)
            add(title.toString());
    };
    collect(root);
    for (const QWidget *w : root->findChildren<QWidget *>())
        collect(w);
    return texts;
}

QStringList bareKeys(const QWidget *root)
{
    const QStringList keys = MainBundle::stringTableKeys();
    QStringList bare;
    for (const QString &t : visibleTexts(root))
        if (keys.contains(t))
            bare << t;
    return bare;
}

} // namespace WindowTexts
