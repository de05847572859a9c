#pragma once

#include "import/Office.h"
#include "import/UserInterface.h"
#include "refdata/DeptTree.h"

#include <QStringList>
#include <QWidget>
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

class ErrorListActions;
class FolderBrowser;
class StaffGridModel;

// The office's one window: its controls under their own names, the database components of
// the office, and the handlers of its commands, which gather input, call the engine and show
// the result. It is the engine's user interface: Memo1 is the run log, Memo2 the error list,
// StatusBar1 the two status panels, ProgressBar1 the run's progress.
//
// Every handler catches what escapes it (wb::Error, std::exception) and shows the text in an
// error box; the window stays open. During an import Import is disabled and Abort enabled;
// Exit then asks the run to stop and closes the window once the row in progress is done.
class TFKvDbf : public QWidget, public UserInterface {
    Q_OBJECT

public:
    // Fills the built-in tables and puts Qt's own texts into Chinese (see
    // installChineseQtTranslations); touches no database. The start-up check runs about a
    // second later, from the event loop.
    explicit TFKvDbf(QWidget* parent = nullptr);

    // Import: the code-file set-up and the run for the selected department, the selected
    // workbook and the chosen mode.
    void Button1Click();
    // Abort: asks the run in progress to stop after its current row.
    void BitBtn1Click();
    // Exit: closes the window, or during a run asks it to stop and closes afterwards.
    void Button2Click();
    // Reloads the department tree.
    void Button3Click();
    // Lists the staff of the selected department in the grid and their count in panel 0.
    void TV1Click();
    // The start-up check: the database file in the current directory, then the tree. When
    // the file is missing it shows a box and ends the event loop with exit code 0.
    void Timer1Timer();
    // The window lost the focus (from changeEvent). Nothing changes: a run goes on while the
    // user works in another window, and the tree draws its selection as when active.
    void FormDeactivate();
    void ASetDmExecute();
    void AInputExecute();
    // Loads dm_jg and rebuilds the tree; a dm_jg without rows leaves the tree as it was.
    void FillDeptTree();

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

    Office office; // the connection, queries, statement runner, person table, code tables
    // The form's names for the office's components.
    Connection& ADOConnection1 = office.connection;
    Query& AQ1 = office.departmentQuery;
    Query& AQ2 = office.staffQuery;
    StatementRunner& ADOQuery1 = office.statements;
    PersonTable& ADOTable1 = office.personTable;
    DeptTree Depts; // DeptList behind the tree's nodes
    StaffGridModel* DataSource1;
    FolderBrowser* Browser; // keeps DriveComboBox1, DirectoryListBox1, FileListBox1 in step

protected:
    // A modal message box: OK button, stop icon when flags is 16, no icon when 0. Returns
    // when it is closed. Tests replace it so that nothing blocks.
    virtual void messageBox(const QString& text, const QString& caption, int flags);

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
    void addLine(QStringList& pending, const Gbk& gbkLine);
    // Puts the lines waiting for the run log and the error list into their memos.
    void showPendingLines();

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
