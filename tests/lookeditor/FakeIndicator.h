#pragma once

#include "platform/fakes/FakeCommandChannel.h"
#include "render/CommandInterpreter.h"

namespace tb::test {

// The indicator's command box with its real interpreter, on the fake channel.
struct FakeIndicator {
    FakeIndicator(FakeCommandChannel& channel, qint32 handle, const Regional& regional)
        : channel_(channel)
        , interpreter(
              CommandTarget {style, adjust, sPicName, sPicFile, iOptWnd, QStringLiteral("/pics/"), {}, [this](bool) { ++draws; }},
              regional)
        , box([this](CommandBox& b) { txtMsg_Change(b, interpreter); })
    {
        channel.addRemote(handle, [this](const QString& text) { box.setText(text); });
    }
    // The liveness probe as the indicator makes it: the link survives only if the add-on answers
    // inside the send.
    bool probe()
    {
        const qint32 h = iOptWnd;
        iOptWnd = 0;
        channel_.setText(h, QStringLiteral("W=2"));
        return iOptWnd == h && h > 0;
    }

    FakeCommandChannel& channel_;
    OverlayStyle style;
    PicAdjust adjust;
    QString sPicName, sPicFile;
    qint32 iOptWnd = 0;
    int draws = 0;
    CommandInterpreter interpreter;
    CommandBox box;
};

} // namespace tb::test
