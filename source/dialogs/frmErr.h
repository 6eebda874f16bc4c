#pragma once

#include "render/GdipLog.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace tb {

// The error list's controls, by the names they are known by.
struct ErrControls {
    QPlainTextEdit* txtErr = nullptr;
    QCheckBox* chkAddErr = nullptr;
    QPushButton* cmdClose = nullptr;
};

// The error list of the drawing: a small modeless window that comes up on every logged
// failure and adds the line when "Логировать ошибки" is ticked. A double-click clears the
// list; "Close (Error List)" destroys the window, and the next failure makes a new, empty one.
class frmErr final : public QWidget {
public:
    frmErr();
    QPlainTextEdit* txtErr() const { return c_.txtErr; }
    QCheckBox* chkAddErr() const { return c_.chkAddErr; }
    QPushButton* cmdClose() const { return c_.cmdClose; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ErrControls c_;
};

// Hands each logged line to the error list window, making the window when there is none.
class ErrorListWindow final : public ErrorListSink {
public:
    ~ErrorListWindow() override;
    void showAndMaybeAppend(const QString& line) override;
    frmErr* window() const { return window_; }

private:
    QPointer<frmErr> window_;
};

} // namespace tb
