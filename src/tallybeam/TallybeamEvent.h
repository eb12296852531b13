#pragma once

#include "tallybeam/TallybeamObject.h"

#include <memory>
#include <optional>

// An event hit: category, action, and optionally a label and a value.
class TALLYBEAM_EXPORT TallybeamEvent : public TallybeamObject
{
public:
    static std::shared_ptr<TallybeamEvent> tallybeamEventWithCategory(const QString &category, const QString &action);
    TallybeamEvent(const QString &category, const QString &action);

    QString category() const { return m_category; }
    QString action() const { return m_action; }
    std::optional<QString> lable() const { return m_label; }
    void setLable(const QString &label) { m_label = label; }
    qint32 value() const { return m_value; }
    void setValue(qint32 value) { m_value = value; }

    // "t=event&ec=…&ea=…[&el=…]&ev=<value>".
    QString querystring() const override;

private:
    QString m_category;
    QString m_action;
    std::optional<QString> m_label;
    qint32 m_value = 0;
};
