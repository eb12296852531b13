#pragma once

#include <QFont>
#include <QWidget>

#include <memory>

class ControlTimer;
class QLineEdit;
class TimeLabelController;

// A duration entered as hours, minutes and seconds in three two-digit fields, between a
// lower and an upper bound in seconds. Edits are checked half a second after the last
// keystroke, clamped, and announced as "TIMELABEL_CHANGED_NOTIFICATION" with the total under
// "value".
class TimeLabel : public QWidget
{
    Q_OBJECT
public:
    static const QString changedNotification;  // "TIMELABEL_CHANGED_NOTIFICATION"
    static constexpr int checkDelayMs = 500;

    explicit TimeLabel(QWidget *parent = nullptr);
    ~TimeLabel() override;

    void setFont(const QFont &font);
    bool isEditable() const;
    void setEditable(bool flag);

    void setTime(double seconds);
    double getTime() const;

    double maxValue() const { return m_maxValue; }
    void setMaxValue(double v);
    double minValue() const { return m_minValue; }
    void setMinValue(double v);

    QLineEdit *hourTxt() const { return m_hourTxt; }
    QLineEdit *minuteTxt() const { return m_minuteTxt; }
    QLineEdit *secondTxt() const { return m_secondTxt; }
    TimeLabelController *controller() const { return m_tfc; }
    bool hasPendingCheck() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLineEdit *makeField(const QString &text, bool digits);
    void layoutFields();
    void timeLabelmodifyTxtValue(QLineEdit *field);
    void checkField(QLineEdit *field);
    void timeLabelEditEnd(QLineEdit *field);
    bool isOwnDigitField(const QObject *o) const;

    QLineEdit *m_backTxt = nullptr;
    QLineEdit *m_hourTxt = nullptr;
    QLineEdit *m_colonLeftTxt = nullptr;
    QLineEdit *m_minuteTxt = nullptr;
    QLineEdit *m_colonRightTxt = nullptr;
    QLineEdit *m_secondTxt = nullptr;
    double m_maxValue = 359999.0;
    double m_minValue = 0.0;
    std::unique_ptr<ControlTimer> m_timer;
    TimeLabelController *m_tfc = nullptr;
};
