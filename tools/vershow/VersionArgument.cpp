#include "VersionArgument.h"

namespace tbvershow {

namespace {

bool allDigits(QStringView s)
{
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// A part of 1 to 5 digits (or, for the fraction, 0 to 5) whose value fits 0..32767.
bool validPart(QStringView s, bool mayBeEmpty)
{
    if (s.isEmpty())
        return mayBeEmpty;
    return s.size() <= 5 && allDigits(s) && s.toInt() <= 32767;
}

} // namespace

VersionArgument parseVersionArgument(const QStringList& arguments)
{
    VersionArgument r;
    if (arguments.isEmpty()) {
        r.problem = VersionArgument::Problem::Missing;
        return r;
    }
    if (arguments.size() > 1) {
        r.problem = VersionArgument::Problem::Extra;
        r.offending = arguments.mid(1).join(u' ');
        return r;
    }
    const QString& arg = arguments.front();
    r.offending = arg;
    if (arg.size() > kMaxArgumentLength) {
        r.problem = VersionArgument::Problem::TooLong;
        return r;
    }
    r.problem = VersionArgument::Problem::Malformed;
    if (arg.size() < 3 || arg[0] != u'/' || (arg[1] != u'v' && arg[1] != u'V'))
        return r;
    QStringView version = QStringView(arg).mid(2).trimmed();
    if (version.startsWith(u'+'))
        version = version.mid(1);
    qsizetype point = version.indexOf(u'.');
    if (point < 0)
        point = version.indexOf(u',');
    const QStringView whole = point < 0 ? version : version.left(point);
    const QStringView fraction = point < 0 ? QStringView() : version.mid(point + 1);
    if (!validPart(whole, false) || !validPart(fraction, true))
        return r;
    r.problem = VersionArgument::Problem::None;
    r.version = QString::number(whole.toInt());
    if (!fraction.isEmpty())
        r.version += u'.' + fraction.toString();
    return r;
}

} // namespace tbvershow
