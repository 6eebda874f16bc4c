#include "platform/linux/QtTimerFactory.h"

#include <QLoggingCategory>
#include <QTimer>

#include <exception>

namespace tb {

Q_LOGGING_CATEGORY(lcTimer, "thermobadge.timer", QtWarningMsg)

namespace {

class QtTimer final : public Timer {
public:
    QtTimer(std::function<void()> onTick, int intervalMs, Qt::TimerType type)
        : onTick_(std::move(onTick))
        , interval_(intervalMs)
    {
        // Precise unless asked otherwise: a coarse timer may fire up to 5 % early, and a tick
        // that comes early can miss the second boundary it is meant to see. A very coarse one
        // never fires before its whole second.
        timer_->setTimerType(type);
        QObject::connect(timer_, &QTimer::timeout, [this] { tick(); });
    }

    ~QtTimer() override
    {
        timer_->stop();
        QObject::disconnect(timer_, nullptr, nullptr, nullptr);
        // Qt advises against deleting an object inside its own signal, so a timer destroyed by
        // its tick goes once control is back in the event loop; stopped and disconnected, it
        // never ticks again.
        if (ticking_ > 0)
            timer_->deleteLater();
        else
            delete timer_;
    }

    QtTimer(const QtTimer&) = delete;
    QtTimer& operator=(const QtTimer&) = delete;

    // Sets the period; a running timer starts a full new period now.
    void setInterval(int ms) override
    {
        interval_ = ms;
        rearm();
    }

    // The period as last set, even one that never fires.
    int interval() const override { return interval_; }

    // Starts a full period from now, or stops; enabling an enabled timer changes nothing.
    void setEnabled(bool on) override
    {
        if (on == enabled_)
            return;
        enabled_ = on;
        rearm();
    }

    // Whether switched on, even with an interval that never fires.
    bool enabled() const override { return enabled_; }

private:
    void rearm()
    {
        if (enabled_ && interval_ > 0)
            timer_->start(interval_);
        else
            timer_->stop();
    }

    void tick()
    {
        // The tick may destroy this timer (then `alive` expires) and may run a nested event
        // loop in which this timer ticks again; nothing of the timer is touched after it is gone.
        std::weak_ptr<char> alive = alive_;
        ++ticking_;
        auto onTick = onTick_;
        try {
            if (onTick)
                onTick();
        } catch (const std::exception& e) {
            qCCritical(lcTimer) << "a timer tick raised an error and was abandoned:" << e.what();
        } catch (...) {
            qCCritical(lcTimer) << "a timer tick raised an unknown error and was abandoned";
        }
        if (!alive.expired())
            --ticking_;
    }

    QTimer* timer_ = new QTimer;
    std::function<void()> onTick_;
    int interval_;
    bool enabled_ = false;
    int ticking_ = 0;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

} // namespace

std::unique_ptr<Timer> QtTimerFactory::create(std::function<void()> onTick, int intervalMs)
{
    return std::make_unique<QtTimer>(std::move(onTick), intervalMs, Qt::PreciseTimer);
}

std::unique_ptr<Timer> QtTimerFactory::createSecondClock(std::function<void()> onTick)
{
    return std::make_unique<QtTimer>(std::move(onTick), 1000, Qt::VeryCoarseTimer);
}

} // namespace tb
