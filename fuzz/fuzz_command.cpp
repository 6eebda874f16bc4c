// Runs arbitrary text through the command box in both regional settings; nothing may crash,
// and a failed command never redraws.
#include "platform/Codepage.h"
#include "render/CommandInterpreter.h"

#include "FuzzSupport.h"

#include <cstdlib>

using namespace tb;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quietProgramLogs();
    const QString text = fromAnsi(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    for (const Regional& regional : {Regional::russian(), Regional::english()}) {
        OverlayStyle style;
        PicAdjust adjust;
        QString name, file;
        qint32 wnd = 0;
        int draws = 0;
        CommandInterpreter interpreter(CommandTarget{style, adjust, name, file, wnd, QStringLiteral("/p/"), [] {}, [&](bool) { ++draws; }},
                                       regional);
        CommandBox box([&](CommandBox& b) {
            const auto r = txtMsg_Change(b, interpreter);
            if (r == CommandInterpreter::Result::Failed && draws != 0)
                std::abort();
        });
        box.setText(text);
        if (text.size() >= 3 && !box.text().isEmpty())
            std::abort();
    }
    return 0;
}
