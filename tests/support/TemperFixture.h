#pragma once

#include "QtPrinters.h"
#include "platform/Codepage.h"
#include "platform/MemoryRegistryStore.h"
#include "platform/fakes/FakeClock.h"
#include "platform/fakes/FakeUdpPort.h"
#include "platform/fakes/RecordingMessageBoxes.h"
#include "platform/fakes/RecordingProcessLauncher.h"
#include "temperature/ComponentError.h"
#include "temperature/ctlTemper.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tb::test {

// A temperature component on fakes: virtual time, a recording UDP port, an in-memory
// registry, recorded message boxes and program starts. Russian regional settings.
class TemperFixture : public ::testing::Test {
protected:
    FakeClock clock{DateTime::of(2024, 3, 1, 10, 0, 0)};
    FakeUdpPort udp{&clock};
    MemoryRegistryStore registry;
    RecordingMessageBoxes boxes;
    RecordingProcessLauncher processes;
    Regional regional = Regional::russian();

    struct Received {
        double temperature;
        DateTime time;
    };
    std::vector<Received> received;
    std::vector<bool> difTimeSet;
    QStringList changedKeys;

    TemperEnvironment env()
    {
        return TemperEnvironment{clock, clock, udp, registry, boxes, processes, regional, QStringLiteral("/opt/tb"), 1, 4};
    }

    // A new component, created as a new instance, with its events recorded.
    std::unique_ptr<ctlTemper> make(TemperEnvironment e)
    {
        auto t = std::make_unique<ctlTemper>(std::move(e));
        t->InitProperties();
        t->TemperReceive = [this](double v, DateTime when) { received.push_back({v, when}); };
        t->DifTimeSet = [this](bool on) { difTimeSet.push_back(on); };
        t->PropertyChanged = [this](const QString& key) { changedKeys.append(key); };
        return t;
    }
    std::unique_ptr<ctlTemper> make() { return make(env()); }

    // A component polling the given hosts of group 0, started.
    std::unique_ptr<ctlTemper> started(const QString& hosts, int oprosTime = 20)
    {
        auto t = make();
        t->setProvIP(hosts);
        t->setOprosTime(oprosTime);
        t->BeginStart();
        return t;
    }

    void reply(const QByteArray& bytes, const QString& from = QStringLiteral("127.0.0.1"), quint16 port = 25002)
    {
        udp.inject(bytes, from, port);
    }
    void reply(const QString& text, const QString& from = QStringLiteral("127.0.0.1"))
    {
        udp.inject(toAnsi(text), from, 25002);
    }

    // Hosts the temperature requests (not version requests) went to, in order.
    QStringList requestedHosts() const
    {
        QStringList out;
        for (const auto& s : udp.sent)
            if (s.data.startsWith("tx"))
                out.append(s.host);
        return out;
    }
    int versionRequests() const
    {
        int n = 0;
        for (const auto& s : udp.sent)
            n += s.data.startsWith('v') ? 1 : 0;
        return n;
    }
    QString registryText(const QString& name) const
    {
        const auto v = registry.value(RegRoot::CurrentUser, ctlTemper::registryKey(), name);
        return v ? v->text : QStringLiteral("<missing>");
    }
};

} // namespace tb::test
