#include "tools/capvane/CapvaneWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char *kStyle = R"(
QPushButton#rec { background: #e0312d; color: white; border: 2px solid #ffffff; border-radius: 22px;
                  font-weight: bold; font-size: 13px; min-width: 44px; max-width: 44px; min-height: 44px; max-height: 44px; }
QPushButton#rec:hover { background: #f04a46; }
QPushButton#rec:disabled { background: #7a3331; color: #d0b0b0; border-color: #8a8a8a; }
QPushButton#stop { background: #3a3f44; color: white; border: 1px solid #70767c; border-radius: 6px;
                   font-size: 13px; padding: 6px 14px; }
QPushButton#stop:hover { background: #4a5056; }
QPushButton#stop:disabled { color: #80868c; border-color: #50565c; }
QLabel#clock { color: white; font-size: 22px; font-family: monospace; }
QLabel#note { color: #c8ccd0; font-size: 11px; }
)";

} // namespace

CapvaneWindow::CapvaneWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(tr("Screen Recorder"));
    setObjectName(QStringLiteral("capvaneWindow"));
    setAttribute(Qt::WA_StyledBackground, false);
    setStyleSheet(QLatin1String(kStyle));

    m_rec = new QPushButton(tr("REC"), this);
    m_rec->setObjectName(QStringLiteral("rec"));
    m_rec->setToolTip(tr("Start recording the screen"));
    m_stop = new QPushButton(tr("Stop"), this);
    m_stop->setObjectName(QStringLiteral("stop"));
    m_stop->setToolTip(tr("Stop and save the recording"));
    m_clock = new QLabel(QStringLiteral("00:00:00"), this);
    m_clock->setObjectName(QStringLiteral("clock"));
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setWordWrap(true);

    auto *row = new QHBoxLayout;
    row->setSpacing(14);
    row->addWidget(m_rec);
    row->addWidget(m_clock, 1);
    row->addWidget(m_stop);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(16, 12, 16, 10);
    column->setSpacing(6);
    column->addLayout(row);
    column->addWidget(m_note);
    setFixedWidth(300);

    connect(m_rec, &QPushButton::clicked, this, &CapvaneWindow::recClicked);
    connect(m_stop, &QPushButton::clicked, this, &CapvaneWindow::stopClicked);
    m_tick.setInterval(250);
    connect(&m_tick, &QTimer::timeout, this, &CapvaneWindow::tick);
    setState(Ready);
}

void CapvaneWindow::setState(State state, const QString &note)
{
    if (m_state == Recording && state != Recording && m_elapsed.isValid()) {
        m_stoppedAtMs = m_elapsed.elapsed();
        tick();
    }
    m_state = state;
    m_rec->setEnabled(state == Ready);
    m_stop->setEnabled(state == Starting || state == Recording);
    if (state == Recording) {
        m_elapsed.start();
        m_stoppedAtMs = -1;
        m_tick.start();
        tick();
    } else {
        m_tick.stop();
    }
    QString text = note;
    if (text.isEmpty()) {
        switch (state) {
        case Ready: text = tr("Click REC to start recording the screen."); break;
        case Starting: text = tr("Starting…"); break;
        case Recording: text = tr("Recording. Click Stop to save."); break;
        case Saving: text = tr("Saving the recording…"); break;
        case Failed: text = tr("The recording failed."); break;
        }
    }
    m_note->setText(text);
    adjustSize();
    update();
}

QString CapvaneWindow::clockText() const { return m_clock->text(); }

qint64 CapvaneWindow::recordedMs() const
{
    if (m_stoppedAtMs >= 0)
        return m_stoppedAtMs;
    return m_elapsed.isValid() ? m_elapsed.elapsed() : 0;
}

QString CapvaneWindow::noteText() const { return m_note->text(); }

void CapvaneWindow::tick()
{
    const qint64 s = recordedMs() / 1000;
    m_clock->setText(QStringLiteral("%1:%2:%3")
                         .arg(s / 3600, 2, 10, QLatin1Char('0'))
                         .arg((s % 3600) / 60, 2, 10, QLatin1Char('0'))
                         .arg(s % 60, 2, 10, QLatin1Char('0')));
}

void CapvaneWindow::closeEvent(QCloseEvent *event)
{
    // The owner decides when the window may go (a recording is saved first).
    event->ignore();
    emit closeRequested();
}

void CapvaneWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0x24, 0x28, 0x2c));
    if (m_state == Recording) {
        // A red frame says the screen is being recorded.
        p.setPen(QPen(QColor(0xe0, 0x31, 0x2d), 3));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}
