#include "frmAbout.h"

#include "Twips.h"

#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace tb {

namespace {

const QColor kBackground(0x68, 0xA5, 0xE8);
const QColor kFieldText(0x00, 0x00, 0xC0);
const QColor kFieldFace(0xC0, 0xFF, 0xC0);

void setTextColour(QWidget* w, const QColor& text)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::WindowText, text);
    w->setPalette(palette);
}

void setColours(QWidget* w, const QColor& text, const QColor& face)
{
    QPalette palette = w->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Window, face);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

QFrame* frame(QWidget* parent, const char* name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return f;
}

// A read-only text the mouse can select and copy (the box's text fields).
QLabel* field(QWidget* parent, const char* name, const QString& text, QFont font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

// A filled band behind address lines.
void band(QWidget* parent, int left, int top, int width, int height)
{
    auto* shape = new QFrame(parent);
    shape->setObjectName(QStringLiteral("shp"));
    shape->setFrameStyle(QFrame::Box | QFrame::Plain);
    setColours(shape, kFieldText, kFieldFace);
    placeTwips(shape, left, top, width, height);
}

} // namespace

QString frmAbout::versionText(int major, int minor)
{
    return QCoreApplication::translate("frmAbout", "ThermoBadge (version %1.%2)").arg(major).arg(minor, 2, 10, QLatin1Char('0'));
}

frmAbout::frmAbout(int major, int minor)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A title and a close button, nothing to minimise or maximise: window managers that follow
    // the Motif hints offer neither.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QCoreApplication::translate("frmAbout", "О программе..."));
    setFont(dialogFont(8.25, false));
    QPalette background = palette();
    background.setColor(QPalette::Window, kBackground);
    setPalette(background);
    setAutoFillBackground(true);
    setFixedSize(px(4050, this), px(2970, this));

    QFrame* outer = frame(this, "fram0");
    placeTwips(outer, 30, -60, 3975, 2625);
    QLabel* txtVer = field(outer, "txtVer", versionText(major, minor), dialogFont(12, true));
    // Written from the top, as in a text box: centred, the descenders would run under fram1.
    txtVer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColour(txtVer, Qt::white);
    placeTwips(txtVer, 75, 120, 3870, 375);

    QFrame* inner = frame(outer, "fram1");
    placeTwips(inner, 60, 420, 3870, 2145);
    // The bands first, so that the labels and fields lie on them.
    band(inner, 600, 285, 3150, 525);
    band(inner, 600, 1005, 3150, 840);
    auto* mail = new QLabel(QStringLiteral("Mail"), inner);
    mail->setObjectName(QStringLiteral("lbl0"));
    placeTwips(mail, 90, 435, 375, 225);
    auto* www = new QLabel(QStringLiteral("www"), inner);
    www->setObjectName(QStringLiteral("lbl1"));
    placeTwips(www, 75, 1290, 420, 225);
    struct Address {
        const char* name;
        QString text;
        int left, top, width, height;
    };
    const Address addresses[] = {
        {"txt0", QStringLiteral("thermo@example.net"), 1110, 435, 1995, 255},
        {"txt1", QStringLiteral("thermobadge.example.net"), 900, 1200, 2580, 195},
        {"txt3", QStringLiteral("thermobadge.example.net/skins"), 855, 1455, 2535, 195},
    };
    for (const Address& a : addresses) {
        QLabel* txt = field(inner, a.name, a.text, font());
        setColours(txt, kFieldText, kFieldFace);
        placeTwips(txt, a.left, a.top, a.width, a.height);
    }

    // The author line belongs to the box and lies over the frames.
    QLabel* author = field(this, "txt2", QStringLiteral("ThermoBadge project, 2026"), dialogFont(8.25, true));
    setTextColour(author, Qt::white);
    placeTwips(author, 180, 2250, 3690, 225);
    author->raise();

    auto* cmdOk = new QPushButton(QCoreApplication::translate("frmAbout", "Ok!"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setFont(dialogFont(8.25, true));
    // The face colour goes through the palette, so the desktop's style shades it as it shades
    // every button (Fusion softens it a little) instead of a flat patch.
    QPalette face = cmdOk->palette();
    face.setColor(QPalette::Button, kFieldFace);
    cmdOk->setPalette(face);
    // Outside a dialog a button takes Enter only when it is told to.
    cmdOk->setAutoDefault(true);
    placeTwips(cmdOk, 30, 2610, 3975, 315);
    connect(cmdOk, &QPushButton::clicked, this, &QWidget::close);
    cmdOk->setFocus();

    // The box sees every key before the control that has the focus.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tb
