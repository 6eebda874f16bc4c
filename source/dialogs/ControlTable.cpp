#include "dialogs/ControlTable.h"

#include <QCoreApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace tb::control_table {

QWidget* checkedClass(QWidget* made, const QMetaObject& expected)
{
    if (!expected.cast(made))
        qFatal("control table: %s is a %s, not a %s", qPrintable(made->objectName()), made->metaObject()->className(),
            expected.className());
    return made;
}

namespace {

QLabel* label(const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QFrame* box(QWidget* parent, int shadow)
{
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | shadow);
    return frame;
}

QScrollBar* bar(Qt::Orientation orientation, QWidget* parent)
{
    auto* bar = new QScrollBar(orientation, parent);
    bar->setFocusPolicy(Qt::StrongFocus); // the arrow and page keys work on the focused bar
    return bar;
}

} // namespace

QWidget* make(ControlKind kind, QWidget* parent, const char* name, const char* caption, const char* tip,
    const char* accessibleName, const ControlLook& look, const char* context)
{
    const QString text = caption ? QCoreApplication::translate(context, caption) : QString();
    QWidget* w = nullptr;
    switch (kind) {
    case ControlKind::Frame:
        w = new QGroupBox(text, parent);
        break;
    case ControlKind::Box:
        w = box(parent, QFrame::Sunken);
        break;
    case ControlKind::Band:
        w = box(parent, QFrame::Plain);
        break;
    case ControlKind::List: {
        auto* list = new QComboBox(parent);
        list->setEditable(false);
        w = list;
        break;
    }
    case ControlKind::Label:
        w = label(text, parent);
        break;
    case ControlKind::Field: {
        QLabel* field = label(text, parent);
        field->setTextInteractionFlags(Qt::TextSelectableByMouse);
        w = field;
        break;
    }
    case ControlKind::HBar:
        w = bar(Qt::Horizontal, parent);
        break;
    case ControlKind::VBar:
        w = bar(Qt::Vertical, parent);
        break;
    case ControlKind::Check:
        w = new QCheckBox(text, parent);
        break;
    case ControlKind::Option:
        w = new QRadioButton(text, parent);
        break;
    case ControlKind::Swatch: {
        auto* swatch = new QLabel(parent);
        swatch->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        swatch->setAutoFillBackground(true);
        w = swatch;
        break;
    }
    case ControlKind::Button:
        w = new QPushButton(text, parent);
        break;
    case ControlKind::TextList:
        w = new QPlainTextEdit(parent);
        break;
    }
    w->setObjectName(QLatin1String(name));
    if (tip)
        w->setToolTip(QCoreApplication::translate(context, tip));
    if (accessibleName)
        w->setAccessibleName(QCoreApplication::translate(context, accessibleName));
    setLook(w, look);
    return w;
}

} // namespace tb::control_table
