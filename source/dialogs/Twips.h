#pragma once

class QWidget;

namespace tb {

// Twips to pixels for the screen the widget is on: 1440 / logical dots per inch twips a pixel
// (15 at 96 dpi), so the layouts grow with the screen's text size.
int px(int twips, const QWidget* w);

} // namespace tb
