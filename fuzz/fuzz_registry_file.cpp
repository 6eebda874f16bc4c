// Parses arbitrary bytes as a registry file; what was read must survive a write and a
// second read unchanged.
#include "platform/FileRegistryStore.h"

#include "FuzzSupport.h"

#include <cstdlib>

using namespace tb;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quietProgramLogs();
    const auto keys = FileRegistryStore::parse(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const QByteArray written = FileRegistryStore::serialize(keys);
    const auto again = FileRegistryStore::parse(written);
    if (again.size() != keys.size())
        std::abort();
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (again[i].path != keys[i].path || again[i].entries.size() != keys[i].entries.size())
            std::abort();
        for (qsizetype j = 0; j < keys[i].entries.size(); ++j)
            if (!(again[i].entries[j].value == keys[i].entries[j].value) ||
                again[i].entries[j].name != keys[i].entries[j].name)
                std::abort();
    }
    return 0;
}
