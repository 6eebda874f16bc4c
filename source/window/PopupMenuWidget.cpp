#include "window/PopupMenuWidget.h"

#include "app/TemperatureText.h"

#include <QActionGroup>
#include <QCoreApplication>

namespace tb {

namespace {

// One check mark at a time; none is allowed (a stored format outside the menu checks none).
QActionGroup* radioGroup(QObject* parent)
{
    auto* group = new QActionGroup(parent);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    return group;
}

} // namespace

PopupMenuWidget::PopupMenuWidget()
{
    mnuPopUp_.setObjectName(QStringLiteral("mnuPopUp"));
    mnuPopUp_.setTitle(QStringLiteral("Menu"));
    QObject::connect(&mnuPopUp_, &QMenu::aboutToShow, [this] {
        if (onAboutToShow)
            onAboutToShow();
    });

    mnuShow_ = command(mnuPopUp_, "mnuShow", QCoreApplication::translate("PopupMenuWidget", "Скрыть"), MenuItem::Show);
    mnuTop_ = command(mnuPopUp_, "mnuTop", QCoreApplication::translate("PopupMenuWidget", "Впереди"), MenuItem::Top, 0, true);

    mnuIndM_.setTitle(QCoreApplication::translate("PopupMenuWidget", "Инд-р t°"));
    mnuIndM_.setObjectName(QStringLiteral("mnuIndM"));
    mnuPopUp_.addMenu(&mnuIndM_);
    mnuInd_
        = command(mnuIndM_, "mnuInd", QCoreApplication::translate("PopupMenuWidget", "Задействовать"), MenuItem::Ind, 0, true);
    mnuIndM_.addSeparator()->setObjectName(QStringLiteral("l0"));
    mnuIndPosM_.setTitle(QCoreApplication::translate("PopupMenuWidget", "Положение"));
    mnuIndPosM_.setObjectName(QStringLiteral("mnuIndPosM"));
    mnuIndM_.addMenu(&mnuIndPosM_);
    mnuIndSizeM_.setTitle(QCoreApplication::translate("PopupMenuWidget", "Размер"));
    mnuIndSizeM_.setObjectName(QStringLiteral("mnuIndSizeM"));
    mnuIndM_.addMenu(&mnuIndSizeM_);
    QActionGroup* positions = radioGroup(&mnuIndPosM_);
    QActionGroup* sizes = radioGroup(&mnuIndSizeM_);
    for (int i = 0; i < 6; ++i) {
        const auto at = static_cast<std::size_t>(i);
        mnuIndPos_[at] = command(mnuIndPosM_, "mnuIndPos",
            QCoreApplication::translate("PopupMenuWidget", kIndPosCaptions[i].toUtf8().constData()), MenuItem::IndPos, i, true);
        positions->addAction(mnuIndPos_[at]);
        mnuIndSize_[at] = command(mnuIndSizeM_, "mnuIndSize", kIndSizeCaptions[i], MenuItem::IndSize, i, true);
        sizes->addAction(mnuIndSize_[at]);
    }

    mnuPopUp_.addSeparator()->setObjectName(QStringLiteral("l1"));
    mnuSelectSkin_ = command(
        mnuPopUp_, "mnuSelectSkin", QCoreApplication::translate("PopupMenuWidget", "Вид"), MenuItem::SelectSkin, 0, true);
    mnuFmtM_.setTitle(QCoreApplication::translate("PopupMenuWidget", "Формат"));
    mnuFmtM_.setObjectName(QStringLiteral("mnuFmtM"));
    mnuPopUp_.addMenu(&mnuFmtM_);
    QActionGroup* formats = radioGroup(&mnuFmtM_);
    for (int i = 0; i < kTemperFormatCount; ++i) {
        mnuFormat_[static_cast<std::size_t>(i)] = command(mnuFmtM_, "mnuFormat", QString(), MenuItem::Format, i, true);
        formats->addAction(mnuFormat_[static_cast<std::size_t>(i)]);
    }

    mnuPopUp_.addSeparator()->setObjectName(QStringLiteral("l2"));
    command(mnuPopUp_, "mnuScale", QCoreApplication::translate("PopupMenuWidget", "Масштаб"), MenuItem::Scale);
    command(mnuPopUp_, "mnuTrans", QCoreApplication::translate("PopupMenuWidget", "Прозрачность"), MenuItem::Trans);
    command(mnuPopUp_, "mnuOptions", QCoreApplication::translate("PopupMenuWidget", "Настройки"), MenuItem::Options);
    command(mnuPopUp_, "mnuTown", QCoreApplication::translate("PopupMenuWidget", "Город..."), MenuItem::Town);
    mnuPopUp_.addSeparator()->setObjectName(QStringLiteral("l3"));
    command(mnuPopUp_, "mnuAbout", QCoreApplication::translate("PopupMenuWidget", "О программе"), MenuItem::About);
    command(mnuPopUp_, "mnuExit", QCoreApplication::translate("PopupMenuWidget", "E&xit"), MenuItem::Exit);
}

QAction* PopupMenuWidget::command(QMenu& parent, const char* name, const QString& caption, MenuItem item, int index, bool checkable)
{
    QAction* a = parent.addAction(caption);
    const bool indexed = item == MenuItem::IndPos || item == MenuItem::IndSize || item == MenuItem::Format;
    a->setObjectName(indexed ? QLatin1String(name) + QString::number(index) : QLatin1String(name));
    a->setCheckable(checkable);
    // Qt flips a check item's mark before the handler runs; the handler's new state puts the
    // marks right again (setState), so a refused change leaves no wrong mark behind.
    QObject::connect(a, &QAction::triggered, a, [this, item, index] {
        if (onCommand)
            onCommand(item, index);
    });
    return a;
}

void PopupMenuWidget::popupAt(QPoint globalPos) { mnuPopUp_.popup(globalPos); }

bool PopupMenuWidget::isOpen() const { return mnuPopUp_.isVisible(); }

void PopupMenuWidget::setState(const MenuState& state)
{
    mnuShow_->setText(state.showCaption);
    mnuShow_->setEnabled(state.showEnabled);
    mnuTop_->setChecked(state.top);
    mnuInd_->setChecked(state.ind);
    mnuSelectSkin_->setChecked(state.selectSkin);
    for (int i = 0; i < 6; ++i) {
        mnuIndPos_[static_cast<std::size_t>(i)]->setChecked(i == state.indPos);
        mnuIndSize_[static_cast<std::size_t>(i)]->setChecked(i == state.indSize);
    }
    for (int i = 0; i < kTemperFormatCount; ++i) {
        QAction* a = mnuFormat_[static_cast<std::size_t>(i)];
        a->setText(i < state.formatCaptions.size() ? state.formatCaptions[i] : QString());
        a->setChecked(i == state.formatChecked);
    }
}

} // namespace tb
