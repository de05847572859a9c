// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/OfficeActions.h"
#include "app/WindowPrompts.h"
#include "import/Office.h"
#include "import/UserInterface.h"
#include "refdata/DeptTree.h"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTableView;
class QTimer;
class QTreeWidget;

namespace wb {

class DepartmentActions;
class ErrorListActions;
class FolderBrowser;
class ImportActions;
class StaffGridModel;
class WindowMenus;

// The office's one window: its controls under their own names, the database components of
// the office, and the handlers of its commands, which gather input, call the engine and show
// the result. It is the engine's user interface: Memo1 is the run log, Memo2 the error list,
// StatusBar1 the two status panels, ProgressBar1 the run's progress. A menu bar above the
// controls reaches the office folder, its database and its departments (WindowMenus).
//
// Every handler catches what escapes it (wb::Error, std::exception) and shows the text in an
// error box; the window stays open. During an import Import is disabled and Abort enabled,
// and the menus cannot change the office or its departments nor start another command; Exit
// then asks whether to stop the run, and if so closes the window once the row in progress is
// done.
//
// The office's components under the names the window's description gives them:
// ADOConnection1 is office().connection, AQ1 office().departmentQuery, AQ2
// office().staffQuery, ADOQuery1 office().statements, ADOTable1 office().personTable.
class TFKvDbf : public QWidget, public UserInterface, protected WindowPrompts {
    Q_OBJECT

public:
    // Where the start-up check looks for the office: in the current directory (a terminal's
    // start, or `wagebook FOLDER` after entering FOLDER), or in the office folder opened last
    // (the desktop's start, `wagebook --last-office`), asking for one when there is none.
    enum class StartUp { InCurrentFolder, LastOffice };

    // Fills the built-in tables and puts Qt's own texts into Chinese (see
    // installChineseQtTranslations); touches no database. The start-up check runs about a
    // second later, from the event loop.
    explicit TFKvDbf(StartUp startUp = StartUp::InCurrentFolder, QWidget* parent = nullptr);
    ~TFKvDbf() override;

    // Import: the code-file set-up and the run for the selected department, the selected
    // workbook and the chosen mode; in overwrite mode, with the workbook there, only after
    // the user confirmed the deletion.
    void Button1Click();
    // Abort: asks the run in progress to stop after its current row.
    void BitBtn1Click();
    // Exit: closes the window, or during a run asks it to stop and closes afterwards.
    void Button2Click();
    // Reloads the department tree.
    void Button3Click();
    // Lists the staff of the selected department in the grid and their count in panel 0.
    void TV1Click();
    // The start-up check. In the current folder: the database file there, then the tree; when
    // the file is missing it shows a box and ends the event loop with exit code 0, as it does
    // when the server the folder names cannot be used. From the office folder opened last:
    // that folder while it holds a database, else the chooser (see OfficeActions), whose
    // Cancel ends the event loop with exit code 0.
    void Timer1Timer();
    // The window lost the focus (from changeEvent). Nothing changes: a run goes on while the
    // user works in another window, and the tree draws its selection as when active.
    void FormDeactivate();
    void ASetDmExecute();
    void AInputExecute(bool dryRun = false);
    // Loads dm_jg and rebuilds the tree; a dm_jg without rows leaves the tree as it was.
    void FillDeptTree();
    // Rebuilds the tree after the departments changed: empty when dm_jg is; the node of
    // `select` then selected and its staff listed (none: the grid emptied).
    void reloadDepartments(const Gbk& select);

    // The office the window works on, and its folder (absolute).
    Office& office() { return *office_; }
    const QString& officeFolder() const { return officeFolder_; }
    // Switches the window to the office in `folder` once its database opened: the old
    // connection closed, the folder browser moved there, the tree reloaded, the grid
    // emptied, the folder remembered (LastOffice). Otherwise the window stays on its office.
    // Refused (Failed, without a box) during a run.
    Opening openOffice(const QString& folder);
    // The start-up's opening of the office in `folder`: the window works on it even when its
    // database does not open (a later command tries again), as it always has.
    Opening startOffice(const QString& folder);
    bool isRunning() const { return running_; }
    // Runs `work` as a run runs (Import disabled, Abort enabled, the menus held), what
    // escapes it shown in an error box. Afterwards the buttons are as after a run, or as they
    // were when it failed. Whether it finished; nothing happens during a run.
    bool runCommand(const std::function<void()>& work);
    // Runs `work`, showing what escapes it in an error box; whether it finished.
    bool attempt(const std::function<void()>& work);
    WindowPrompts& prompts() { return *this; }
    OfficeActions& officeActions() { return *Actions; }
    WindowMenus* menus() const { return Menus; }

    // The record (index into Depts.records()) of the selected tree node; -1 when none.
    int selectedDepartment() const;
    QString panelText(int panel) const;

    // UserInterface
    void addRunLog(const Gbk& line) override;
    void addError(const ErrorLine& error) override;
    void setStatus(int panel, const Gbk& text) override;
    void showMessage(const Gbk& text, const Gbk& caption, int flags) override;
    void processEvents() override;
    void clearAbort() override;
    bool abortRequested() const override { return abort_; }
    void setProgress(int done, int total) override;
    std::optional<std::string> askPassword(const std::string& workbook) override;

    QLabel* Label2;
    QComboBox* DriveComboBox1;
    QListWidget* DirectoryListBox1;
    QListWidget* FileListBox1;
    QPlainTextEdit* Memo1;
    QLabel* Label3;
    QPlainTextEdit* Memo2;
    ErrorListActions* ErrorList; // Memo2's lines in their parts, and its menu
    QFrame* Panel1;
    QRadioButton* RadioButton4;
    QRadioButton* RadioButton5;
    QPushButton* Button1;
    QPushButton* BitBtn1;
    QPushButton* Button2;
    QTableView* DBGrid1;
    QTreeWidget* TV1;
    QProgressBar* ProgressBar1;
    QStatusBar* StatusBar1;
    QPushButton* Button3;
    QTimer* Timer1;

    DeptTree Depts; // DeptList behind the tree's nodes
    StaffGridModel* DataSource1;
    FolderBrowser* Browser; // keeps DriveComboBox1, DirectoryListBox1, FileListBox1 in step

protected:
    // WindowPrompts: real boxes and dialogs, modal. Tests replace them so that nothing blocks.
    void messageBox(const QString& text, const QString& caption, int flags) override;
    bool question(const QString& text, const QString& caption, const QString& yes) override;
    bool confirm(const QString& text, const QString& caption) override;
    QString chooseFolder(const QString& caption) override;
    QString chooseFile(const QString& caption, const QString& filter) override;
    QString chooseSaveFile(const QString& caption, const QString& suggested,
                           const QString& filter) override;
    int execDialog(QDialog& dialog) override;

    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createControls();
    void createFolderBrowser();
    void createMemos();
    void createModeAndButtons();
    void createStaffGrid();
    void createDepartmentTree();
    void createProgressAndStatus();
    void createTimers();
    template <class Handler> void guarded(Handler&& handler);
    void showDeptTree();
    void showStaffGrid();
    // Empties the tree, the grid and the status panels, as before the start-up check.
    void clearOffice();
    // The office just opened: remembered, its departments shown.
    void showOpenedOffice();
    void addLine(QStringList& pending, const Gbk& gbkLine);
    // Puts the lines waiting for the run log and the error list into their memos.
    void showPendingLines();

    std::unique_ptr<Office> office_; // the connection, queries, statement runner, person table
    QString officeFolder_;
    StartUp startUp_;
    std::unique_ptr<OfficeActions> Actions;
    std::unique_ptr<DepartmentActions> DepartmentCommands;
    std::unique_ptr<ImportActions> ImportCommands;
    WindowMenus* Menus;
    QLabel* panels_[2];
    // During a run, lines reach the memos a few times a second rather than one by one: a
    // memo re-laid out and repainted for every row would make the window several times
    // slower than the command line.
    QTimer* lineTimer_;
    QStringList pendingRunLog_;
    QStringList pendingErrors_;
    bool abort_ = false;
    bool running_ = false;
    bool closeRequested_ = false;
};

} // namespace wb
