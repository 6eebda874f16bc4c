// Builds only where the library it is compiled with may use QtGui.
#include <QImage>
