#pragma once

#include "EditorLink.h"
#include "LookSession.h"
#include "SkinCatalog.h"
#include "skinfiles/AppPaths.h"

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;

namespace tb {

class EffectsPane;
class LookPane;
class LookPreview;
class PicturePane;
class SkinBrowser;
class TextPane;

// The look editor's window: the skin browser, the text, shadow and outline, and picture colour
// panes, a preview, and Save / Revert / Close. Every change goes to the indicator at once;
// Save writes the look as "Selected" of the skin list. Closed by the indicator ("W=0") with
// unsaved changes, it keeps them as a draft that its next start offers back.
class EditorWindow final : public QWidget {
public:
    struct Setup {
        CommandChannel& channel;
        qint32 indicator; // the indicator's command box
        QString temperature; // the indicator's temperature text, for the preview
        AppPaths paths; // the program folder with the skin list and pictures
        QString draftFile;
        Regional regional;
    };
    explicit EditorWindow(Setup setup);
    ~EditorWindow() override;

    // Announces the editor to the indicator and offers a draft left by an earlier run.
    void start();

    // Asks whether to take back the draft's look (a question box; tests answer it themselves).
    std::function<bool()> askRestoreDraft;
    // Asks what to do with unsaved changes on close: Save, Discard or Cancel.
    std::function<int()> askUnsaved;
    // Tells the user why something failed (a message box).
    std::function<void(const QString& message)> showError;

    const LookSession& session() const { return *session_; }
    EditorLink& link() { return link_; }
    // Saves the look into the skin list; false (after telling the user) when it could not.
    bool save();
    void revert();
    // Closes without asking, keeping unsaved changes as a draft: the indicator said "W=0", or
    // the session ends (SIGTERM). Waits for the event loop, so it may run inside a send.
    void closeKeepingDraft();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void apply(const Look& next);
    void refresh();
    void showLinkState(bool linked);
    void showFontNotice(const QString& used);
    static Look startLook(const QString& iniFile, const Regional& regional);

    Setup setup_;
    SkinCatalog catalog_;
    EditorLink link_;
    std::unique_ptr<LookSession> session_;
    bool everLinked_ = false;
    bool keepDraft_ = false;

    QLabel* notice_;
    SkinBrowser* browser_;
    TextPane* text_;
    EffectsPane* effects_;
    PicturePane* picture_;
    LookPreview* preview_;
    QLabel* status_;
    QPushButton* save_;
    QPushButton* revert_;
};

} // namespace tb
