#pragma once

#include "Look.h"
#include "platform/Regional.h"

#include <QStringList>

namespace tb {

// The texts of the command channel that put a look on the indicator. Numbers are written the
// way its interpreter reads them: the font size with ".", the other fractional fields with the
// user's decimal separator (the indicator runs under the same user), whole numbers plain.
class LookCommands {
public:
    explicit LookCommands(Regional regional)
        : regional_(std::move(regional))
    {
    }

    // The 22 fields of an "A=" command without the "A=": what "Selected" of the skin list holds.
    QString argument(const Look& look) const;
    // "A=" + argument: the whole look at once.
    QString whole(const Look& look) const { return QStringLiteral("A=") + argument(look); }
    // "P=": the picture and its five adjustments.
    QString picture(const Look& look) const;
    // "p=": the five adjustments of the picture.
    QString adjustments(const Look& look) const;

    // What takes the indicator from `from` to `to`: nothing when they are equal; one command
    // per changed field for a few changes; "P=" for a new picture; "p=" for several picture
    // adjustments at once; "A=" when the picture and the style change together or more than
    // kMostSingles commands would be needed (one redraw instead of many).
    QStringList change(const Look& from, const Look& to) const;

    static constexpr int kMostSingles = 3;

private:
    QString number(double value) const { return regional_.formatNumber(value); }
    Regional regional_;
};

} // namespace tb
