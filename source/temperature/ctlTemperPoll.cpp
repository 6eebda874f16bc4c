// The poll cycle of the temperature component: start and stop, the poll clock, the reply
// time-out with host failover, and the periodic reading-age events.
#include "temperature/ctlTemper.h"

#include "temperature/ComponentError.h"
#include "temperature/Exchange.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <algorithm>

namespace tb {

Q_DECLARE_LOGGING_CATEGORY(lcTemper)

void ctlTemper::BeginStart()
{
    // Starting again restarts: the old endpoint and timers go first.
    if (isStarted())
        BeginStop();

    appPathSlash_ = env_.programDir;
    if (!appPathSlash_.endsWith(QLatin1Char('/')))
        appPathSlash_ += QLatin1Char('/');
    zaprosLine_ = buildZaprosLine(strZapros_);

    const BindResult bound = env_.udp.bind();
    if (!bound.ok()) {
        qCWarning(lcTemper) << "cannot open the UDP port:" << bound.error << bound.description;
        if (bound.error == kBindBlocked) {
            env_.messages.show(MessageBoxes::Icon::Critical,
                QCoreApplication::translate("ctlTemper", "Блокировано открытие порта..."),
                QCoreApplication::translate("ctlTemper",
                    "Какая-то программа защиты не даёт работать с сетью.\r\n"
                    "Возможно антивирус или фаервол.\r\n"
                    "Работа программы невозможна!"));
        } else {
            env_.messages.show(MessageBoxes::Icon::Critical, QCoreApplication::translate("ctlTemper", "Ошибка загрузки формы..."),
                QCoreApplication::translate("ctlTemper", "Номер: ") + QString::number(bound.error) + QStringLiteral("\r\n")
                    + bound.description);
        }
        throw ComponentError(bound.error, bound.description);
    }

    tmr_[1] = env_.timers.create([this] { tmrTick(1); }, 2000);
    tmr_[2] = env_.timers.createSecondClock([this] { tmrTick(2); });
    tmrLoaded_[1] = tmrLoaded_[2] = true;
    tmr_[2]->setEnabled(true);
    std::weak_ptr<int> alive = alive_;
    Opros();
    if (!alive.expired() && tmr_[0])
        tmr_[0]->setEnabled(true);
}

void ctlTemper::BeginStop()
{
    if (saveDue_)
        SaveTemperReg();
    tmr_[0]->setEnabled(false);
    for (int i = 1; i <= 3; ++i)
        if (tmrLoaded_[i])
            destroyTimer(i);
    env_.udp.close();
}

void ctlTemper::destroyTimer(int index)
{
    if (tmr_[index])
        tmr_[index]->setEnabled(false);
    tmr_[index].reset();
    tmrLoaded_[index] = false;
}

void ctlTemper::Opros()
{
    if (!tmrLoaded_[1])
        throw ComponentError(kErrNoSuchTimer, QStringLiteral("Control array element '1' doesn't exist"));
    if (tmr_[1]->enabled())
        return;
    const ProvGroup* g = selectedGroup();
    if (g && g->HostCount > 1)
        tmr_[1]->setEnabled(true);
    SendZapros(zaprosLine_);
    lastOprosTime_ = env_.clock.now();
}

void ctlTemper::tmrTick(int index)
{
    switch (index) {
    case 0: { // poll clock
        if (saveDue_)
            SaveTemperReg();
        // A clock set back (the autumn change from summer time, a correction) makes the count
        // negative: that is taken as a period passed rather than waiting out the jump.
        const auto passed = secondBoundaries(lastOprosTime_, env_.clock.now());
        if (tmrLoaded_[1] && (passed >= oprosTime_ || passed < 0))
            Opros();
        break;
    }
    case 1: { // the reply did not come in time: the next host, or wait for the next period
        tmr_[1]->setEnabled(false);
        ProvGroup* g = selectedGroup();
        if (!g)
            break;
        ++g->CurHost;
        if (g->CurHost > g->HostCount - 1) {
            g->CurHost = 0;
            break;
        }
        Opros();
        break;
    }
    case 2: { // reading-age period clock
        if (!difTimeEvent_) {
            difTimeTicks_ = 0;
            break;
        }
        // The count cannot pass 32767; a longer period behaves as the longest one.
        if (difTimeTicks_ < 32767)
            ++difTimeTicks_;
        if (difTimeTicks_ < std::min(difTimePeriod_, 32767))
            break;
        tmr_[2]->setEnabled(false);
        // A duration below 1 ms would never end the show phase; it ends at the next chance.
        tmr_[3] = env_.timers.create([this] { tmrTick(3); }, std::max(difTimeDlit_, 1));
        tmrLoaded_[3] = true;
        std::weak_ptr<int> alive = alive_;
        if (DifTimeSet)
            DifTimeSet(true);
        if (alive.expired())
            return;
        if (tmrLoaded_[3])
            tmr_[3]->setEnabled(true);
        difTimeTicks_ = 0;
        break;
    }
    case 3: { // end of the show phase
        if (tmrLoaded_[3])
            destroyTimer(3);
        std::weak_ptr<int> alive = alive_;
        if (DifTimeSet)
            DifTimeSet(false);
        if (!alive.expired() && tmrLoaded_[2])
            tmr_[2]->setEnabled(true);
        break;
    }
    default: break;
    }
}

} // namespace tb
