#include "AnswerPolicy.h"

#include <algorithm>

namespace tbserver {

AnswerPolicy::AnswerPolicy(int every, bool silent)
    : every_(std::max(every, 1))
    , silent_(silent)
{
}

AnswerPolicy::Decision AnswerPolicy::temperatureRequest()
{
    if (silent_)
        return {false, QStringLiteral("silent host")};
    count_ = count_ % every_ + 1;
    if (count_ < every_)
        return {false, QStringLiteral("only every %1-th request is answered (this is %2 of %1)").arg(every_).arg(count_)};
    return {};
}

AnswerPolicy::Decision AnswerPolicy::versionRequest() const
{
    if (silent_)
        return {false, QStringLiteral("silent host")};
    return {};
}

} // namespace tbserver
