#pragma once

#include <QWidget>

namespace tb {

// The about box: program name and version, the project's addresses, "Ok!". Modeless, without
// owner; Esc, Enter or the button close it.
class frmAbout final : public QWidget {
public:
    frmAbout(int major, int minor);
    // "ThermoBadge (version 1.04)" for version 1.4: the minor number has at least two digits.
    static QString versionText(int major, int minor);
};

} // namespace tb
