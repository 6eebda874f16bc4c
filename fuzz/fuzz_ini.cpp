// Parses arbitrary bytes as a skin INI file; every value read back is at most 254 characters
// and a section read twice gives the same answer.
#include "skinfiles/INI_Class.h"

#include <cstdlib>

using namespace tb;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto sections = INI_Class::parse(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    for (auto s = sections.cbegin(); s != sections.cend(); ++s) {
        if (s.key() != s.key().toLower())
            std::abort();
        for (auto k = s->cbegin(); k != s->cend(); ++k)
            if (k.key().isEmpty() || k.key() != k.key().trimmed().toLower())
                std::abort();
    }
    return 0;
}
