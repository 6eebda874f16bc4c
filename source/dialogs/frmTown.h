#pragma once

#include "app/TownChoice.h"
#include "platform/CommandRunner.h"
#include "platform/LocationService.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tb {

// What the town chooser works with.
struct TownChooserEnv {
    CommandRunner& commands;
    TownChoice& choice;
    LocationService* location; // the desktop's location service, or nullptr
    QString serverProgram;     // the server that searches the geocoding service
    QString geocodingUrl;      // its base address; empty for the server's own default
    QString language = QStringLiteral("ru"); // the interface language: place names and numbers in it
};

// "Город": finds a town by part of its name (any script) or takes typed coordinates, lists the
// matching places most populous first, and hands the chosen one to TownChoice. Searches write
// nothing; every failure is said in the window in plain words. A window of its own that deletes
// itself when closed; Show() brings an open one forward.
class frmTown final : public QWidget {
public:
    explicit frmTown(TownChooserEnv env);

    void Show();
    // Searches for the text typed now (also run a moment after typing stops, and by Enter).
    void search();
    // Hands the selected place to the town choice.
    void chooseSelected();

    const QList<TownPlace>& places() const { return places_; }
    bool searching() const { return searching_; }

    QLabel* lblCurrent = nullptr;
    QLineEdit* txtTown = nullptr;
    QPushButton* cmdFind = nullptr;
    QPushButton* cmdHere = nullptr;
    QTreeWidget* lstPlaces = nullptr;
    QLabel* lblStatus = nullptr;
    QPushButton* cmdChoose = nullptr;
    QPushButton* cmdClose = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showCurrent();
    void startSearch(const QString& text);
    void searched(const QString& text, const CommandResult& result);
    void showPlaces(const QList<TownPlace>& places);
    void locate();
    void say(const QString& text, bool problem = false);
    void setBusy(bool busy);

    TownChooserEnv env_;
    QTimer typing_;
    QList<TownPlace> places_;
    bool searching_ = false;
    bool choosing_ = false;
    QString pending_;      // typed while a search ran: searched once it ends
    QString lastSearched_; // the text the list shows places for
};

// The chooser's plain words for what a town search ended with (its exit code); empty for places found.
QString townSearchProblem(const CommandResult& result);

} // namespace tb
