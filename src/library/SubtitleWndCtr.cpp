#include "library/SubtitleWndCtr.h"

#include "controls/MGHoverButton.h"
#include "controls/MTThreePartButton.h"
#include "library/PlayerImages.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>

namespace {
const QString kDefaultFont = QStringLiteral("Arial Unicode MS");
constexpr int kDefaultSize = 28;

struct Scheme
{
    int text;
    int back;
};
// Scheme n (1..4): text and background; black is stored as 1.
constexpr Scheme kSchemes[4] = {{0xFFFFFF, 1}, {1, 0xFFFFFF}, {0xFFFF00, 1}, {0xFFFFFF, 255}};

QString localizedLabel(const char *english)
{
    return QStringLiteral("%1:").arg(MainBundle::localizedString(english));
}
} // namespace

SubtitleWndCtr::SubtitleWndCtr(QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(380, 236);
    const QString labelStyle = QStringLiteral("color: #E9EDF1; font-size: 12px;");
    m_lblTitle = new QLabel(this);
    m_lblTitle->setGeometry(0, 14, width(), 22);
    m_lblTitle->setAlignment(Qt::AlignCenter);
    m_lblTitle->setStyleSheet(QStringLiteral("color: white; font-size: 14px; font-weight: bold;"));
    m_lblFont = new QLabel(this);
    m_lblSize = new QLabel(this);
    m_lblColor = new QLabel(this);
    int y = 52;
    for (QLabel *l : {m_lblFont, m_lblSize, m_lblColor}) {
        l->setGeometry(24, y, 70, 26);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setStyleSheet(labelStyle);
        y += 38;
    }
    const QString popStyle = QStringLiteral(
        "QComboBox { color: white; background: #3A4450; border: 1px solid #4A5562; border-radius: 6px;"
        " padding: 2px 8px; font-size: 12px; }"
        "QComboBox::drop-down { border: none; width: 18px; }"
        "QComboBox QAbstractItemView { color: #1F2933; background: white; selection-background-color: #20C05B; }");
    m_popFontSelector = new QComboBox(this);
    m_popFontSelector->setGeometry(104, 52, 240, 26);
    m_popSizeSelector = new QComboBox(this);
    m_popSizeSelector->setGeometry(104, 90, 90, 26);
    for (QComboBox *c : {m_popFontSelector, m_popSizeSelector})
        c->setStyleSheet(popStyle);
    connect(m_popFontSelector, &QComboBox::textActivated, this, &SubtitleWndCtr::fontControl);
    connect(m_popSizeSelector, &QComboBox::textActivated, this, &SubtitleWndCtr::sizeControl);
    for (int n = 1; n <= 4; ++n) {
        auto *b = new MGHoverButton(this);
        b->setImageName(PlayerImages::Sheet);
        b->setGeometry(100 + (n - 1) * 54, 125, 48, 32);
        b->setProperty("tag", n);
        connect(b, &QAbstractButton::clicked, this, [this, n] { colorControl(n); });
        m_btnSchemes[n - 1] = b;
    }
    auto makeButton = [this](int tag) {
        auto *b = new MTThreePartButton(this);
        b->setProperty("tag", tag);
        b->setForeColor(Qt::white);
        connect(b, &QAbstractButton::clicked, this, [this, tag] { closeWindow(tag); });
        return b;
    };
    m_defaultBtn = makeButton(TagDefault);
    m_cancelBtn = makeButton(TagCancel);
    m_okBtn = makeButton(TagOK);
    m_defaultBtn->setGeometry(24, 184, 80, 26);
    m_cancelBtn->setGeometry(196, 184, 80, 26);
    m_okBtn->setGeometry(286, 184, 70, 26);
    initResource();
}

const QStringList &SubtitleWndCtr::fontList()
{
    static const QStringList fonts = {kDefaultFont,           QStringLiteral("Arial Narrow Bold"),
                                      QStringLiteral("Arial Rounded MT Bold"), QStringLiteral("Lucida Grande"),
                                      QStringLiteral("Helvetica"),  QStringLiteral("Tahoma")};
    return fonts;
}

const QStringList &SubtitleWndCtr::sizeList()
{
    static const QStringList sizes = {"22", "24", "26", "28", "30", "32", "34", "36", "38", "40"};
    return sizes;
}

void SubtitleWndCtr::initResource()
{
    setWindowOpacity(1.0);
    m_lblTitle->setText(MainBundle::localizedString("Closed Captioning Settings"));
    setWindowTitle(m_lblTitle->text());
    m_lblFont->setText(localizedLabel("Font"));
    m_lblSize->setText(localizedLabel("Size"));
    m_lblColor->setText(localizedLabel("Color"));

    UserDefaults &d = UserDefaults::standard();
    m_strFont = d.stringForKey(QStringLiteral("PlayerSubtitleFont"));
    m_nFontColor = int(d.integerForKey(QStringLiteral("PlayerSubtitleColor")));
    m_nBgColor = int(d.integerForKey(QStringLiteral("PlayerSubtitleBgColor")));
    m_nFontSize = int(d.integerForKey(QStringLiteral("PlayerSubtitleSize")));
    if (m_strFont.isEmpty())
        defaultSetting();
    fillPopups();

    const QImage bn[3] = {PlayerImages::named("buttonblack_normal_l"), PlayerImages::named("buttonblack_normal_m"),
                          PlayerImages::named("buttonblack_normal_r")};
    const QImage bd[3] = {PlayerImages::named("buttonblack_down_l"), PlayerImages::named("buttonblack_down_m"),
                          PlayerImages::named("buttonblack_down_r")};
    for (MTThreePartButton *b : {m_defaultBtn, m_cancelBtn}) {
        b->setHeadImg(bn[0], bn[1], bn[2]);
        b->setAlterHead(bd[0], bd[1], bd[2]);
    }
    if (m_defaultBtn->title().isEmpty())
        m_defaultBtn->setTitle(QStringLiteral(" "));
    if (m_cancelBtn->title().isEmpty())
        m_cancelBtn->setTitle(QStringLiteral(" "));
    m_defaultBtn->scaleToFitTitle(MainBundle::localizedString("Default"), 0, 8);
    m_cancelBtn->scaleToFitTitle(MainBundle::localizedString("Cancel"), 2, 8);
    m_okBtn->setTitle(MainBundle::localizedString("OK"));
    m_okBtn->setHeadImg(PlayerImages::named("buttonblue_normal_l"), PlayerImages::named("buttonblue_normal_m"),
                        PlayerImages::named("buttonblue_normal_r"));
    m_okBtn->setAlterHead(PlayerImages::named("buttonblue_down_l"), PlayerImages::named("buttonblue_down_m"),
                          PlayerImages::named("buttonblue_down_r"));
    selectColorBtnAtIndex(indexForColor(m_nFontColor, m_nBgColor));
}

void SubtitleWndCtr::fillPopups()
{
    m_popFontSelector->clear();
    m_popFontSelector->addItems(fontList());
    m_popSizeSelector->clear();
    m_popSizeSelector->addItems(sizeList());
    m_popFontSelector->setCurrentText(m_strFont);
    m_popSizeSelector->setCurrentText(QString::number(m_nFontSize));
}

void SubtitleWndCtr::showWindowAtLocation(const QPoint &topLeft)
{
    initResource();
    move(topLeft);
    exec();
}

void SubtitleWndCtr::defaultSetting()
{
    m_strFont = kDefaultFont;
    m_nFontSize = kDefaultSize;
    m_nFontColor = 0xFFFFFF;
    m_nBgColor = 1;
    m_popFontSelector->setCurrentText(m_strFont);
    m_popSizeSelector->setCurrentText(QString::number(m_nFontSize));
    selectColorBtnAtIndex(1);
}

void SubtitleWndCtr::fontControl(const QString &title)
{
    m_strFont = title;
}

void SubtitleWndCtr::sizeControl(const QString &title)
{
    m_nFontSize = title.toInt();
}

void SubtitleWndCtr::colorControl(int tag)
{
    if (tag < 1 || tag > 4)
        return;
    m_nFontColor = kSchemes[tag - 1].text;
    m_nBgColor = kSchemes[tag - 1].back;
    selectColorBtnAtIndex(tag);
}

int SubtitleWndCtr::indexForColor(int textColor, int backColor)
{
    if (textColor == 1)
        return 2;
    if (textColor == 0xFFFFFF)
        return backColor == 1 ? 1 : 4;
    if (textColor == 0xFFFF00)
        return 3;
    return 1;
}

QImage SubtitleWndCtr::imageByNumber(int n, bool isDown)
{
    return PlayerImages::named(QString::asprintf(isDown ? "AA%d_down" : "AA%d_normal", n));
}

MGHoverButton *SubtitleWndCtr::schemeButton(int n) const
{
    return n >= 1 && n <= 4 ? m_btnSchemes[n - 1] : nullptr;
}

void SubtitleWndCtr::selectColorBtnAtIndex(int index)
{
    if (index < 1 || index > 4)
        return;
    m_selectedScheme = index;
    for (int n = 1; n <= 4; ++n) {
        const QString name = QString::asprintf(n == index ? "AA%d_down" : "AA%d_normal", n);
        MGHoverButton *b = m_btnSchemes[n - 1];
        b->setNormalSliceName(name);
        b->setHoverSliceName(name);
        b->setDownSliceName(QString::asprintf("AA%d_down", n));
        b->update();
    }
}

void SubtitleWndCtr::closeWindow(int tag)
{
    if (tag == TagDefault) {
        defaultSetting();
        return;
    }
    if (isVisible())
        done(tag == TagOK ? QDialog::Accepted : QDialog::Rejected);
    if (tag != TagOK)
        return;
    UserDefaults &d = UserDefaults::standard();
    const QString font = d.stringForKey(QStringLiteral("PlayerSubtitleFont"));
    const int size = int(d.integerForKey(QStringLiteral("PlayerSubtitleSize")));
    const int color = int(d.integerForKey(QStringLiteral("PlayerSubtitleColor")));
    const int back = int(d.integerForKey(QStringLiteral("PlayerSubtitleBgColor")));
    if (font == m_strFont && size == m_nFontSize && color == m_nFontColor && back == m_nBgColor)
        return;
    d.setString(QStringLiteral("PlayerSubtitleFont"), m_strFont);
    d.setInteger(QStringLiteral("PlayerSubtitleSize"), m_nFontSize);
    d.setInteger(QStringLiteral("PlayerSubtitleColor"), m_nFontColor);
    d.setInteger(QStringLiteral("PlayerSubtitleBgColor"), m_nBgColor);
    d.synchronize();
    if (m_delegate)
        m_delegate->subtitleWndDidClosed(this);
}

void SubtitleWndCtr::reject()
{
    // Escape and the window's close take the Cancel road.
    QDialog::reject();
}

void SubtitleWndCtr::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(255, 255, 255, 30));
    p.setBrush(QColor(0x1F, 0x29, 0x33, int(255 * 0.8)));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
}
