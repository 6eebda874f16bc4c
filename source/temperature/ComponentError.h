#pragma once

#include <QString>

#include <stdexcept>

namespace tb {

// The error numbers the temperature component raises to its callers.
enum ErrorNumber : int {
    kErrOverflow = 6,
    kErrSubscriptOutOfRange = 9,
    kErrNoSuchTimer = 340,            // the poll cycle was used before it was started
    kErrSetNotSupportedAtRunTime = 382,
    kErrSetNotPermitted = 387,
};

// An error raised by the component to its caller, carrying the error number and its text.
// It is the only exception type that leaves the component.
class ComponentError : public std::runtime_error {
public:
    ComponentError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description)
    {
    }
    int number() const { return number_; }
    const QString& description() const { return description_; }

    static ComponentError overflow() { return {kErrOverflow, QStringLiteral("Overflow")}; }
    static ComponentError subscriptOutOfRange() { return {kErrSubscriptOutOfRange, QStringLiteral("Subscript out of range")}; }
    static ComponentError readOnly(bool designMode)
    {
        return designMode ? ComponentError(kErrSetNotPermitted, QStringLiteral("Set not permitted"))
                          : ComponentError(kErrSetNotSupportedAtRunTime, QStringLiteral("Set not supported at run time"));
    }

private:
    int number_;
    QString description_;
};

} // namespace tb
