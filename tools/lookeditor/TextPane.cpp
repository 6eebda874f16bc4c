#include "TextPane.h"

#include "ColorButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include <cmath>

namespace tb {

namespace {

QSpinBox* offsetBox(QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(-1000, 1000);
    box->setSuffix(QCoreApplication::translate("TextPane", " пикс."));
    return box;
}

} // namespace

TextPane::TextPane(QWidget* parent)
    : LookPane(parent)
    , family_(new QComboBox(this))
    , size_(new QDoubleSpinBox(this))
    , bold_(new QCheckBox(QCoreApplication::translate("TextPane", "Жирный"), this))
    , italic_(new QCheckBox(QCoreApplication::translate("TextPane", "Курсив"), this))
    , underline_(new QCheckBox(QCoreApplication::translate("TextPane", "Подчёркнутый"), this))
    , color_(new ColorButton(QCoreApplication::translate("TextPane", "Цвет текста..."),
          QCoreApplication::translate("TextPane", "Цвет текста"), this))
    , fill_(new QCheckBox(QCoreApplication::translate("TextPane", "Заливать текст цветом"), this))
    , x_(offsetBox(this))
    , y_(offsetBox(this))
{
    family_->setObjectName(QStringLiteral("family"));
    family_->addItems(QFontDatabase::families());
    family_->setMaxVisibleItems(20);
    family_->setMinimumContentsLength(16);
    family_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    size_->setObjectName(QStringLiteral("size"));
    size_->setRange(1, 500);
    size_->setDecimals(1);
    size_->setSuffix(QCoreApplication::translate("TextPane", " пикс."));
    x_->setObjectName(QStringLiteral("textX"));
    y_->setObjectName(QStringLiteral("textY"));
    bold_->setObjectName(QStringLiteral("bold"));
    color_->setObjectName(QStringLiteral("textColor"));
    fill_->setObjectName(QStringLiteral("fill"));

    auto* grid = new QGridLayout(this);
    int row = 0;
    grid->addWidget(new QLabel(QCoreApplication::translate("TextPane", "Шрифт:"), this), row, 0);
    grid->addWidget(family_, row++, 1, 1, 3);
    grid->addWidget(new QLabel(QCoreApplication::translate("TextPane", "Размер:"), this), row, 0);
    grid->addWidget(size_, row++, 1);
    auto* styles = new QHBoxLayout;
    styles->addWidget(bold_);
    styles->addWidget(italic_);
    styles->addWidget(underline_);
    styles->addStretch();
    grid->addLayout(styles, row++, 1, 1, 3);
    grid->addWidget(new QLabel(QCoreApplication::translate("TextPane", "Цвет:"), this), row, 0);
    grid->addWidget(color_, row, 1);
    grid->addWidget(fill_, row++, 2, 1, 2);
    grid->addWidget(new QLabel(QCoreApplication::translate("TextPane", "Сдвиг вправо:"), this), row, 0);
    grid->addWidget(x_, row, 1);
    grid->addWidget(new QLabel(QCoreApplication::translate("TextPane", "Сдвиг вверх:"), this), row, 2);
    grid->addWidget(y_, row++, 3);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(3, 1);

    connect(family_, &QComboBox::currentTextChanged, this, [this](const QString& f) { edit([f](Look& l) { l.fontName = f; }); });
    connect(size_, &QDoubleSpinBox::valueChanged, this, [this](double v) { edit([v](Look& l) { l.fontSize = v; }); });
    const auto bit = [this](QCheckBox* box, int mask) {
        connect(box, &QCheckBox::toggled, this, [this, mask](bool on) {
            edit([mask, on](Look& l) { l.styleBits = on ? (l.styleBits | mask) : (l.styleBits & ~mask); });
        });
    };
    bit(bold_, 1);
    bit(italic_, 2);
    bit(underline_, 4);
    color_->picked = [this](qint32 rgb) { edit([rgb](Look& l) { l.textColor = rgb; }); };
    connect(fill_, &QCheckBox::toggled, this, [this](bool on) { edit([on](Look& l) { l.textFill = on; }); });
    connect(x_, &QSpinBox::valueChanged, this, [this](int v) { edit([v](Look& l) { l.textX = v; }); });
    connect(y_, &QSpinBox::valueChanged, this, [this](int v) { edit([v](Look& l) { l.textY = v; }); });
}

void TextPane::display(const Look& look)
{
    // A family the look names but this computer lacks is still shown by its name.
    if (family_->findText(look.fontName, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0 && !look.fontName.isEmpty())
        family_->insertItem(0, look.fontName);
    family_->setCurrentText(look.fontName);
    size_->setValue(look.fontSize);
    bold_->setChecked(look.styleBits & 1);
    italic_->setChecked(look.styleBits & 2);
    underline_->setChecked(look.styleBits & 4);
    color_->setColor(look.textColor);
    fill_->setChecked(look.textFill);
    x_->setValue(static_cast<int>(std::lround(look.textX)));
    y_->setValue(static_cast<int>(std::lround(look.textY)));
}

} // namespace tb
