#include "platform/CommandFrame.h"

#include <QtEndian>

namespace tb {

Q_LOGGING_CATEGORY(lcIpc, "thermobadge.ipc", QtWarningMsg)

std::optional<QByteArray> encodeFrame(QByteArrayView text)
{
    if (text.size() > kMaxFrameText)
        return std::nullopt;
    QByteArray frame(4 + text.size(), Qt::Uninitialized);
    qToBigEndian(static_cast<quint32>(text.size()), frame.data());
    std::copy(text.begin(), text.end(), frame.begin() + 4);
    return frame;
}

void CommandFrameReader::append(QByteArrayView bytes)
{
    if (malformed_)
        return;
    // Bytes already taken out are dropped before the buffer grows, so it never holds more
    // than one unread frame plus what the last read brought.
    if (start_ > 0 && start_ >= buffer_.size() / 2) {
        buffer_.remove(0, start_);
        start_ = 0;
    }
    buffer_.append(bytes.data(), bytes.size());
}

CommandFrameReader::Next CommandFrameReader::next(QByteArray& text)
{
    if (malformed_)
        return Next::Malformed;
    if (pending() < 4)
        return Next::NeedMore;
    const quint32 length = qFromBigEndian<quint32>(buffer_.constData() + start_);
    if (length > static_cast<quint32>(kMaxFrameText)) {
        malformed_ = true;
        buffer_.clear();
        start_ = 0;
        return Next::Malformed;
    }
    if (pending() - 4 < static_cast<qsizetype>(length))
        return Next::NeedMore;
    text = buffer_.mid(start_ + 4, length);
    start_ += 4 + length;
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    return Next::Frame;
}

} // namespace tb
