// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QFileSystemWatcher;
class QListWidget;

namespace wb {

// Keeps the window's drive selector, directory list and file list in step with the process's
// current directory. Opening a directory (double click or Enter in the directory list, or
// choosing a volume) makes it the current directory, so the code file and the workbook list
// come from there. The directory list shows the path from the volume's root down to the
// current directory, then the current directory's subdirectories, each entry's text the
// folder's name alone (the root's path for the first), drawn indented by its depth; the file
// list the current directory's "*.xls", "*.xlsx" and "*.xlsm" files (any letter case),
// following the directory as files are saved, copied, renamed or deleted there (the selected
// file stays selected while it is there). The widgets stay owned by the caller.
class FolderBrowser : public QObject {
public:
    FolderBrowser(QComboBox* drives, QListWidget* directories, QListWidget* files,
                  QObject* parent = nullptr);

    // Makes `path` the current directory and shows it. Returns false, changing nothing, when
    // the directory cannot be entered.
    bool open(const QString& path);
    // Shows the current directory as it is now.
    void refresh();
    // Absolute path of the selected file; empty when none is selected.
    QString selectedFile() const;

private:
    void fillDrives(const QString& current);
    void fillDirectories(const QString& current);
    void fillFiles(const QString& current);

    QComboBox* drives_;
    QListWidget* directories_;
    QListWidget* files_;
    QFileSystemWatcher* watcher_;
};

} // namespace wb
