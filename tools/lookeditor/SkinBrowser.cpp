#include "SkinBrowser.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

namespace tb {

namespace {

// The picture shrunk to the thumbnail size, or a crossed frame when it cannot be read.
QIcon thumbnail(const QString& file, int side)
{
    QImageReader reader(file);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid())
        reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio));
    QImage image = reader.read();
    QPixmap tile(side, side);
    tile.fill(Qt::transparent);
    QPainter p(&tile);
    if (image.isNull()) {
        p.setPen(QPen(Qt::gray, 2));
        p.drawRect(tile.rect().adjusted(1, 1, -1, -1));
        p.drawLine(tile.rect().topLeft(), tile.rect().bottomRight());
        p.drawLine(tile.rect().topRight(), tile.rect().bottomLeft());
    } else {
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        p.drawImage((side - image.width()) / 2, (side - image.height()) / 2, image);
    }
    return QIcon(tile);
}

} // namespace

SkinBrowser::SkinBrowser(SkinCatalog& catalog, QWidget* parent)
    : TitledFrame(QCoreApplication::translate("SkinBrowser", "Картинка"), parent)
    , catalog_(catalog)
    , folderBox_(new QComboBox(this))
    , pictures_(new QListWidget(this))
    , note_(new QLabel(this))
    , rename_(new QPushButton(QCoreApplication::translate("SkinBrowser", "Переименовать..."), this))
    , addPicture_(new QPushButton(QCoreApplication::translate("SkinBrowser", "Добавить картинку..."), this))
{
    folderBox_->setObjectName(QStringLiteral("folders"));
    pictures_->setObjectName(QStringLiteral("pictures"));
    pictures_->setViewMode(QListView::IconMode);
    pictures_->setIconSize(QSize(kThumbnail, kThumbnail));
    pictures_->setGridSize(QSize(kThumbnail + 28, kThumbnail + 34));
    pictures_->setResizeMode(QListView::Adjust);
    pictures_->setMovement(QListView::Static);
    pictures_->setWordWrap(true);
    pictures_->setMinimumSize(3 * (kThumbnail + 28) + 24, 2 * (kThumbnail + 34) + 8);
    note_->setWordWrap(true);
    note_->hide();
    auto* newFolder = new QPushButton(QCoreApplication::translate("SkinBrowser", "Новая папка..."), this);
    rename_->setObjectName(QStringLiteral("renameFolder"));
    addPicture_->setObjectName(QStringLiteral("addPicture"));

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QCoreApplication::translate("SkinBrowser", "Папка:"), this));
    folderRow->addWidget(folderBox_, 1);
    auto* folderButtons = new QHBoxLayout;
    folderButtons->addWidget(newFolder);
    folderButtons->addWidget(rename_);
    folderButtons->addStretch();
    QGridLayout* column = body();
    column->addLayout(folderRow, 0, 0);
    column->addLayout(folderButtons, 1, 0);
    column->addWidget(pictures_, 2, 0);
    column->addWidget(note_, 3, 0);
    column->addWidget(addPicture_, 4, 0, Qt::AlignLeft);
    column->setRowStretch(2, 1);

    connect(folderBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!showing_)
            showFolder(index);
    });
    connect(pictures_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!showing_ && item && pictureChosen)
            pictureChosen(item->data(Qt::UserRole).toString());
    });
    connect(newFolder, &QPushButton::clicked, this, &SkinBrowser::addFolder);
    connect(rename_, &QPushButton::clicked, this, &SkinBrowser::renameFolder);
    connect(addPicture_, &QPushButton::clicked, this, &SkinBrowser::addPicture);
}

void SkinBrowser::reload(const QString& picture)
{
    folders_ = catalog_.folders();
    showing_ = true;
    folderBox_->clear();
    for (const SkinFolder& f : folders_)
        folderBox_->addItem(f.path);
    folderBox_->setCurrentIndex(-1); // so that showPicture fills the thumbnails afresh
    showing_ = false;
    if (folders_.isEmpty()) {
        note_->setText(QCoreApplication::translate("SkinBrowser", "В файле %1 нет папок с картинками. Добавьте папку.")
                           .arg(catalog_.iniFile()));
        note_->show();
    }
    rename_->setEnabled(!folders_.isEmpty());
    addPicture_->setEnabled(!folders_.isEmpty());
    showPicture(picture);
}

void SkinBrowser::showFolder(int index)
{
    const bool wasShowing = showing_;
    showing_ = true;
    pictures_->clear();
    if (index >= 0 && index < folders_.size()) {
        for (const SkinPicture& pic : folders_[index].pictures) {
            auto* item = new QListWidgetItem(thumbnail(catalog_.localFile(pic.path), kThumbnail), pic.caption, pictures_);
            item->setData(Qt::UserRole, pic.path);
            item->setToolTip(pic.path);
        }
    }
    showing_ = wasShowing;
}

void SkinBrowser::showPicture(const QString& picture)
{
    showing_ = true;
    int folder = -1, row = -1;
    for (int f = 0; f < folders_.size() && folder < 0; ++f)
        for (int p = 0; p < folders_[f].pictures.size(); ++p)
            if (folders_[f].pictures[p].path == picture) {
                folder = f;
                row = p;
                break;
            }
    // The thumbnails are made again only for another folder: a pick in the list leaves it be.
    const int shownFolder = folder >= 0 ? folder : qMax(0, folderBox_->currentIndex());
    if (folderBox_->currentIndex() != shownFolder) {
        folderBox_->setCurrentIndex(shownFolder);
        showFolder(shownFolder);
    }
    pictures_->setCurrentRow(row);
    if (folder < 0 && !picture.isEmpty()) {
        note_->setText(QCoreApplication::translate("SkinBrowser", "Картинки «%1» нет в списке.").arg(picture));
        note_->show();
    } else if (!folders_.isEmpty()) {
        note_->hide();
    }
    showing_ = false;
}

void SkinBrowser::report(const SkinCatalog::Change& change)
{
    if (!change.ok())
        QMessageBox::warning(this, QCoreApplication::translate("SkinBrowser", "Ошибка..."), change.write.message);
}

void SkinBrowser::addFolder()
{
    bool ok = false;
    const QString name = QInputDialog::getText(this, QCoreApplication::translate("SkinBrowser", "Новая папка"),
        QCoreApplication::translate("SkinBrowser", "Имя новой папки с картинками:"), QLineEdit::Normal, QString(), &ok)
                             .trimmed();
    if (!ok || name.isEmpty())
        return;
    const SkinCatalog::Change change = catalog_.addFolder(name);
    report(change);
    const QString current = pictures_->currentItem() ? pictures_->currentItem()->data(Qt::UserRole).toString() : QString();
    reload(current);
    if (change.ok()) {
        showing_ = true;
        folderBox_->setCurrentIndex(folderBox_->count() - 1);
        showFolder(folderBox_->count() - 1);
        showing_ = false;
    }
}

void SkinBrowser::renameFolder()
{
    const int index = folderBox_->currentIndex();
    if (index < 0 || index >= folders_.size())
        return;
    const QString oldPath = folders_[index].path;
    bool ok = false;
    const QString name = QInputDialog::getText(this, QCoreApplication::translate("SkinBrowser", "Переименовать папку"),
        QCoreApplication::translate("SkinBrowser", "Новое имя папки «%1»:").arg(oldPath), QLineEdit::Normal, oldPath, &ok)
                             .trimmed();
    if (!ok || name.isEmpty() || name == oldPath)
        return;
    const SkinCatalog::Change change = catalog_.renameFolder(folders_[index].number, name);
    report(change);
    if (change.ok() && folderRenamed)
        folderRenamed(oldPath, name);
    folders_ = catalog_.folders();
    showing_ = true;
    folderBox_->setItemText(index, index < folders_.size() ? folders_[index].path : name);
    showFolder(index);
    showing_ = false;
}

void SkinBrowser::addPicture()
{
    const int index = folderBox_->currentIndex();
    if (index < 0 || index >= folders_.size())
        return;
    const QString file = QFileDialog::getOpenFileName(this,
        QCoreApplication::translate("SkinBrowser", "Добавить картинку в папку «%1»").arg(folders_[index].path), QString(),
        QCoreApplication::translate("SkinBrowser", "Картинки (*.png *.jpg *.jpeg *.bmp *.gif);;Все файлы (*)"));
    if (file.isEmpty())
        return;
    const SkinCatalog::Change change = catalog_.addPicture(folders_[index].number, file);
    report(change);
    folders_ = catalog_.folders();
    showing_ = true;
    showFolder(index);
    showing_ = false;
    if (change.ok()) {
        showPicture(change.picturePath);
        if (pictureChosen)
            pictureChosen(change.picturePath);
    }
}

} // namespace tb
