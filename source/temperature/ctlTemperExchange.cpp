// The temperature component's side of the server exchange: sending requests, reading
// replies, keeping the reading in the registry and the hourly version check.
#include "temperature/ctlTemper.h"

#include "platform/Codepage.h"
#include "temperature/Exchange.h"
#include "temperature/mReg.h"

#include <QLoggingCategory>

#include <limits>

namespace tb {

Q_DECLARE_LOGGING_CATEGORY(lcTemper)
Q_LOGGING_CATEGORY(lcExchange, "thermobadge.exchange", QtInfoMsg)

namespace {
// How many distinct addresses requests went to are remembered for accepting replies.
constexpr int kAskedAddressMemory = 64;
// Readings written to the registry within one second; more wait for the next second.
constexpr int kMostSavesPerSecond = 2;
}

// ---------------------------------------------------------------- registry

QString ctlTemper::GetRegValue(const QString& name, const QString& defaultText) const
{
    QString text = defaultText;
    mReg::RegReadStr(env_.registry, RegRoot::CurrentUser, registryKey(), name, text);
    return text;
}

void ctlTemper::SaveRegValue(const QString& name, const QString& text)
{
    if (!mReg::RegWriteStr(env_.registry, RegRoot::CurrentUser, registryKey(), name, text))
        qCWarning(lcTemper) << "could not store" << name << "in the registry";
}

void ctlTemper::LoadTemperReg()
{
    const QString temper = GetRegValue(QStringLiteral("Temper"), QStringLiteral("0"));
    const QString time = GetRegValue(QStringLiteral("Time"), QStringLiteral("24.10.2012 18:33"));
    const QString cor = GetRegValue(QStringLiteral("TCorrect"), QStringLiteral("0"));

    // A stored text that no longer converts (the regional settings changed, the file was
    // damaged) gives the default of that value.
    const auto t = env_.regional.parseNumber(temper);
    if (!t)
        qCWarning(lcTemper) << "stored temperature" << temper << "is not a number here - 0 used";
    temperRaw_ = t.value_or(0.0);

    auto when = env_.regional.parseDateTime(time);
    if (!when)
        when = parseDottedDateTime(time);
    if (!when)
        qCWarning(lcTemper) << "stored reading time" << time << "is not a date here - 24.10.2012 18:33 used";
    valTime_ = when.value_or(DateTime::of(2012, 10, 24, 18, 33));

    const auto c = env_.regional.parseNumber(cor);
    if (!c)
        qCWarning(lcTemper) << "stored correction" << cor << "is not a number here - 0 used";
    temperCor_ = c.value_or(0.0);
}

void ctlTemper::SaveTemperReg()
{
    const QString temper = env_.regional.formatNumber(temperRaw_);
    const QString time = env_.regional.formatDateTime(valTime_);
    saveDue_ = false;
    if (temper == savedTemper_ && time == savedTime_)
        return; // stored already: repeated replies cost no write
    // A few writes a second at most: a flood of replies must not become a flood of disk writes.
    // The last reading of a burst is written by the poll clock's next tick (or at the stop).
    const DateTime now = env_.clock.now();
    const bool sameSecond = secondBoundaries(lastSaveTime_, now) == 0;
    if (sameSecond && savesThisSecond_ >= kMostSavesPerSecond) {
        saveDue_ = true;
        return;
    }
    // One change of the store: a reading and its time are never kept half old, half new.
    if (!mReg::RegWriteStrs(env_.registry, RegRoot::CurrentUser, registryKey(),
                            {{QStringLiteral("Temper"), temper}, {QStringLiteral("Time"), time}})) {
        qCWarning(lcTemper) << "could not store the reading in the registry";
        return;
    }
    savedTemper_ = temper;
    savedTime_ = time;
    lastSaveTime_ = now;
    savesThisSecond_ = sameSecond ? savesThisSecond_ + 1 : 1;
}

void ctlTemper::acceptReading()
{
    if (save2Reg_)
        SaveTemperReg();
    const double corrected = temperCor_ + temperRaw_;
    if (TemperReceive)
        TemperReceive(corrected, valTime_);
}

// ---------------------------------------------------------------- sending

void ctlTemper::SendZapros(const QString& line)
{
    ProvGroup* g = selectedGroup();
    if (!g || g->Hosts.isEmpty() || !env_.udp.isBound())
        return;
    if (g->CurHost < 0 || g->CurHost >= g->Hosts.size())
        g->CurHost = 0;
    const QString host = g->Hosts[g->CurHost];
    std::weak_ptr<int> alive = alive_;
    env_.udp.send(host, env_.serverPort, toAnsi(line), [this, alive](const SendOutcome& out) {
        if (alive.expired() || !out.sent)
            return;
        if (!askedAddresses_.contains(out.address)) {
            askedAddresses_.append(out.address);
            if (askedAddresses_.size() > kAskedAddressMemory)
                askedAddresses_.removeFirst();
        }
        if (statOut_ < std::numeric_limits<qint32>::max())
            ++statOut_;
    });
}

void ctlTemper::AskVersion()
{
    if (!progId_.isEmpty() && checkVer_)
        SendZapros(QStringLiteral("v") + progId_);
}

void ctlTemper::checkVersionDue()
{
    const DateTime now = env_.clock.now();
    const auto passed = secondBoundaries(lastVerTime_, now);
    if (passed >= 0 && passed < 3600) // a clock set back does not hold the check off
        return;
    lastVerTime_ = now;
    AskVersion();
}

// ---------------------------------------------------------------- receiving

bool ctlTemper::fromAskedHost(const Datagram& d) const
{
    return d.senderPort == env_.serverPort && askedAddresses_.contains(d.senderAddress);
}

void ctlTemper::onDatagram(const Datagram& d)
{
    // Only the server port of a host this component asked may answer: anything else could
    // inject a reading or a "newer version".
    if (!fromAskedHost(d)) {
        ++statRejected_;
        qCDebug(lcExchange) << "datagram of" << d.data.size() << "bytes from" << d.senderAddress << d.senderPort
                            << "refused: no request went there";
        return;
    }
    if (statIn_ < std::numeric_limits<qint32>::max())
        ++statIn_;
    const ReplyKind kind = classifyReply(d.data.size());
    if (kind == ReplyKind::Unread)
        return;
    if (tmr_[1])
        tmr_[1]->setEnabled(false);
    const QString text = fromAnsi(d.data);
    if (kind == ReplyKind::Version)
        handleVersionReply(text);
    else if (kind == ReplyKind::Temperature)
        handleTemperatureReply(text);
}

void ctlTemper::handleVersionReply(const QString& text)
{
    const auto reply = parseVersionReply(text);
    if (!reply)
        return;
    if (versionValue(reply->major, reply->minor) > versionValue(env_.programMajor, env_.programMinor))
        RunVerShow(reply->text);
}

void ctlTemper::handleTemperatureReply(const QString& text)
{
    const auto reply = parseTemperatureReply(text, env_.regional);
    if (!reply) {
        qCDebug(lcExchange) << "temperature reply not understood:" << text;
        return;
    }
    temperPrevRaw_ = temperRaw_;
    valTime_ = reply->time;
    temperRaw_ = reply->temperature;
    std::weak_ptr<int> alive = alive_;
    acceptReading();
    if (!alive.expired())
        checkVersionDue();
}

void ctlTemper::RunVerShow(const QString& replyText)
{
    const QString path = appPathSlash_ + QStringLiteral("VerShow.dll");
    if (!env_.processes.isRegularFile(path)) {
        qCDebug(lcExchange) << "newer version" << CommaToDot(replyText) << "announced, but" << path << "is missing";
        return;
    }
    if (!env_.processes.startDetached(path, {QStringLiteral("/v") + CommaToDot(replyText)}))
        qCDebug(lcExchange) << "could not start" << path;
}

} // namespace tb
