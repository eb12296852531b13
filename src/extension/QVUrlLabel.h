#pragma once

#include <QColor>
#include <QLabel>

#include <functional>

namespace Brisklet {

// The bundle's own link label: underlined text in the link colour over its whole bounds; a
// single click sends the click action. Kept apart from the application's label so that the
// plug-in carries no widget code of the host.
class QVUrlLabel : public QLabel
{
    Q_OBJECT

public:
    explicit QVUrlLabel(QWidget *parent = nullptr);

    void setClickAction(std::function<void()> action) { m_action = std::move(action); }
    void setEnableClick(bool on) { m_enableClick = on; }
    // Stored only; shows at the next restyling.
    void setNormalForegroundColor(const QColor &c) { m_normal = c; }
    void setStringValue(const QString &text);
    void resetAttributedString();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    std::function<void()> m_action;
    bool m_enableClick = true;
    QColor m_normal = QColor(0, 102, 204);
    QString m_text;
};

} // namespace Brisklet
