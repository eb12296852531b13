#pragma once

#include "shell/ShellDialog.h"

#include <QDateTime>
#include <QList>
#include <QVariantList>

#include <functional>

class MGCheckButton;
class MGHoverButton;
class QDateEdit;
class QLineEdit;
class QRadioButton;
class QToolButton;
class TimeLabelFormatter;
class TimeSchedulerManager;
class UserDefaults;

// The scheduler options: start downloading once at a date and time or daily on chosen
// weekdays, and stop at a time. OK hands the schedule to the scheduler; a refused save
// (same start and stop time, a one-time start in the past, nothing changed) closes silently.
class TimeSchedulerOptionWinCtrl : public ShellDialog
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    TimeSchedulerOptionWinCtrl(UserDefaults &defaults, TimeSchedulerManager &scheduler, const Clock &clock = {},
                               QWidget *parent = nullptr);

    // Fills from the user defaults and runs modally; 1 OK, 0 cancelled.
    int runModal();
    void setupFromDefaults();
    void checkButtonClick();
    void radioButtonClick(bool daily);
    // The stepper: moves the focused time field by one, clamped to its range.
    void timeSteperClick(bool up);
    void closeWindowWithCode(int code);

    QList<int> selectDaily() const;
    bool hasSameTimeSchedulerTime() const;
    bool hasSameTimeSchedulerOptions() const;
    // The stop moment of a one-time schedule: on the start's day when it is not earlier than
    // the start, else the day after; with no start, the next time the stop comes round.
    static QDateTime onceStopMoment(const QDate &day, bool hasStart, int startMinutes, int stopMinutes, const QDateTime &now);
    static QString localizedString(int tag);

    MGCheckButton *startBox() const { return m_chkStartDownload; }
    MGCheckButton *stopBox() const { return m_chkStopDownload; }
    QRadioButton *onceRadio() const { return m_radioOnceAtCell; }
    QRadioButton *dailyRadio() const { return m_radioDailyCell; }
    QDateEdit *datePicker() const { return m_dtpkOnceDate; }
    QLineEdit *startHour() const { return m_edtStartHouSet; }
    QLineEdit *startMinute() const { return m_edtStartMinSet; }
    QLineEdit *stopHour() const { return m_edtStopHouSet; }
    QLineEdit *stopMinute() const { return m_edtStopMinSet; }
    MGHoverButton *okButton() const { return m_btnOK; }
    MGHoverButton *cancelButton() const { return m_btnCancel; }
    MGCheckButton *weekdayBox(int tag) const { return tag >= 1 && tag <= 7 ? m_weekdays[tag - 1] : nullptr; }

    // The close button: asks "Do you want to exit?" first.
    void reject() override;

private:
    void setStartControlsEnabled(bool on);
    void setDailyStateOn(const QList<int> &tags);
    void setDailyStateOff(bool othersEnabled);
    void saveTimeSchedulerOptions();
    void performTimeScheduler();
    QDateTime now() const;

    UserDefaults &m_defaults;
    TimeSchedulerManager &m_scheduler;
    Clock m_clock;
    QWidget *m_bgOptionView;
    MGCheckButton *m_chkStartDownload;
    QRadioButton *m_radioOnceAtCell;
    QRadioButton *m_radioDailyCell;
    QDateEdit *m_dtpkOnceDate;
    MGCheckButton *m_chkStopDownload;
    MGHoverButton *m_btnCancel;
    MGHoverButton *m_btnOK;
    QLineEdit *m_edtStartHouSet;
    QLineEdit *m_edtStartMinSet;
    QLineEdit *m_edtStopHouSet;
    QLineEdit *m_edtStopMinSet;
    MGCheckButton *m_weekdays[7];
    QLineEdit *m_lastTimeField = nullptr;
    bool m_closing = false;
};
