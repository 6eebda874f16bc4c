#include "app/AddonLink.h"

#include "app/TemperatureText.h"
#include "platform/CommandFrame.h"

#include <QCoreApplication>

namespace tb {

bool AddonLink::attach(AddonLinkTarget target)
{
    target_.emplace(std::move(target));
    endpoint_ = env_.channel.open([this](const QString& text) { received(text); });
    if (!endpoint_) {
        qCWarning(lcIpc) << "the command box has no endpoint: the look editor and scripts cannot reach the indicator";
        return false;
    }
    qCInfo(lcIpc) << "command box listening as endpoint" << endpoint_->handle();
    return true;
}

bool AddonLink::publish(const QString& name)
{
    return endpoint_ && env_.channel.publish(*endpoint_, name);
}

void AddonLink::received(const QString& text)
{
    qint32& wnd = target_->iOptWnd;
    const bool wasLinked = wnd >= 1;
    target_->txtMsg.setText(text);
    if (!wasLinked && wnd >= 1) {
        if (started_)
            qCInfo(lcIpc) << "the look editor announced its box" << wnd << "- linked";
        started_ = false;
    } else if (wasLinked && wnd < 1) {
        qCInfo(lcIpc) << "the look editor ended the link";
    }
}

void AddonLink::RunOptDll()
{
    if (!target_)
        return;
    const QString path = target_->AppDir + QStringLiteral("ThermoBadgeOpt.dll");
    if (!env_.launcher.isRegularFile(path)) {
        env_.messages.show(MessageBoxes::Icon::Critical, QCoreApplication::translate("AddonLink", "Ошибка..."),
            QCoreApplication::translate("AddonLink", "Не найден модуль: \r\n") + path);
        return;
    }
    if (!endpoint_)
        qCWarning(lcIpc) << "the look editor is started without a box to write into: it cannot link";
    // One argument, however many blanks the folder or the temperature text holds.
    const QString argument = QString::number(boxHandle()) + u'|' + GetTemperFormat(target_->dTemper(), 6);
    if (!env_.launcher.startDetached(path, {argument})) {
        qCWarning(lcIpc).noquote() << "the look editor" << path << "could not be started";
        return;
    }
    started_ = true;
    qCInfo(lcIpc).noquote() << "started the look editor" << path << argument << "- linked once it announces its box";
}

qint32 AddonLink::CheckOptDll()
{
    if (!target_)
        return 0;
    qint32& wnd = target_->iOptWnd;
    if (wnd < 1) {
        wnd = 0; // "W=" with a negative number links nothing either
        return 0;
    }
    const qint32 h = wnd;
    wnd = 0;
    // A live add-on answers while the text is delivered, setting wnd again.
    SendTextAbs(QStringLiteral("W=2"), h);
    if (wnd == 0)
        qCInfo(lcIpc) << "the look editor at" << h << "did not answer the probe - link dropped";
    return wnd;
}

void AddonLink::SendText(const QString& sStr)
{
    if (!target_ || target_->iOptWnd < 1)
        return;
    const qint32 h = target_->iOptWnd;
    // An add-on that ended without notice is unlinked now rather than at the next probe.
    if (!SendTextAbs(sStr, h) && target_->iOptWnd == h) {
        qCInfo(lcIpc) << "the look editor at" << h << "is gone - link dropped";
        target_->iOptWnd = 0;
    }
}

bool AddonLink::SendTextAbs(const QString& sStr, qint32 iWnd)
{
    qCDebug(lcIpc) << "to" << iWnd << ":" << sStr;
    return env_.channel.setText(iWnd, sStr);
}

void AddonLink::closeAddon()
{
    SendText(QStringLiteral("W=0"));
    if (target_)
        target_->iOptWnd = 0;
    started_ = false;
}

AddonLink::State AddonLink::state() const
{
    if (target_ && target_->iOptWnd >= 1)
        return State::Linked;
    return started_ ? State::Started : State::NotLinked;
}

} // namespace tb
