// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FolderBrowser.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileSystemWatcher>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

namespace wb {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;

QString indent(int depth) {
    return QString(2 * depth, QLatin1Char(' '));
}

// Draws a directory list entry indented by its depth (two blanks a level before the name,
// the icon staying at the edge), while the entry's text, which keyboard search and screen
// readers see, is the folder's name alone.
class IndentedNames : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text.prepend(indent(index.data(kDepthRole).toInt()));
    }
};

// The mounted volume that holds `path`: the one with the longest root that contains it.
QString volumeRoot(const QString& path) {
    return QStorageInfo(path).rootPath();
}

} // namespace

FolderBrowser::FolderBrowser(QComboBox* drives, QListWidget* directories, QListWidget* files,
                             QObject* parent)
    : QObject(parent), drives_(drives), directories_(directories), files_(files),
      watcher_(new QFileSystemWatcher(this)) {
    directories_->setItemDelegate(new IndentedNames(directories_));
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
            [this] { fillFiles(QDir::currentPath()); });
    connect(drives_, &QComboBox::activated, this,
            [this](int index) { open(drives_->itemData(index, kPathRole).toString()); });
    connect(directories_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { open(item->data(kPathRole).toString()); });
    refresh();
}

bool FolderBrowser::open(const QString& path) {
    if (path.isEmpty() || !QDir::setCurrent(path)) {
        refresh();
        return false;
    }
    refresh();
    return true;
}

void FolderBrowser::refresh() {
    const QString current = QDir::currentPath();
    if (watcher_->directories() != QStringList{current}) {
        if (!watcher_->directories().isEmpty())
            watcher_->removePaths(watcher_->directories());
        watcher_->addPath(current);
    }
    fillDrives(current);
    fillDirectories(current);
    fillFiles(current);
}

QString FolderBrowser::selectedFile() const {
    const QList<QListWidgetItem*> selected = files_->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->data(kPathRole).toString();
}

void FolderBrowser::fillDrives(const QString& current) {
    const QSignalBlocker block(drives_);
    drives_->clear();
    const QString currentRoot = volumeRoot(current);
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    }
    if (!roots.contains(currentRoot))
        roots.append(currentRoot);
    roots.sort();
    for (const QString& root : roots)
        drives_->addItem(root, root);
    drives_->setCurrentIndex(static_cast<int>(roots.indexOf(currentRoot)));
}

void FolderBrowser::fillDirectories(const QString& current) {
    const QSignalBlocker block(directories_);
    directories_->clear();
    const QStyle* style = QApplication::style();
    const QIcon openIcon = style->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style->standardIcon(QStyle::SP_DirClosedIcon);

    // The path from the volume root down to the current directory.
    QStringList chain;
    const QString root = QDir::cleanPath(volumeRoot(current));
    for (QDir dir(current);;) {
        chain.prepend(dir.absolutePath());
        if (QDir::cleanPath(dir.absolutePath()) == root || !dir.cdUp())
            break;
    }
    int depth = 0;
    for (const QString& path : chain) {
        const QString name = depth == 0 ? QDir::toNativeSeparators(path) : QDir(path).dirName();
        auto* item = new QListWidgetItem(openIcon, name, directories_);
        item->setData(kPathRole, path);
        item->setData(kDepthRole, depth++);
    }
    directories_->setCurrentRow(static_cast<int>(chain.size()) - 1);

    const QDir here(current);
    for (const QString& name : here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        auto* item = new QListWidgetItem(closedIcon, name, directories_);
        item->setData(kPathRole, here.absoluteFilePath(name));
        item->setData(kDepthRole, depth);
    }
}

void FolderBrowser::fillFiles(const QString& current) {
    const QString selected = selectedFile();
    files_->clear();
    const QDir here(current);
    const QStringList workbooks{QStringLiteral("*.xls"), QStringLiteral("*.xlsx"),
                                QStringLiteral("*.xlsm")};
    for (const QString& name : here.entryList(workbooks, QDir::Files, QDir::Name)) {
        auto* item = new QListWidgetItem(name, files_);
        item->setData(kPathRole, here.absoluteFilePath(name));
        if (item->data(kPathRole).toString() == selected)
            files_->setCurrentItem(item);
    }
}

} // namespace wb
