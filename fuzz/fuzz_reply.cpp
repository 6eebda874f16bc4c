// Feeds arbitrary datagrams to a started temperature component on fakes, in both regional
// settings, and checks what must hold for any input.
#include "platform/MemoryRegistryStore.h"
#include "platform/fakes/FakeClock.h"
#include "platform/fakes/FakeUdpPort.h"
#include "platform/fakes/RecordingMessageBoxes.h"
#include "platform/fakes/RecordingProcessLauncher.h"
#include "temperature/Exchange.h"
#include "temperature/ctlTemper.h"

#include "FuzzSupport.h"

#include <cmath>
#include <cstdlib>

using namespace tb;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quietProgramLogs();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // The pure parsers on their own.
    const QString text = QString::fromLatin1(bytes);
    (void)parseVersionReply(text);
    (void)LenientVal(text);
    for (const Regional& r : {Regional::russian(), Regional::english()}) {
        (void)r.parseNumber(text);
        (void)r.parseDateTime(text);
        if (const auto reply = parseTemperatureReply(text, r); reply && !std::isfinite(reply->temperature))
            std::abort();
    }

    // The same bytes as a datagram from the asked host.
    FakeClock clock;
    FakeUdpPort udp(&clock);
    MemoryRegistryStore registry;
    RecordingMessageBoxes boxes;
    RecordingProcessLauncher processes;
    processes.files.insert(QStringLiteral("/opt/tb/VerShow.dll"));
    ctlTemper t(TemperEnvironment{clock, clock, udp, registry, boxes, processes, Regional::russian(), QStringLiteral("/opt/tb"), 1, 4});
    t.InitProperties();
    t.setProvIP(QStringLiteral("127.0.0.1,127.0.0.2"));
    int readings = 0;
    t.TemperReceive = [&](double v, DateTime) {
        if (!std::isfinite(v))
            std::abort();
        ++readings;
    };
    t.BeginStart();
    udp.inject(bytes, QStringLiteral("127.0.0.1"), 25002);
    if (t.StatIn() != 1)
        std::abort();
    if (readings > 0 && (size < 18 || size > 30))
        std::abort();
    if (!processes.attempts.empty() && (size < 1 || size > 5))
        std::abort();
    for (const auto& p : processes.attempts)
        if (p.arguments.size() != 1 || !p.arguments[0].startsWith(QStringLiteral("/v")))
            std::abort();
    return 0;
}
