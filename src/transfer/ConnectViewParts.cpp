#include "transfer/ConnectViewParts.h"

#include "controls/MGHoverButton.h"
#include "controls/QVUrlLabel.h"
#include "platform/MainBundle.h"
#include "transfer/TransferHelpPage.h"

#include <QLabel>
#include <QPixmap>

namespace ConnectViewParts {

QLabel *text(const QString &text, int points, QWidget *parent, const QColor &color)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSize(points);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

QLabel *picture(const QImage &image, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setPixmap(QPixmap::fromImage(image));
    label->setFixedSize(image.isNull() ? QSize(0, 0) : image.size());
    return label;
}

QVUrlLabel *helpLink(const QString &text, const QString &infoKey, QWidget *parent, int points)
{
    auto *link = new QVUrlLabel(parent);
    QFont font(QStringLiteral("Helvetica"));
    font.setPointSize(points);
    link->setFont(font);
    link->setNormalForegroundColor(Green);
    link->setMoveOverForegroundColor(Green.darker(120));
    link->setStringValue(text);
    link->setObjectName(infoKey);
    link->setUrl(TransferHelpPage::webAddress(infoKey));
    if (link->url().isEmpty())
        link->setClickURLAction(new TransferHelpPage(infoKey, link), "openPage");
    return link;
}

MGHoverButton *actionButton(const QString &title, const QString &objectName, QWidget *parent)
{
    auto *button = new MGHoverButton(parent);
    button->setObjectName(objectName);
    button->setButtonDisplayType(3);
    button->setTitle(title);
    button->setMinimumSize(120, 32);
    return button;
}

QString bundleName()
{
    const QString name = MainBundle::infoString(QStringLiteral("CFBundleDisplayName"));
    return name.isEmpty() ? MainBundle::infoString(QStringLiteral("CFBundleName")) : name;
}

} // namespace ConnectViewParts
