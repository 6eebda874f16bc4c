#include "TitledFrame.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tb {

TitledFrame::TitledFrame(const QString& title, QWidget* parent)
    : QFrame(parent)
    , heading_(new QLabel(title, this))
    , body_(new QGridLayout)
{
    setFrameShape(QFrame::StyledPanel);
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    auto* column = new QVBoxLayout(this);
    column->addWidget(heading_);
    column->addLayout(body_, 1);
}

} // namespace tb
