#pragma once

#include <QFont>

class QWidget;

namespace tb {

// Twips to pixels for the screen the widget is on: 1440 / logical dots per inch twips a pixel
// (15 at 96 dpi), so the layouts grow with the screen's text size.
int px(int twips, const QWidget* w);
// Places a control at a rectangle given in twips: left, top, width, height.
void placeTwips(QWidget* control, int left, int top, int width, int height);
// The small sans face the dialogs' layouts were drawn for. Liberation Sans has the widths of
// the face the twips were measured with; the desktop's default face is wider and cuts captions.
QFont dialogFont(qreal pointSize = 8.25, bool bold = false);

} // namespace tb
