#include "FixedSource.h"

namespace tbserver {

FixedSource::FixedSource(double celsius, Now now)
    : celsius_(celsius)
    , now_(std::move(now))
{
}

SourceState FixedSource::state()
{
    return {Reading{celsius_, now_()}, {}};
}

QString FixedSource::describe() const
{
    return QStringLiteral("fixed temperature %1").arg(celsius_);
}

} // namespace tbserver
