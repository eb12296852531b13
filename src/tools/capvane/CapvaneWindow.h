#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;

// The recorder's small window, kept above the others: REC starts, the clock runs while the
// screen is recorded, Stop ends the recording; closing it before REC cancels.
class CapvaneWindow : public QWidget
{
    Q_OBJECT
public:
    enum State { Ready, Starting, Recording, Saving, Failed };

    explicit CapvaneWindow(QWidget *parent = nullptr);

    void setState(State state, const QString &note = QString());
    State state() const { return m_state; }
    QPushButton *recButton() const { return m_rec; }
    QPushButton *stopButton() const { return m_stop; }
    QString clockText() const;
    // How long the clock has run: from the recorder's first written frame to the stop.
    qint64 recordedMs() const;
    QString noteText() const;

signals:
    void recClicked();
    void stopClicked();
    void closeRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void tick();

    QPushButton *m_rec = nullptr;
    QPushButton *m_stop = nullptr;
    QLabel *m_clock = nullptr;
    QLabel *m_note = nullptr;
    QTimer m_tick;
    QElapsedTimer m_elapsed;
    qint64 m_stoppedAtMs = -1;
    State m_state = Ready;
};
