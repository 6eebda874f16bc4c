#pragma once

#include "platform/Clock.h"
#include "platform/DateTime.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessLauncher.h"
#include "platform/PropertyBag.h"
#include "platform/Regional.h"
#include "platform/RegistryStore.h"
#include "platform/Timer.h"
#include "platform/UdpPort.h"
#include "temperature/ProviderTable.h"

#include <QSet>
#include <QString>

#include <array>
#include <functional>
#include <memory>

namespace tb {

// What the temperature component needs from the world around it.
struct TemperEnvironment {
    Clock& clock;
    TimerFactory& timers;
    UdpPort& udp;
    RegistryStore& registry;
    MessageBoxes& messages;
    ProcessLauncher& processes;
    Regional regional = Regional::system();
    QString programDir;                          // the running program's folder
    int programMajor = 0;                        // the running program's version
    int programMinor = 0;
    QStringList providerList = builtinProviderList(); // flat list of the two provider groups
    quint16 serverPort = 25002;                  // the servers' UDP port (another one only in tests)
    bool designMode = false;                     // read-only properties refuse with 387, else 382
};

// The temperature source: polls a temperature server over UDP with host failover, parses its
// replies into a reading with the user's correction, keeps the reading in the registry,
// tells the age of the reading and asks for the newest program version once an hour.
//
// Lifecycle: construct (the provider table is built and group 0 selected), then either
// InitProperties() for a new instance or ReadProperties() from stored ones, then set the
// run-time properties and call BeginStart(). Everything runs on the caller's thread.
// Errors reach the caller as ComponentError; nothing else is thrown.
class ctlTemper {
public:
    explicit ctlTemper(TemperEnvironment env);
    ~ctlTemper();
    ctlTemper(const ctlTemper&) = delete;
    ctlTemper& operator=(const ctlTemper&) = delete;

    // --- creation and the container's property store
    void InitProperties();
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // --- poll cycle
    void BeginStart();
    void BeginStop();
    void Opros();
    bool IsMsWs() const { return true; }

    // --- provider groups
    qint16 Prov() const { return prov_; }
    void setProv(int index);
    QString ProvName() const { return provName_; }
    void setProvName(const QString& name);
    QString ProvIP() const { return provIP_; }
    void setProvIP(const QString& hosts);
    qint16 ProvCount() const { return provCount_; }
    void setProvCount(int count);

    // --- exchange
    QString strZapros() const { return strZapros_; }
    void setStrZapros(const QString& word);
    QString ZaprosLine() const { return zaprosLine_; }
    QString ProgId() const { return progId_; }
    void setProgId(const QString& id);
    qint32 StatIn() const { return statIn_; }
    void setStatIn(qint32 v);
    qint32 StatOut() const { return statOut_; }
    void setStatOut(qint32 v);
    // Datagrams refused because they did not come from port 25002 of a host asked before.
    qint64 StatRejected() const { return statRejected_; }

    // --- reading
    double valTemper() const { return temperRaw_ + temperCor_; }
    void setValTemper(double v);
    double valTemperPrev() const { return temperPrevRaw_ + temperCor_; }
    void setValTemperPrev(double v);
    DateTime valTime() const { return valTime_; }
    void setValTime(DateTime t);
    double TemperCor() const { return temperCor_; }
    void setTemperCor(double v);
    bool Save2Reg() const { return save2Reg_; }
    void setSave2Reg(bool on);

    // --- poll period and version check
    qint32 OprosTime() const { return oprosTime_; }
    void setOprosTime(qint32 seconds);
    DateTime LastOprosTime() const { return lastOprosTime_; }
    bool CheckVer() const { return checkVer_; }
    void setCheckVer(bool on);
    DateTime LastVerTime() const { return lastVerTime_; }
    QString AppPathSlash() const { return appPathSlash_; }

    // --- reading age
    QString DifTimeStr();
    void setDifTimeStr(const QString& text);
    bool DifTimeEvent() const { return difTimeEvent_; }
    void setDifTimeEvent(bool on);
    qint32 DifTimePeriod() const { return difTimePeriod_; }
    void setDifTimePeriod(qint32 ticks);
    qint32 DifTimeDlit() const { return difTimeDlit_; }
    void setDifTimeDlit(qint32 ms);
    qint16 DifTimeTicks() const { return difTimeTicks_; }

    // --- state for the host and for tests
    const ProvTable& providerTable() const { return table_; }
    bool TmrLoaded(int index) const { return index >= 1 && index <= 3 && tmrLoaded_[index]; }
    // The timer with that index, or nullptr when it does not exist now.
    const Timer* tmr(int index) const { return index >= 0 && index <= 3 ? tmr_[index].get() : nullptr; }
    bool isStarted() const { return tmrLoaded_[1]; }

    // --- events
    std::function<void(double temperature, DateTime time)> TemperReceive;
    std::function<void(bool show)> DifTimeSet;
    // The container must save the stored properties again; the argument is the property's key.
    std::function<void(const QString& key)> PropertyChanged;

    // The registry key the reading is kept under (current user).
    static QString registryKey() { return QStringLiteral("Software\\CtlTemper"); }

private:
    // creation
    void FillProvTable();
    void SelectProv();
    void SplitProvIP();
    ProvGroup* selectedGroup();
    void restoreReading();

    // reading store
    void LoadTemperReg();
    void SaveTemperReg();
    QString GetRegValue(const QString& name, const QString& defaultText) const;
    void SaveRegValue(const QString& name, const QString& text);
    void acceptReading();

    // exchange
    void SendZapros(const QString& line);
    void onDatagram(const Datagram& d);
    bool fromAskedHost(const Datagram& d) const;
    void handleVersionReply(const QString& text);
    void handleTemperatureReply(const QString& text);
    void checkVersionDue();
    void AskVersion();
    void RunVerShow(const QString& replyText);

    // timers
    void tmrTick(int index);
    void destroyTimer(int index);
    void changed(const QString& key);

    TemperEnvironment env_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);

    ProvTable table_;
    qint16 prov_ = 0;
    QString provName_;
    QString provIP_;
    qint16 provCount_ = kProvGroupCount;

    QString strZapros_ = QStringLiteral("$vox");
    QString zaprosLine_;
    QString progId_;
    qint32 statIn_ = 0;
    qint32 statOut_ = 0;
    qint64 statRejected_ = 0;
    QStringList askedAddresses_; // numeric addresses requests went to, newest last

    double temperRaw_ = 0;
    double temperPrevRaw_ = 0;
    DateTime valTime_;
    double temperCor_ = 0;
    bool save2Reg_ = true;
    // The reading as last written to the registry, and when; whether a newer one waits.
    QString savedTemper_;
    QString savedTime_;
    DateTime lastSaveTime_;
    int savesThisSecond_ = 0;
    bool saveDue_ = false;

    qint32 oprosTime_ = 60;
    DateTime lastOprosTime_;
    bool checkVer_ = true;
    DateTime lastVerTime_;
    QString appPathSlash_;

    bool difTimeEvent_ = true;
    qint32 difTimePeriod_ = 15;
    qint32 difTimeDlit_ = 1000;
    QString difTimeStr_;
    qint16 difTimeTicks_ = 0;

    std::array<std::unique_ptr<Timer>, 4> tmr_;
    std::array<bool, 4> tmrLoaded_{}; // indices 1 to 3 are used
};

} // namespace tb
