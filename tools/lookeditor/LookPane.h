#pragma once

#include "Look.h"

#include <QWidget>

#include <functional>

namespace tb {

// A change the user made to some fields of the look.
using LookEdit = std::function<void(Look& look)>;

// A part of the editor window that shows some fields of the look and reports each change the
// user makes as an edit of exactly the fields touched, so values the user did not touch are
// never rounded by a control on the way.
class LookPane : public QWidget {
public:
    using QWidget::QWidget;

    // Shows the look without reporting it as an edit.
    void setLook(const Look& look)
    {
        showing_ = true;
        display(look);
        showing_ = false;
    }

    // Runs for every change the user makes.
    std::function<void(const LookEdit& edit)> edited;

protected:
    virtual void display(const Look& look) = 0;
    void edit(const LookEdit& change)
    {
        if (!showing_ && edited)
            edited(change);
    }

private:
    bool showing_ = false;
};

} // namespace tb
