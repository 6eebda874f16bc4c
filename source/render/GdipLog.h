#pragma once

#include "platform/Clock.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>

namespace tb {

// Status numbers of the drawing steps. They follow GDI+'s numbering, so the error list reads
// the same as it always has (14 is still "font family not found").
namespace gdip {
enum Status : std::int32_t {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
    ProfileNotFound = 21,
};
} // namespace gdip

// The error list window, seen from the drawing code.
class ErrorListSink {
public:
    virtual ~ErrorListSink() = default;
    // Brings the list up (every time) and appends the line when its "log errors" box is ticked.
    virtual void showAndMaybeAppend(const QString& line) = 0;
};

// The stage code and status check of the overlay drawing. Each failed status becomes one line
// "d.mm.yyyy h:nn:ss ==> Error=00-014 (ErrReturn=14)" + CR LF, handed to the error list and
// also written to the standard error log (category thermobadge.render).
class GdipLog {
public:
    explicit GdipLog(const Clock& clock, ErrorListSink* sink = nullptr)
        : clock_(clock)
        , sink_(sink)
    {
    }

    // The error list the lines go to; null sends them to the standard error log only.
    void setSink(ErrorListSink* sink) { sink_ = sink; }

    // The stage the drawing is in. Starts at 0 and is never reset, so a failure outside the
    // stage sequence shows the last stage of an earlier drawing.
    qint16 GdipStage() const { return stage_; }
    void setGdipStage(qint16 stage) { stage_ = stage; }

    // Logs a non-zero status; returns the status unchanged so it can be tested in place.
    // `reason` goes to the standard error log only, never into the error list.
    std::int32_t GdipCheck(std::int32_t status, const char* reason = nullptr);
    // Writes one line for the status at the current stage.
    void GdipLogError(std::int32_t status, const char* reason = nullptr);

    // The line for a failure at the given time, stage and status, CR LF included.
    static QString formatLine(DateTime when, qint16 stage, std::int32_t status);

private:
    const Clock& clock_;
    ErrorListSink* sink_;
    qint16 stage_ = 0;
};

} // namespace tb
