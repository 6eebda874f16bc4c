#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QStyleOption>
#include <QTextDocument>
#include <QtMath>

#include <optional>

namespace tb::test {

namespace captionfit {

inline QString where(const QWidget* control)
{
    const QString name = control->objectName().isEmpty() ? QStringLiteral("(unnamed)") : control->objectName();
    return QStringLiteral("%1 (%2)").arg(name, control->metaObject()->className());
}

// The size the text takes in the control's font (its lines' advance and height); `wrapWidth`
// bounds the width when it wraps. Alignment is left out: it moves the text, it does not size it.
inline QSize textSize(const QWidget* control, const QString& text, int flags, int wrapWidth = 0)
{
    const QRect bounds(0, 0, wrapWidth > 0 ? wrapWidth : 1 << 20, 1 << 20);
    return control->fontMetrics()
        .boundingRect(bounds, flags & ~int(Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask), text)
        .size();
}

inline void addIcon(QSize& need, const QAbstractButton* b)
{
    if (!b->icon().isNull())
        need = QSize(need.width() + b->iconSize().width() + 4, qMax(need.height(), b->iconSize().height()));
}

inline QStyleOptionButton buttonOption(const QAbstractButton* b)
{
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    opt.icon = b->icon();
    opt.iconSize = b->iconSize();
    if (const auto* push = qobject_cast<const QPushButton*>(b)) {
        if (push->autoDefault())
            opt.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault())
            opt.features |= QStyleOptionButton::DefaultButton;
        if (push->isFlat())
            opt.features |= QStyleOptionButton::Flat;
        if (push->menu())
            opt.features |= QStyleOptionButton::HasMenu;
    }
    return opt;
}

// The label's text area, as QLabel lays it out: contents less margin and indent.
inline QRect labelRoom(const QLabel* label)
{
    QRect room
        = label->contentsRect().marginsRemoved(QMargins(label->margin(), label->margin(), label->margin(), label->margin()));
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0)
        indent = label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - label->margin();
    if (indent > 0) {
        const Qt::Alignment align = QStyle::visualAlignment(label->layoutDirection(), label->alignment());
        if (align & Qt::AlignLeft)
            room.setLeft(room.left() + indent);
        if (align & Qt::AlignRight)
            room.setRight(room.right() - indent);
        if (align & Qt::AlignTop)
            room.setTop(room.top() + indent);
        if (align & Qt::AlignBottom)
            room.setBottom(room.bottom() - indent);
    }
    return room;
}

// A caption as its control lays it out, in the control's coordinates.
struct Caption {
    QString text;
    QSize need; // the text's size, with the icon beside it
    QRect room; // where the control lets the text go
    QRect drawn; // where the text goes: `need` placed in `room` by the control's alignment
};

inline Caption placed(const QWidget* control, const QString& text, QSize need, QRect room, Qt::Alignment align)
{
    return {text, need, room, QStyle::alignedRect(control->layoutDirection(), align, need, room)};
}

inline std::optional<Caption> labelCaption(const QLabel* label)
{
    const QString text = label->text();
    if (text.isEmpty())
        return std::nullopt;
    const QRect room = labelRoom(label);
    QSize need;
    const bool rich = label->textFormat() == Qt::RichText || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
    if (rich) {
        QTextDocument doc;
        doc.setDefaultFont(label->font());
        doc.setDocumentMargin(0);
        doc.setHtml(text);
        if (label->wordWrap())
            doc.setTextWidth(room.width());
        need = QSize(qCeil(label->wordWrap() ? doc.size().width() : doc.idealWidth()), qCeil(doc.size().height()));
    } else {
        int flags = label->buddy() ? Qt::TextShowMnemonic : 0;
        if (label->wordWrap())
            flags |= Qt::TextWordWrap;
        need = textSize(label, text, flags, label->wordWrap() ? room.width() : 0);
    }
    return placed(label, text, need, room, label->alignment());
}

// Check boxes and radio buttons: the text goes right of the indicator and its spacing.
inline std::optional<Caption> indicatorCaption(const QAbstractButton* b, QStyle::SubElement contents)
{
    if (b->text().isEmpty())
        return std::nullopt;
    QStyleOptionButton opt = buttonOption(b);
    QSize need = textSize(b, b->text(), Qt::TextShowMnemonic);
    addIcon(need, b);
    return placed(b, b->text(), need, b->style()->subElementRect(contents, &opt, b), Qt::AlignLeft | Qt::AlignVCenter);
}

// Push buttons: the text goes inside the frame (and the default-button ring).
inline std::optional<Caption> pushCaption(const QPushButton* b)
{
    if (b->text().isEmpty())
        return std::nullopt;
    QStyleOptionButton opt = buttonOption(b);
    QSize need = textSize(b, b->text(), Qt::TextShowMnemonic);
    addIcon(need, b);
    if (b->menu())
        need.rwidth() += b->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &opt, b);
    return placed(b, b->text(), need, b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b), Qt::AlignCenter);
}

// Group boxes: the style sizes the title's rectangle to the text; it must lie inside the box.
inline std::optional<Caption> groupCaption(const QGroupBox* g)
{
    if (g->title().isEmpty())
        return std::nullopt;
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.text = g->title();
    opt.lineWidth = 1;
    opt.midLineWidth = 0;
    opt.textAlignment = g->alignment();
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (g->isCheckable())
        opt.subControls |= QStyle::SC_GroupBoxCheckBox;
    if (g->isFlat())
        opt.features |= QStyleOptionFrame::Flat;
    QRect title = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
    const QSize need = textSize(g, g->title(), Qt::TextShowMnemonic);
    if (g->isCheckable())
        title |= g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxCheckBox, g);
    return Caption {g->title(), need, g->rect(), title};
}

inline std::optional<Caption> captionOf(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return labelCaption(label);
    if (const auto* check = qobject_cast<const QCheckBox*>(w))
        return indicatorCaption(check, QStyle::SE_CheckBoxContents);
    if (const auto* radio = qobject_cast<const QRadioButton*>(w))
        return indicatorCaption(radio, QStyle::SE_RadioButtonContents);
    if (const auto* push = qobject_cast<const QPushButton*>(w))
        return pushCaption(push);
    if (const auto* group = qobject_cast<const QGroupBox*>(w))
        return groupCaption(group);
    return std::nullopt;
}

inline QString nameOf(const QWidget* w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

inline QString rectText(QRect r)
{
    return QStringLiteral("%1 x %2 at %3,%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
}

// The caption's faults: it does not fit the room its control gives it, or where it is drawn
// reaches past a parent or lies under a control stacked above it.
inline void checkCaption(const QWidget* control, const Caption& c, QStringList& out)
{
    const QString head = QStringLiteral("%1 \"%2\"").arg(where(control), c.text);
    if (!c.room.contains(c.drawn) || c.drawn.width() < c.need.width() || c.drawn.height() < c.need.height()) {
        out << QStringLiteral("%1: needs %2, has %3").arg(head, rectText(QRect(c.drawn.topLeft(), c.need)), rectText(c.room));
        return;
    }
    QRect r = c.drawn.translated(control->pos());
    for (const QWidget* child = control; !child->isWindow(); child = child->parentWidget()) {
        const QWidget* parent = child->parentWidget();
        if (!parent->rect().contains(r)) {
            out << QStringLiteral("%1: drawn %2, out of %3 (%4 x %5)")
                       .arg(head, rectText(r), nameOf(parent))
                       .arg(parent->width())
                       .arg(parent->height());
            return;
        }
        const QObjectList& siblings = parent->children();
        for (qsizetype i = siblings.indexOf(const_cast<QWidget*>(child)) + 1; i < siblings.size(); ++i) {
            const auto* above = qobject_cast<const QWidget*>(siblings[i]);
            if (above && !above->isWindow() && !above->isHidden() && above->geometry().intersects(r)) {
                out << QStringLiteral("%1: drawn %2, partly under %3 (%4)")
                           .arg(head, rectText(r), nameOf(above), rectText(above->geometry()));
                return;
            }
        }
        r.translate(parent->pos());
        if (parent->isWindow())
            return;
    }
}

} // namespace captionfit

// Every caption of `window` that does not fit its control: labels, check boxes, radio buttons,
// push buttons and group box titles, measured in each control's own font and style (text
// advance plus the indicator, frame and margins the style puts around it, and the font's line
// height), and placed by the control's alignment, which must leave it inside every parent and
// clear of the controls stacked above it. One line per fault; empty when everything fits.
// Controls hidden on purpose are skipped.
inline QStringList captionMisfits(const QWidget& window)
{
    using namespace captionfit;
    QStringList out;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window))
            continue;
        if (const std::optional<Caption> caption = captionOf(w))
            checkCaption(w, *caption, out);
    }
    return out;
}

} // namespace tb::test
