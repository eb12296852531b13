#pragma once

#include <QValidator>

// Typing rules of the scheduler's hour and minute fields: at most two characters, digits
// only, and a value between the minimum and the maximum (an empty text counts as 0).
// A refused edit beeps.
class TimeLabelFormatter : public QValidator
{
    Q_OBJECT
public:
    explicit TimeLabelFormatter(QObject *parent = nullptr);
    int minIntValue() const { return m_minIntValue; }
    void setMinIntValue(int v) { m_minIntValue = v; }
    int maxIntValue() const { return m_maxIntValue; }
    void setMaxIntValue(int v) { m_maxIntValue = v; }
    State validate(QString &input, int &pos) const override;
    bool isPartialStringValid(const QString &proposed) const;

private:
    int m_minIntValue = 0;
    int m_maxIntValue = 60;
};
