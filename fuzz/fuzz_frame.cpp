// Cuts arbitrary bytes into command channel frames, whole and in pieces of varying size. Both
// ways must give the same texts and the same end; each text fits a frame, encodes back to
// exactly the bytes it was cut from, and survives the code page; a malformed stream stays so.
#include "platform/Codepage.h"
#include "platform/CommandFrame.h"

#include "FuzzSupport.h"

#include <cstdlib>
#include <vector>

using namespace tb;

namespace {

struct Cut {
    std::vector<QByteArray> texts;
    CommandFrameReader::Next end = CommandFrameReader::Next::NeedMore;
};

void drain(CommandFrameReader& reader, Cut& cut)
{
    QByteArray text;
    while ((cut.end = reader.next(text)) == CommandFrameReader::Next::Frame)
        cut.texts.push_back(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quietProgramLogs();
    if (size == 0)
        return 0;
    // The first byte sets the piece sizes, the rest is the stream.
    const unsigned step = data[0] % 13 + 1;
    const QByteArrayView stream(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));

    Cut whole;
    CommandFrameReader all;
    all.append(stream);
    drain(all, whole);

    Cut pieces;
    CommandFrameReader reader;
    for (qsizetype at = 0, n = step; at < stream.size(); at += n, n = n % 29 + step) {
        reader.append(stream.sliced(at, std::min(n, stream.size() - at)));
        drain(reader, pieces);
        if (pieces.end == CommandFrameReader::Next::Malformed)
            break;
    }
    if (pieces.texts != whole.texts || pieces.end != whole.end)
        std::abort();

    QByteArray consumed;
    for (const QByteArray& text : whole.texts) {
        const auto frame = encodeFrame(text);
        if (!frame || text.size() > kMaxFrameText || toAnsi(fromAnsi(text)) != text)
            std::abort();
        consumed += *frame;
    }
    if (!stream.startsWith(consumed))
        std::abort();
    if (whole.end == CommandFrameReader::Next::NeedMore && all.pending() != stream.size() - consumed.size())
        std::abort();
    if (whole.end == CommandFrameReader::Next::Malformed) {
        all.append("\0\0\0\0");
        QByteArray text;
        if (all.next(text) != CommandFrameReader::Next::Malformed)
            std::abort();
    }
    return 0;
}
