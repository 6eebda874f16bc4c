#pragma once

#include "platform/Regional.h"
#include "render/OverlayStyle.h"

#include <QString>

#include <functional>

namespace tb {

// What the commands act on besides the style: the picture, the add-on link and the redraw.
struct CommandTarget {
    OverlayStyle& style;
    PicAdjust& adjust;
    QString& sPicName;   // current picture, relative to the picture folder ("Winter\snow.png")
    QString& sPicFile;   // the picture folder followed by sPicName
    qint32& iOptWnd;     // handle of the add-on's box; below 1: no add-on
    QString picDir;      // the picture folder, ending in a separator
    std::function<void()> ChangeZapros;           // the request word follows the picture
    std::function<void(bool fChangePic)> DrawTemper; // redraw, reloading the picture when asked
    // The file of a picture name when more than one folder may hold it; picDir + the name when
    // not given.
    std::function<QString(const QString& sPicName)> pictureFile = {};
};

// Runs the short commands written into the command box: a two-character name ("A=", "F=",
// ...) and an argument. A command whose argument does not convert stops at that field: the
// fields before it keep their new values, nothing is redrawn, and one line is logged.
class CommandInterpreter {
public:
    CommandInterpreter(CommandTarget target, Regional regional) : t_(std::move(target)), regional_(std::move(regional)) {}

    // Outcome of one command, for the log and for tests.
    enum class Result { TooShort, Unknown, Done, Failed };
    Result run(const QString& command);

private:
    Result runA(const QString& whole);
    Result runP(const QString& arg);
    Result runSmallP(const QString& arg);
    Result runSingle(QStringView name, const QString& arg);

    CommandTarget t_;
    Regional regional_;
};

// The hidden text box the commands arrive in. Setting its text runs the change handler once
// per change; the handler empties the box before acting, which runs it once more with an
// empty text that it ignores.
class CommandBox {
public:
    explicit CommandBox(std::function<void(CommandBox&)> onChange) : onChange_(std::move(onChange)) {}
    const QString& text() const { return text_; }
    void setText(const QString& text)
    {
        if (text == text_)
            return;
        text_ = text;
        onChange_(*this);
    }

private:
    QString text_;
    std::function<void(CommandBox&)> onChange_;
};

// The change handler of the command box: a text of 3 or more characters is taken out of the
// box and run.
CommandInterpreter::Result txtMsg_Change(CommandBox& box, CommandInterpreter& interpreter);

} // namespace tb
