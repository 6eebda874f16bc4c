// Parses arbitrary text as a providers file; an accepted list must build two usable groups.
#include "temperature/ProviderTable.h"

#include <cstdlib>

using namespace tb;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto list = parseProvidersText(QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!list)
        return 0;
    const auto table = FillProvTable(*list);
    if (!table)
        std::abort();
    for (const ProvGroup& g : *table)
        if (g.HostCount < 1 || g.Hosts.size() != g.HostCount || g.Name.isEmpty())
            std::abort();
    return 0;
}
