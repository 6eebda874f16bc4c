#include "dialogs/frmTown.h"

#include "dialogs/DialogLook.h"
#include "dialogs/Twips.h"
#include "platform/desktop/WindowFront.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tb {

Q_DECLARE_LOGGING_CATEGORY(lcTown)

namespace {

using namespace std::chrono_literals;

const QColor kProblem(0x80, 0x00, 0x00);
constexpr qsizetype kLongestName = 200;
// The server gives up on the service after 15 s; a little more for its own start.
constexpr auto kSearchTimeout = 20s;
constexpr auto kTypingPause = 600ms;

QString detail(const CommandResult& result) { return QString::fromUtf8(result.err).trimmed().section(u'\n', 0, 0); }

} // namespace

QString townSearchProblem(const CommandResult& result)
{
    if (!result.started)
        return QCoreApplication::translate("frmTown", "Поиск не работает: не удалось запустить программу thermobadge-server.");
    if (result.timedOut)
        return QCoreApplication::translate(
            "frmTown", "Служба поиска городов не ответила. Проверьте подключение к сети и повторите.");
    switch (result.exitCode) {
    case 0: return {};
    case 2:
        return QCoreApplication::translate("frmTown", "Поиск не работает: адрес службы поиска городов задан неверно.");
    case 3:
        return QCoreApplication::translate(
            "frmTown", "Ничего не найдено. Проверьте название или введите координаты, например 55.75, 37.62.");
    case 4:
        return QCoreApplication::translate(
            "frmTown", "Нет связи со службой поиска городов. Проверьте подключение к сети и повторите.");
    case 5:
        return QCoreApplication::translate("frmTown", "Служба поиска городов ответила ошибкой. Повторите позже.");
    case 6:
        return QCoreApplication::translate(
            "frmTown", "Введите название города (не длиннее 200 знаков) или координаты, например 55.75, 37.62.");
    case 7:
        return QCoreApplication::translate(
            "frmTown", "Таких координат нет: широта от -90 до 90, долгота от -180 до 180, например 55.75, 37.62.");
    case 8:
        return QCoreApplication::translate(
            "frmTown", "Поиск отключён: программа запущена без выхода в сеть (THERMOBADGE_LOOPBACK_ONLY=1).");
    default:
        return QCoreApplication::translate("frmTown", "Поиск не удался (код %1).").arg(result.exitCode);
    }
}

frmTown::frmTown(TownChooserEnv env) : env_(std::move(env))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmTown"));
    setWindowTitle(QCoreApplication::translate("frmTown", "Город"));
    setDialogFace(this, dialogFont(9, false));

    lblCurrent = new QLabel(this);
    lblCurrent->setObjectName(QStringLiteral("lblCurrent"));
    lblCurrent->setFont(dialogFont(9, true));
    lblCurrent->setWordWrap(true);
    auto* prompt = new QLabel(QCoreApplication::translate("frmTown", "Город или координаты:"), this);
    txtTown = new QLineEdit(this);
    txtTown->setObjectName(QStringLiteral("txtTown"));
    txtTown->setMaxLength(static_cast<int>(kLongestName) + 50); // a longer paste is said to be too long, not cut silently
    txtTown->setPlaceholderText(QCoreApplication::translate("frmTown", "например, Москва или 55.75, 37.62"));
    prompt->setBuddy(txtTown);
    cmdFind = new QPushButton(QCoreApplication::translate("frmTown", "Найти"), this);
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    cmdHere = new QPushButton(QCoreApplication::translate("frmTown", "Моё место"), this);
    cmdHere->setObjectName(QStringLiteral("cmdHere"));
    cmdHere->setEnabled(false);

    lstPlaces = new QTreeWidget(this);
    lstPlaces->setObjectName(QStringLiteral("lstPlaces"));
    lstPlaces->setHeaderLabels({QCoreApplication::translate("frmTown", "Город"), QCoreApplication::translate("frmTown", "Регион"),
        QCoreApplication::translate("frmTown", "Страна"), QCoreApplication::translate("frmTown", "Координаты")});
    lstPlaces->setRootIsDecorated(false);
    lstPlaces->setUniformRowHeights(true);
    lstPlaces->setAllColumnsShowFocus(true);
    lstPlaces->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lstPlaces->header()->setStretchLastSection(false);
    lstPlaces->setMinimumHeight(px(2400, this));

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setMinimumHeight(lblStatus->fontMetrics().lineSpacing() * 2);
    cmdChoose = new QPushButton(QCoreApplication::translate("frmTown", "Выбрать"), this);
    cmdChoose->setObjectName(QStringLiteral("cmdChoose"));
    cmdChoose->setEnabled(false);
    cmdClose = new QPushButton(QCoreApplication::translate("frmTown", "Закрыть"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(txtTown, 1);
    searchRow->addWidget(cmdFind);
    searchRow->addWidget(cmdHere);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdChoose);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblCurrent);
    layout->addWidget(prompt);
    layout->addLayout(searchRow);
    layout->addWidget(lstPlaces, 1);
    layout->addWidget(lblStatus);
    layout->addLayout(buttons);
    resize(px(8400, this), sizeHint().height());

    typing_.setSingleShot(true);
    typing_.setInterval(kTypingPause);
    connect(&typing_, &QTimer::timeout, this, [this] {
        const QString text = txtTown->text().simplified();
        if (text.size() >= 2 && text != lastSearched_)
            search();
    });
    connect(txtTown, &QLineEdit::textEdited, this, [this] { typing_.start(); });
    connect(txtTown, &QLineEdit::returnPressed, this, [this] {
        typing_.stop();
        if (!places_.isEmpty() && txtTown->text().simplified() == lastSearched_ && lstPlaces->currentItem())
            chooseSelected();
        else
            search();
    });
    connect(cmdFind, &QPushButton::clicked, this, &frmTown::search);
    connect(cmdChoose, &QPushButton::clicked, this, &frmTown::chooseSelected);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdHere, &QPushButton::clicked, this, &frmTown::locate);
    connect(lstPlaces, &QTreeWidget::currentItemChanged, this, [this] { cmdChoose->setEnabled(!choosing_ && lstPlaces->currentItem()); });
    connect(lstPlaces, &QTreeWidget::itemActivated, this, [this] { chooseSelected(); });

    showCurrent();
    // Disabled, with a word on it, until the desktop's location service is known to be there.
    cmdHere->setText(QCoreApplication::translate("frmTown", "Моё место: нет службы"));
    cmdHere->setToolTip(QCoreApplication::translate("frmTown", "На этом компьютере нет службы местоположения"));
    if (env_.location) {
        QPointer<frmTown> self(this);
        env_.location->probe([self](bool available) {
            if (!self || !available)
                return;
            self->cmdHere->setText(QCoreApplication::translate("frmTown", "Моё место"));
            self->cmdHere->setToolTip(
                QCoreApplication::translate("frmTown", "Взять место этого компьютера у службы местоположения"));
            self->cmdHere->setEnabled(!self->choosing_);
        });
    }
}

void frmTown::Show()
{
    bringToFront(this);
    txtTown->setFocus();
}

void frmTown::showCurrent()
{
    const auto town = env_.choice.current();
    if (!town) {
        lblCurrent->setText(
            QCoreApplication::translate("frmTown", "Город не выбран: выберите свой, и индикатор покажет его температуру."));
        return;
    }
    const QString coordinates = coordinatesCaption(*town);
    const QString caption = townCaption(*town);
    lblCurrent->setText(caption == coordinates
            ? QCoreApplication::translate("frmTown", "Сейчас: %1").arg(caption)
            : QCoreApplication::translate("frmTown", "Сейчас: %1 (%2)").arg(caption, coordinates));
    // The name alone searches again; a place without one, by its coordinates.
    if (txtTown->text().isEmpty())
        txtTown->setText(caption == coordinates ? coordinates : caption.section(u',', 0, 0).trimmed());
}

void frmTown::search()
{
    typing_.stop();
    const QString text = txtTown->text().simplified();
    if (text.isEmpty())
        return say(
            QCoreApplication::translate("frmTown", "Введите название города или координаты, например 55.75, 37.62."), true);
    if (text.size() > kLongestName)
        return say(
            QCoreApplication::translate("frmTown", "Слишком длинное название: не больше %1 знаков.").arg(kLongestName), true);
    if (searching_) {
        pending_ = text;
        return;
    }
    startSearch(text);
}

void frmTown::startSearch(const QString& text)
{
    searching_ = true;
    pending_.clear();
    say(QCoreApplication::translate("frmTown", "Поиск…"));
    QStringList arguments {QStringLiteral("--find-town"), text, QStringLiteral("--language"), env_.language};
    if (!env_.geocodingUrl.isEmpty())
        arguments << QStringLiteral("--geocoding-url") << env_.geocodingUrl;
    QPointer<frmTown> self(this);
    env_.commands.run(env_.serverProgram, arguments, kSearchTimeout, [self, text](const CommandResult& result) {
        if (self)
            self->searched(text, result);
    });
}

void frmTown::searched(const QString& text, const CommandResult& result)
{
    searching_ = false;
    if (!pending_.isEmpty() && pending_ != text)
        return startSearch(std::exchange(pending_, {})); // what was typed since counts, not this answer
    pending_.clear();
    lastSearched_ = text;
    const QString problem = townSearchProblem(result);
    if (!problem.isEmpty()) {
        qCInfo(lcTown).noquote() << "town search for" << text << "ended with" << result.exitCode << detail(result);
        showPlaces({});
        return say(problem, true);
    }
    const QList<TownPlace> found = parseTownPlaces(result.out);
    showPlaces(found);
    if (found.isEmpty())
        return say(QCoreApplication::translate("frmTown", "Служба поиска городов ответила непонятно. Повторите позже."), true);
    say(found.size() == 1
            ? QCoreApplication::translate("frmTown", "Найдено одно место. Нажмите «Выбрать».")
            : QCoreApplication::translate("frmTown", "Найдено мест: %1. Выберите своё и нажмите «Выбрать».").arg(found.size()));
}

void frmTown::showPlaces(const QList<TownPlace>& places)
{
    places_ = places;
    lstPlaces->clear();
    for (const TownPlace& p : places) {
        auto* item = new QTreeWidgetItem(lstPlaces, {p.name.isEmpty() ? coordinatesCaption(p) : p.name, p.region, p.country,
                                                     coordinatesCaption(p)});
        if (p.population > 0)
            item->setToolTip(
                0, QCoreApplication::translate("frmTown", "Население: %1").arg(QLocale(env_.language).toString(p.population)));
    }
    if (lstPlaces->topLevelItemCount() > 0)
        lstPlaces->setCurrentItem(lstPlaces->topLevelItem(0));
    cmdChoose->setEnabled(!choosing_ && !places_.isEmpty());
}

void frmTown::chooseSelected()
{
    const int row = lstPlaces->currentItem() ? lstPlaces->indexOfTopLevelItem(lstPlaces->currentItem()) : -1;
    if (choosing_ || row < 0 || row >= places_.size())
        return;
    const TownPlace place = places_[row];
    setBusy(true);
    say(QCoreApplication::translate("frmTown", "Настраиваю сервер температуры для: %1…").arg(townCaption(place)));
    QPointer<frmTown> self(this);
    env_.choice.choose(place, [self](const TownChoice::Outcome& outcome) {
        if (!self)
            return;
        self->setBusy(false);
        self->showCurrent();
        self->say(outcome.message, !outcome.ok);
        if (outcome.ok)
            self->close();
    });
}

void frmTown::locate()
{
    if (!env_.location)
        return;
    cmdHere->setEnabled(false);
    say(QCoreApplication::translate("frmTown", "Определяю место…"));
    QPointer<frmTown> self(this);
    env_.location->locate([self](std::optional<Location> where, const QString& why) {
        if (!self)
            return;
        self->cmdHere->setEnabled(!self->choosing_);
        if (!where) {
            qCInfo(lcTown).noquote() << "no place from the location service:" << why;
            return self->say(
                QCoreApplication::translate("frmTown", "Служба местоположения не сообщила место. Введите город или координаты."),
                true);
        }
        TownPlace here;
        here.latitude = where->latitude;
        here.longitude = where->longitude;
        self->txtTown->setText(coordinatesCaption(here));
        self->search();
    });
}

void frmTown::say(const QString& text, bool problem)
{
    QPalette palette = lblStatus->palette();
    palette.setColor(QPalette::WindowText, problem ? kProblem : QColor(Qt::black));
    lblStatus->setPalette(palette);
    lblStatus->setText(text);
}

void frmTown::setBusy(bool busy)
{
    choosing_ = busy;
    txtTown->setEnabled(!busy);
    cmdFind->setEnabled(!busy);
    lstPlaces->setEnabled(!busy);
    cmdChoose->setEnabled(!busy && !places_.isEmpty());
}

void frmTown::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tb
