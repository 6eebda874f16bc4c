#pragma once

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

namespace tb::test {

// Keeps the log messages of one category (or of every category) while it lives, instead of
// printing them; the handler before it is back afterwards. Captures may nest: the innermost one
// takes the messages.
class LogCapture {
public:
    // `category`: the category's name, nullptr for every category. `least`: the least severe
    // kind kept, in the order debug, info, warning, critical.
    explicit LogCapture(const char* category = nullptr, QtMsgType least = QtDebugMsg);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The messages' texts, in the order they came.
    QStringList texts() const;
    // The messages as "category: text".
    QStringList lines() const;
    void clear();

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    const char* category_;
    QtMsgType least_;
    QtMessageHandler previous_;
    LogCapture* outer_;
    mutable QMutex mutex_; // messages may come from other threads
    QStringList texts_, lines_;
};

} // namespace tb::test
