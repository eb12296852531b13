#include "controls/ControlTimer.h"

#include <QTimer>

namespace {

class QtControlTimer : public ControlTimer
{
public:
    QtControlTimer()
    {
        m_timer.setSingleShot(true);
        // Precise, so a half-second check is not stretched by coarse timer slack.
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto fired = std::move(m_fired);
            m_fired = nullptr;
            if (fired)
                fired();
        });
    }
    void start(int ms, std::function<void()> fired) override
    {
        m_fired = std::move(fired);
        m_timer.start(ms);
    }
    void stop() override
    {
        m_timer.stop();
        m_fired = nullptr;
    }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
    std::function<void()> m_fired;
};

ControlTimer::Maker &maker()
{
    static ControlTimer::Maker m;
    return m;
}

} // namespace

std::unique_ptr<ControlTimer> ControlTimer::make()
{
    if (maker())
        return maker()();
    return std::make_unique<QtControlTimer>();
}

void ControlTimer::setMakerForTesting(Maker m)
{
    maker() = std::move(m);
}
