#include "EditorWindow.h"

#include "Draft.h"
#include "EffectsPane.h"
#include "LookPreview.h"
#include "PicturePane.h"
#include "SkinBrowser.h"
#include "TextPane.h"
#include "WriteInIKey.h"
#include "skinfiles/AppPaths.h"
#include "skinfiles/INI_Class.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tb {

Q_LOGGING_CATEGORY(lcEditor, "thermobadge.editor", QtInfoMsg)

namespace {

// Translated where it is used: the translation is installed after this is made.
const char* const kTitle = QT_TRANSLATE_NOOP("EditorWindow", "Вид индикатора ThermoBadge[*]");

} // namespace

Look EditorWindow::startLook(const QString& iniFile, const Regional& regional)
{
    const QString selected = INI_Class().ReadINIKey(QStringLiteral("General"), QStringLiteral("Selected"), iniFile, QString());
    Look base;
    if (selected.isEmpty()) {
        // Nothing chosen yet: the first listed picture with the editor's plain style.
        const QList<SkinFolder> folders = SkinCatalog(iniFile, QString()).folders();
        for (const SkinFolder& f : folders)
            if (!f.pictures.isEmpty()) {
                base.picture = f.pictures.front().path;
                break;
            }
        return base;
    }
    const ParsedLook parsed = lookFromArgument(selected, regional, base);
    if (!parsed.complete)
        qCWarning(lcEditor).noquote() << "the saved look" << selected.left(120)
                                      << "is not complete; the rest is the editor's plain style";
    return parsed.look;
}

EditorWindow::EditorWindow(Setup setup)
    : setup_(std::move(setup))
    , catalog_(setup_.paths)
    , link_(setup_.channel, setup_.indicator)
    , notice_(new QLabel(this))
    , browser_(new SkinBrowser(catalog_, this))
    , text_(new TextPane(this))
    , effects_(new EffectsPane(this))
    , picture_(new PicturePane(this))
    , preview_(new LookPreview(setup_.temperature, setup_.regional, this))
    , status_(new QLabel(this))
    , save_(new QPushButton(QCoreApplication::translate("EditorWindow", "Сохранить"), this))
    , revert_(new QPushButton(QCoreApplication::translate("EditorWindow", "Вернуть исходный вид"), this))
{
    setWindowTitle(QCoreApplication::translate("EditorWindow", kTitle));
    session_ = std::make_unique<LookSession>(startLook(setup_.paths.IniFile, setup_.regional), LookCommands(setup_.regional),
        [this](const QString& command) { return link_.send(command); });

    notice_->setObjectName(QStringLiteral("notice"));
    notice_->setWordWrap(true);
    notice_->setStyleSheet(QStringLiteral("QLabel { background: #fff3c4; color: #3a2d00; padding: 6px; }"));
    notice_->hide();
    status_->setObjectName(QStringLiteral("status"));
    preview_->setObjectName(QStringLiteral("preview"));
    save_->setObjectName(QStringLiteral("save"));
    revert_->setObjectName(QStringLiteral("revert"));
    auto* close = new QPushButton(QCoreApplication::translate("EditorWindow", "Закрыть"), this);
    close->setObjectName(QStringLiteral("close"));

    auto* tabs = new QTabWidget(this);
    tabs->addTab(text_, QCoreApplication::translate("EditorWindow", "Текст"));
    tabs->addTab(effects_, QCoreApplication::translate("EditorWindow", "Тень и контур"));
    tabs->addTab(picture_, QCoreApplication::translate("EditorWindow", "Цвета картинки"));
    auto* right = new QVBoxLayout;
    right->addWidget(tabs);
    right->addWidget(new QLabel(QCoreApplication::translate("EditorWindow", "Так индикатор будет выглядеть:"), this));
    right->addWidget(preview_, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(browser_);
    middle->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(revert_);
    buttons->addWidget(save_);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->addWidget(notice_);
    column->addLayout(middle, 1);
    column->addLayout(buttons);

    for (LookPane* pane : {static_cast<LookPane*>(text_), static_cast<LookPane*>(effects_), static_cast<LookPane*>(picture_)})
        pane->edited = [this](const LookEdit& edit) {
            Look next = session_->look();
            edit(next);
            apply(next);
        };
    browser_->pictureChosen = [this](const QString& picture) {
        Look next = session_->look();
        next.picture = picture;
        apply(next);
    };
    browser_->folderRenamed = [this](const QString& oldPath, const QString& newPath) {
        const QString before = session_->look().picture;
        session_->renameFolder(oldPath, newPath);
        // The indicator still names the picture by its old folder.
        if (session_->look().picture != before)
            link_.send(session_->commands().picture(session_->look()));
        refresh();
    };
    preview_->fontReplaced = [this] {
        if (!link_.linked())
            showFontNotice(QStringLiteral("Arial"));
    };
    link_.raise = [this] {
        showNormal();
        raise();
        activateWindow();
    };
    link_.close = [this] { closeKeepingDraft(); };
    link_.fontReplaced = [this](const QString& used) { showFontNotice(used); };
    link_.linkChanged = [this](bool linked) { showLinkState(linked); };

    connect(save_, &QPushButton::clicked, this, &EditorWindow::save);
    connect(revert_, &QPushButton::clicked, this, &EditorWindow::revert);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    askRestoreDraft = [this] {
        return QMessageBox::question(this, QCoreApplication::translate("EditorWindow", "Вид индикатора"),
                   QCoreApplication::translate("EditorWindow", "В прошлый раз изменения вида не были сохранены.\nВернуть их?"))
            == QMessageBox::Yes;
    };
    askUnsaved = [this] {
        return QMessageBox::question(this, QCoreApplication::translate("EditorWindow", "Вид индикатора"),
            QCoreApplication::translate("EditorWindow", "Вид изменён, но не сохранён.\nСохранить его?"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    };
    showError = [this](const QString& message) {
        QMessageBox::critical(this, QCoreApplication::translate("EditorWindow", "Ошибка..."), message);
    };

    browser_->reload(session_->look().picture);
    showLinkState(false);
    refresh();
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::start()
{
    // The indicator may draw another look than the skin list's saved one (a draft given up, a
    // script's commands): it gets the whole look once, so that what the editor shows is what
    // it draws and the changes sent from here on apply to that.
    if (!link_.start())
        showLinkState(false);
    else
        session_->resend();
    const std::optional<Draft> draft = loadDraft(setup_.draftFile);
    if (!draft || draft->iniFile != setup_.paths.IniFile)
        return;
    const ParsedLook parsed = lookFromArgument(draft->look, setup_.regional, session_->look());
    if (parsed.look == session_->look() || !askRestoreDraft()) {
        clearDraft(setup_.draftFile);
        return;
    }
    // Kept on disk until the look is saved or given up, should this run end unexpectedly.
    apply(parsed.look);
}

void EditorWindow::apply(const Look& next)
{
    const bool newFont = next.fontName != session_->look().fontName;
    const bool newPicture = next.picture != session_->look().picture;
    session_->change(next);
    if (newFont)
        notice_->hide();
    if (newPicture)
        browser_->showPicture(next.picture);
    refresh();
}

void EditorWindow::refresh()
{
    const Look& look = session_->look();
    for (LookPane* pane : {static_cast<LookPane*>(text_), static_cast<LookPane*>(effects_), static_cast<LookPane*>(picture_)})
        pane->setLook(look);
    preview_->render(look, catalog_.localFile(look.picture));
    setWindowModified(session_->dirty());
    revert_->setEnabled(look != session_->startLook());
}

bool EditorWindow::save()
{
    // An installed program folder cannot be written: the look goes to the user's own copy of
    // the skin list (made from the program's on the first save).
    const QString iniFile = skinIniForWriting(setup_.paths);
    if (iniFile.isEmpty()) {
        showError(QCoreApplication::translate(
            "EditorWindow", "Вид не сохранён.\nНет места для списка шаблонов пользователя: %1\nИзменения остались в редакторе.")
                      .arg(setup_.paths.IniFile));
        return false;
    }
    const IniWrite w = WriteInIKey(QStringLiteral("General"), QStringLiteral("Selected"),
        session_->commands().argument(session_->look()), iniFile);
    if (!w.ok()) {
        showError(QCoreApplication::translate(
            "EditorWindow", "Вид не сохранён.\n%1\nИзменения остались в редакторе: можно исправить причину и сохранить ещё раз.")
                      .arg(w.message));
        return false;
    }
    session_->markSaved();
    clearDraft(setup_.draftFile);
    status_->setText(QCoreApplication::translate("EditorWindow", "Вид сохранён."));
    refresh();
    return true;
}

void EditorWindow::revert()
{
    apply(session_->startLook());
}

void EditorWindow::closeKeepingDraft()
{
    // "W=0" runs inside the indicator's send; closing waits until the text is acknowledged.
    keepDraft_ = true;
    QTimer::singleShot(0, this, [this] {
        if (session_->dirty())
            saveDraft(setup_.draftFile, {setup_.paths.IniFile, session_->commands().argument(session_->look())});
        close();
        // A dialog of the editor may be open; its event loop ends as well.
        QCoreApplication::exit(0);
    });
}

void EditorWindow::closeEvent(QCloseEvent* event)
{
    if (!keepDraft_ && session_->dirty()) {
        switch (askUnsaved()) {
        case QMessageBox::Save:
            if (!save()) {
                event->ignore();
                return;
            }
            break;
        case QMessageBox::Discard:
            // The indicator goes back to the look the skin list holds.
            session_->change(session_->savedLook());
            clearDraft(setup_.draftFile);
            break;
        default:
            event->ignore();
            return;
        }
    }
    link_.finish();
    event->accept();
}

void EditorWindow::showLinkState(bool linked)
{
    if (linked && !everLinked_) {
        everLinked_ = true;
    } else if (linked) {
        // Changes made while the indicator was out of reach never arrived.
        QTimer::singleShot(0, this, [this] { session_->resend(); });
    }
    status_->setText(linked
            ? QCoreApplication::translate("EditorWindow", "Индикатор показывает изменения сразу.")
            : QCoreApplication::translate("EditorWindow", "Индикатор не отвечает: изменения видны только здесь."));
}

void EditorWindow::showFontNotice(const QString& used)
{
    notice_->setText(
        QCoreApplication::translate("EditorWindow", "Шрифта «%1» на этом компьютере нет: индикатор рисует текст шрифтом %2.")
            .arg(session_->look().fontName, used));
    notice_->show();
}

} // namespace tb
