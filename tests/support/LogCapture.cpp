#include "LogCapture.h"

#include <QMutexLocker>

#include <cstring>

namespace tb::test {

namespace {

LogCapture* current = nullptr;

// QtInfoMsg comes last in the enumeration but lies between debug and warning.
int severity(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return 0;
    case QtInfoMsg:
        return 1;
    case QtWarningMsg:
        return 2;
    case QtCriticalMsg:
        return 3;
    case QtFatalMsg:
        return 4;
    }
    return 4;
}

} // namespace

LogCapture::LogCapture(const char* category, QtMsgType least)
    : category_(category)
    , least_(least)
    , outer_(current)
{
    current = this;
    previous_ = qInstallMessageHandler(&LogCapture::handle);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previous_);
    current = outer_;
}

void LogCapture::handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    LogCapture* self = current;
    if (!self || severity(type) < severity(self->least_))
        return;
    const char* category = context.category ? context.category : "default";
    if (self->category_ && std::strcmp(category, self->category_) != 0)
        return;
    const QMutexLocker lock(&self->mutex_);
    self->texts_ << text;
    self->lines_ << QLatin1String(category) + QLatin1String(": ") + text;
}

QStringList LogCapture::texts() const
{
    const QMutexLocker lock(&mutex_);
    return texts_;
}

QStringList LogCapture::lines() const
{
    const QMutexLocker lock(&mutex_);
    return lines_;
}

void LogCapture::clear()
{
    const QMutexLocker lock(&mutex_);
    texts_.clear();
    lines_.clear();
}

} // namespace tb::test
