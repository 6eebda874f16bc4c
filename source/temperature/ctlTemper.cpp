// Creation, properties and the container's property store of the temperature component.
#include "temperature/ctlTemper.h"

#include "temperature/ComponentError.h"
#include "temperature/Exchange.h"
#include "temperature/ReadingAge.h"

#include <QLoggingCategory>

#include <cmath>

namespace tb {

Q_LOGGING_CATEGORY(lcTemper, "thermobadge.temper", QtInfoMsg)

namespace {

const QString kDefaultZapros = QStringLiteral("$vox");

// The reading time shown before any reading has ever been stored.
DateTime defaultValTime() { return DateTime::of(2012, 10, 24, 18, 33); }

template <typename T>
T readNumber(const PropertyBag& bag, const QString& key, T defaultValue, T lo, T hi)
{
    const auto v = bag.read(key);
    if (!v)
        return defaultValue;
    bool ok = false;
    const double d = v->toDouble(&ok);
    if (!ok || !std::isfinite(d) || d < static_cast<double>(lo) || d > static_cast<double>(hi) ||
        d != static_cast<double>(static_cast<T>(d))) {
        qCWarning(lcTemper) << "stored property" << key << "has an unusable value" << *v << "- default used";
        return defaultValue;
    }
    return static_cast<T>(d);
}

bool readBool(const PropertyBag& bag, const QString& key, bool defaultValue)
{
    const auto v = bag.read(key);
    if (!v)
        return defaultValue;
    // A Boolean, a number (non-zero is true) or the words True and False; nothing else.
    if (v->typeId() == QMetaType::Bool)
        return v->toBool();
    bool isNumber = false;
    const double n = v->toDouble(&isNumber);
    if (isNumber && std::isfinite(n))
        return n != 0;
    const QString word = v->toString().trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    qCWarning(lcTemper) << "stored property" << key << "is not a Boolean - default used";
    return defaultValue;
}

QString readString(const PropertyBag& bag, const QString& key, const QString& defaultValue)
{
    const auto v = bag.read(key);
    return v ? v->toString() : defaultValue;
}

} // namespace

ctlTemper::ctlTemper(TemperEnvironment env) : env_(std::move(env))
{
    tmr_[0] = env_.timers.createSecondClock([this] { tmrTick(0); });
    env_.udp.setArrivalHandler([this](const Datagram& d) { onDatagram(d); });
    FillProvTable();
    prov_ = 0;
    SelectProv();
}

ctlTemper::~ctlTemper()
{
    env_.udp.setArrivalHandler({});
    for (auto& t : tmr_)
        t.reset();
}

void ctlTemper::changed(const QString& key)
{
    if (PropertyChanged)
        PropertyChanged(key);
}

// ---------------------------------------------------------------- provider groups

void ctlTemper::FillProvTable()
{
    auto table = tb::FillProvTable(env_.providerList);
    if (!table) {
        qCWarning(lcTemper) << "provider list is not usable - built-in hosts used";
        table = tb::FillProvTable(builtinProviderList());
    }
    table_ = *table;
}

ProvGroup* ctlTemper::selectedGroup()
{
    if (prov_ < 0 || prov_ >= kProvGroupCount)
        return nullptr;
    return &table_[static_cast<std::size_t>(prov_)];
}

void ctlTemper::SelectProv()
{
    const ProvGroup* g = selectedGroup();
    if (!g)
        throw ComponentError::subscriptOutOfRange();
    provName_ = g->Name;
    provIP_ = g->Hosts.join(QLatin1Char(','));
}

void ctlTemper::SplitProvIP()
{
    ProvGroup* g = selectedGroup();
    if (!g)
        return;
    QStringList parts;
    if (!provIP_.isEmpty())
        for (const QString& p : provIP_.split(QLatin1Char(',')))
            parts.append(p.trimmed());
    if (parts.size() > 32767)
        parts = parts.mid(0, 32767);
    g->Hosts = parts;
    g->HostCount = static_cast<qint16>(parts.size());
    if (g->CurHost >= g->HostCount)
        g->CurHost = 0;
}

void ctlTemper::setProv(int index)
{
    // An index outside the table is refused and the selection stays as it was, so the poll
    // cycle never addresses a group that does not exist.
    if (index < 0 || index >= kProvGroupCount)
        throw ComponentError::subscriptOutOfRange();
    prov_ = static_cast<qint16>(index);
    changed(QStringLiteral("Prov"));
    SelectProv();
}

void ctlTemper::setProvName(const QString&)
{
    throw ComponentError::readOnly(env_.designMode);
}

void ctlTemper::setProvIP(const QString& hosts)
{
    provIP_ = hosts;
    SplitProvIP();
    changed(QStringLiteral("ProvIP"));
}

void ctlTemper::setProvCount(int)
{
    throw ComponentError::readOnly(env_.designMode);
}

// ---------------------------------------------------------------- exchange properties

void ctlTemper::setStrZapros(const QString& word)
{
    const QString w = word.isEmpty() ? kDefaultZapros : word;
    // Built first: a word whose checksum overflows is refused and changes nothing.
    const QString line = buildZaprosLine(w);
    strZapros_ = w;
    zaprosLine_ = line;
    changed(QStringLiteral("strZapros"));
}

void ctlTemper::setProgId(const QString& id)
{
    if (id.isEmpty()) {
        progId_.clear();
    } else {
        const QChar last = id.back();
        if (last == QLatin1Char('='))
            return;
        progId_ = QString(last);
    }
    changed(QStringLiteral("ProgId"));
}

void ctlTemper::setStatIn(qint32 v)
{
    statIn_ = v;
    changed(QStringLiteral("StatIn"));
}

void ctlTemper::setStatOut(qint32 v)
{
    statOut_ = v;
    changed(QStringLiteral("StatOut"));
}

// ---------------------------------------------------------------- reading

void ctlTemper::setValTemper(double v)
{
    temperRaw_ = v;
    changed(QStringLiteral("valTemper"));
}

void ctlTemper::setValTemperPrev(double v)
{
    temperPrevRaw_ = v;
    changed(QStringLiteral("valTemperPrev"));
}

void ctlTemper::setValTime(DateTime t)
{
    valTime_ = t;
    changed(QStringLiteral("valTime"));
}

void ctlTemper::setTemperCor(double v)
{
    temperCor_ = v;
    SaveRegValue(QStringLiteral("TCorrect"), env_.regional.formatNumber(v));
    changed(QStringLiteral("TemperCor"));
}

void ctlTemper::setSave2Reg(bool on)
{
    save2Reg_ = on;
    changed(QStringLiteral("Save2Reg"));
}

// ---------------------------------------------------------------- poll period, version, age

void ctlTemper::setOprosTime(qint32 seconds)
{
    oprosTime_ = seconds;
    changed(QStringLiteral("OprosTime"));
}

void ctlTemper::setCheckVer(bool on)
{
    checkVer_ = on;
    changed(QStringLiteral("CheckVer"));
}

QString ctlTemper::DifTimeStr()
{
    difTimeStr_ = DifTimeText(valTime_, env_.clock.now());
    return difTimeStr_;
}

void ctlTemper::setDifTimeStr(const QString&)
{
    throw ComponentError::readOnly(env_.designMode);
}

void ctlTemper::setDifTimeEvent(bool on)
{
    difTimeEvent_ = on;
    changed(QStringLiteral("DifTimeEvent"));
}

void ctlTemper::setDifTimePeriod(qint32 ticks)
{
    difTimePeriod_ = ticks;
    changed(QStringLiteral("DifTimePeriod"));
}

void ctlTemper::setDifTimeDlit(qint32 ms)
{
    difTimeDlit_ = ms;
    changed(QStringLiteral("DifTimeDlit"));
}

// ---------------------------------------------------------------- creation and storage

void ctlTemper::restoreReading()
{
    LoadTemperReg();
    temperPrevRaw_ = temperRaw_;
    difTimeStr_ = DifTimeText(valTime_, env_.clock.now());
}

void ctlTemper::InitProperties()
{
    checkVer_ = true;
    prov_ = 0;
    SelectProv();
    oprosTime_ = 60;
    statIn_ = 0;
    statOut_ = 0;
    strZapros_ = kDefaultZapros;
    zaprosLine_ = buildZaprosLine(strZapros_);
    progId_.clear();
    difTimeEvent_ = true;
    difTimePeriod_ = 15;
    difTimeDlit_ = 1000;
    difTimeStr_.clear();
    provCount_ = kProvGroupCount;
    save2Reg_ = true;
    restoreReading();
}

void ctlTemper::ReadProperties(const PropertyBag& bag)
{
    // Stored values go straight into the fields, without the rules of the property writes.
    prov_ = readNumber<qint16>(bag, QStringLiteral("Prov"), 0, 0, kProvGroupCount - 1);
    const ProvGroup* g = selectedGroup();
    provName_ = readString(bag, QStringLiteral("ProvName"), g ? g->Name : QString());
    provIP_ = readString(bag, QStringLiteral("ProvIP"), provIP_);
    checkVer_ = readBool(bag, QStringLiteral("CheckVer"), true);
    oprosTime_ = readNumber<qint32>(bag, QStringLiteral("OprosTime"), 60, INT32_MIN, INT32_MAX);
    save2Reg_ = readBool(bag, QStringLiteral("Save2Reg"), true);

    restoreReading();

    statIn_ = readNumber<qint32>(bag, QStringLiteral("StatIn"), 0, INT32_MIN, INT32_MAX);
    statOut_ = readNumber<qint32>(bag, QStringLiteral("StatOut"), 0, INT32_MIN, INT32_MAX);
    strZapros_ = readString(bag, QStringLiteral("strZapros"), kDefaultZapros);
    progId_ = readString(bag, QStringLiteral("ProgId"), QString());
    difTimeEvent_ = readBool(bag, QStringLiteral("DifTimeEvent"), true);
    difTimePeriod_ = readNumber<qint32>(bag, QStringLiteral("DifTimePeriod"), 15, INT32_MIN, INT32_MAX);
    difTimeDlit_ = readNumber<qint32>(bag, QStringLiteral("DifTimeDlit"), 1000, INT32_MIN, INT32_MAX);
    difTimeStr_ = readString(bag, QStringLiteral("DifTimeStr"), difTimeStr_);
    provCount_ = readNumber<qint16>(bag, QStringLiteral("ProvCount"), kProvGroupCount, 1, kProvGroupCount);
}

void ctlTemper::WriteProperties(PropertyBag& bag) const
{
    const ProvGroup* g = prov_ >= 0 && prov_ < kProvGroupCount ? &table_[static_cast<std::size_t>(prov_)] : nullptr;
    bag.write(QStringLiteral("Prov"), int(prov_), 0);
    bag.write(QStringLiteral("ProvName"), provName_, g ? g->Name : QString());
    bag.write(QStringLiteral("ProvIP"), provIP_, provIP_);
    bag.write(QStringLiteral("CheckVer"), checkVer_, true);
    bag.write(QStringLiteral("OprosTime"), oprosTime_, 60);
    bag.write(QStringLiteral("TemperCor"), temperCor_, 0.0);
    bag.write(QStringLiteral("valTime"), valTime_.days(), defaultValTime().days());
    bag.write(QStringLiteral("valTemper"), temperRaw_, 0.0);
    bag.write(QStringLiteral("valTemperPrev"), temperPrevRaw_, 0.0);
    bag.write(QStringLiteral("StatIn"), statIn_, 0);
    bag.write(QStringLiteral("StatOut"), statOut_, 0);
    bag.write(QStringLiteral("strZapros"), strZapros_, kDefaultZapros);
    bag.write(QStringLiteral("ProgId"), progId_, QString());
    bag.write(QStringLiteral("DifTimeEvent"), difTimeEvent_, true);
    bag.write(QStringLiteral("DifTimePeriod"), difTimePeriod_, 15);
    bag.write(QStringLiteral("DifTimeDlit"), difTimeDlit_, 1000);
    bag.write(QStringLiteral("DifTimeStr"), difTimeStr_, QString());
    bag.write(QStringLiteral("ProvCount"), int(provCount_), int(kProvGroupCount));
    bag.write(QStringLiteral("Save2Reg"), save2Reg_, true);
}

} // namespace tb
