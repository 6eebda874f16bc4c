#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLoggingCategory>

#include <optional>

namespace tb {

Q_DECLARE_LOGGING_CATEGORY(lcIpc)

// The most text bytes one frame of the command channel carries.
inline constexpr qsizetype kMaxFrameText = 65536;
// The byte a receiver answers once it has set the text and run the change handler.
inline constexpr char kFrameAck = '\x06';

// One text of the command channel on the wire: its length as 4 bytes in network byte order,
// then the text's bytes. Nothing when the text is longer than kMaxFrameText.
std::optional<QByteArray> encodeFrame(QByteArrayView text);

// Cuts the bytes that arrive on one connection into the texts of its frames. A length above
// kMaxFrameText makes the stream malformed for good: the connection must be closed.
class CommandFrameReader {
public:
    enum class Next { Frame, NeedMore, Malformed };

    // Adds bytes as they were read.
    void append(QByteArrayView bytes);
    // Takes the next whole frame's text out of what was read.
    Next next(QByteArray& text);
    // Bytes read that do not make a whole frame yet.
    qsizetype pending() const { return buffer_.size() - start_; }

private:
    QByteArray buffer_;
    qsizetype start_ = 0;
    bool malformed_ = false;
};

} // namespace tb
