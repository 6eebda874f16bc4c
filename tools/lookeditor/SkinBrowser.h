#pragma once

#include "SkinCatalog.h"

#include "TitledFrame.h"

#include <functional>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace tb {

// The skin folders of the skin list with thumbnails of their pictures; picks the look's
// picture, and adds folders and pictures or renames a folder (asking the user for names and
// files, telling them plainly when the list cannot be changed).
class SkinBrowser final : public TitledFrame {
public:
    explicit SkinBrowser(SkinCatalog& catalog, QWidget* parent = nullptr);

    // Reads the list again and shows the folder of `picture` with it selected.
    void reload(const QString& picture);
    // Selects the picture when it is listed (switching folders if needed); no event.
    void showPicture(const QString& picture);

    // The user picked a picture (its path in the list, "Winter\snow.png").
    std::function<void(const QString& picture)> pictureChosen;
    // A folder was renamed on disk and in the list.
    std::function<void(const QString& oldPath, const QString& newPath)> folderRenamed;

    static constexpr int kThumbnail = 64;

private:
    void showFolder(int index);
    void addFolder();
    void renameFolder();
    void addPicture();
    void report(const SkinCatalog::Change& change);

    SkinCatalog& catalog_;
    QList<SkinFolder> folders_;
    QComboBox* folderBox_;
    QListWidget* pictures_;
    QLabel* note_;
    QPushButton* rename_;
    QPushButton* addPicture_;
    bool showing_ = false;
};

} // namespace tb
