#pragma once

#include "dialogs/DialogLook.h"
#include "dialogs/Twips.h"

#include <QWidget>

#include <cstddef>
#include <type_traits>

namespace tb {

// What a row of a control table makes. Ranges, steps and what a control does are set by its
// dialog after the table is built.
enum class ControlKind {
    Frame, // QGroupBox, the caption as its title
    Box, // QFrame, a sunken box
    Band, // QFrame, a plain box (give it a fill)
    List, // QComboBox, not editable
    Label, // QLabel, plain text
    Field, // QLabel, plain text the mouse can select, so a user can copy it
    HBar, // QScrollBar, horizontal; the arrow and page keys work on it
    VBar, // QScrollBar, vertical; likewise
    Check, // QCheckBox
    Option, // QRadioButton
    Swatch, // QLabel, a sunken panel filled with the colour it shows
    Button, // QPushButton
    TextList, // QPlainTextEdit
};

// Where a control of the table is kept: a typed member of the dialog's controls struct. Given
// the control just made it keeps it there; given nullptr it returns what is kept. Written
// `held<&Controls::member>`, or `held<&Controls::member, i>` for element i of an array member.
template <class Controls> using ControlSlot = QWidget* (*)(Controls&, QWidget* made);

// One control of a dialog: one row of its table, in the order the controls are made (which is
// also the order they stack in and the focus order).
template <class Controls> struct ControlRow {
    ControlSlot<Controls> slot;
    ControlKind kind;
    ControlSlot<Controls> parent; // nullptr: the dialog
    const char* name; // the object name (tests and the caption check name controls by it)
    const char* caption;
    const char* tip;
    int left, top, width, height; // twips inside the parent, or from `origin`
    ControlLook look;
    ControlSlot<Controls> origin = nullptr; // a control of the parent the position is measured from
    // What a screen reader calls the control when its caption does not say it (or it has none).
    const char* accessibleName = nullptr;
};

namespace control_table {

template <class> struct MemberOf;
template <class Class, class Type> struct MemberOf<Type Class::*> {
    using Owner = Class;
};

// The made control as `expected`; a row whose kind makes another class stops the program at
// once (any test that opens the dialog finds it).
QWidget* checkedClass(QWidget* made, const QMetaObject& expected);

// `caption`, `tip` and `accessibleName` are translated in `context` (the dialog's).
QWidget* make(ControlKind kind, QWidget* parent, const char* name, const char* caption, const char* tip,
    const char* accessibleName, const ControlLook& look, const char* context);

} // namespace control_table

template <auto member, int index = -1>
QWidget* held(typename control_table::MemberOf<decltype(member)>::Owner& controls, QWidget* made)
{
    auto& place = [&]() -> auto&
    {
        if constexpr (index < 0)
            return controls.*member;
        else
            return (controls.*member)[std::size_t(index)];
    }
    ();
    using Control = std::remove_pointer_t<std::remove_reference_t<decltype(place)>>;
    if (made)
        place = static_cast<Control*>(control_table::checkedClass(made, Control::staticMetaObject));
    return place;
}

// Places the table's controls: their twips converted for the dialog's screen. Controls that
// have grown are put back to the table's size, so a dialog can place them again (on another
// screen) and grow them again for its fonts.
template <class Controls, std::size_t n>
void placeControls(QWidget* dialog, const ControlRow<Controls> (&rows)[n], Controls& controls)
{
    for (const ControlRow<Controls>& row : rows) {
        const QPoint origin = row.origin ? row.origin(controls, nullptr)->pos() : QPoint();
        row.slot(controls, nullptr)
            ->setGeometry(origin.x() + px(row.left, dialog), origin.y() + px(row.top, dialog), px(row.width, dialog),
                px(row.height, dialog));
    }
}

// Makes every control of the table on `dialog` with its caption, tooltip, font and colours,
// keeps each in its slot of `controls`, and places them. The table's texts are the interface
// language's: marked with QT_TRANSLATE_NOOP in `context`, translated here.
template <class Controls, std::size_t n>
void buildControls(QWidget* dialog, const ControlRow<Controls> (&rows)[n], Controls& controls, const char* context)
{
    for (const ControlRow<Controls>& row : rows) {
        QWidget* parent = row.parent ? row.parent(controls, nullptr) : dialog;
        row.slot(controls,
            control_table::make(row.kind, parent, row.name, row.caption, row.tip, row.accessibleName, row.look, context));
    }
    placeControls(dialog, rows, controls);
}

} // namespace tb
