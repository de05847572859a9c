// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Umain.h"

#include "app/DepartmentActions.h"
#include "app/FolderBrowser.h"
#include "app/ImportActions.h"
#include "app/LastOffice.h"
#include "app/MemoMenus.h"
#include "app/ModalDialogs.h"
#include "app/QtText.h"
#include "app/QtTranslations.h"
#include "app/StaffGridModel.h"
#include "app/WindowLook.h"
#include "app/WindowMenus.h"
#include "import/ImportCommand.h"
#include "import/OfficeFolder.h"
#include "refdata/Departments.h"
#include "text/Error.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

namespace wb {

namespace {

constexpr int kClientWidth = 982;
constexpr int kClientHeight = 664;
constexpr int kStatusHeight = 19;
constexpr int kTreeWidth = 267;
constexpr int kRecordRole = Qt::UserRole;
// How often lines added during a run are shown: often enough to look live.
constexpr int kLineIntervalMs = 50;

// The window as assistive technology should see it: a frame named by its caption, not the
// filler a plain widget is taken for.
QAccessibleInterface* accessibleWindow(const QString& className, QObject* object) {
    if (className == QLatin1String(TFKvDbf::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

TFKvDbf::TFKvDbf(StartUp startUp, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      office_(std::make_unique<Office>(officeDatabaseFile("."))),
      officeFolder_(QDir::currentPath()), startUp_(startUp),
      Actions(std::make_unique<OfficeActions>(*this)),
      DepartmentCommands(std::make_unique<DepartmentActions>(*this)),
      ImportCommands(std::make_unique<ImportActions>(*this)) {
    installChineseQtTranslations();
    QAccessible::installFactory(accessibleWindow);
    setWindowTitle(QStringLiteral("从(xls)数据导入zq"));
    setWindowIcon(programIcon());
    setFont(chineseFont(16));
    setFixedSize(kClientWidth, kClientHeight);
    createControls();
    Menus = new WindowMenus(*this, *Actions, *ImportCommands, *DepartmentCommands);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Timer1->start();
}

TFKvDbf::~TFKvDbf() = default;

void TFKvDbf::createControls() {
    createFolderBrowser();
    createMemos();
    createModeAndButtons();
    createStaffGrid();
    createDepartmentTree();
    createProgressAndStatus();
    createTimers();
}

void TFKvDbf::createFolderBrowser() {
    Label2 = new QLabel(QStringLiteral("数据目录"), this);
    Label2->setGeometry(42, 13, 64, 16);
    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setGeometry(9, 40, 144, 22);
    DirectoryListBox1 = new QListWidget(this);
    DirectoryListBox1->setGeometry(8, 64, 145, 225);
    FileListBox1 = new QListWidget(this);
    FileListBox1->setGeometry(8, 296, 145, 345);
    Browser = new FolderBrowser(DriveComboBox1, DirectoryListBox1, FileListBox1, this);
    // Each control is named for a screen reader after its label or what it holds.
    Label2->setBuddy(DirectoryListBox1);
    DriveComboBox1->setAccessibleName(QStringLiteral("驱动器"));
    DirectoryListBox1->setAccessibleName(QStringLiteral("数据目录"));
    FileListBox1->setAccessibleName(QStringLiteral("导入文件"));
}

void TFKvDbf::createMemos() {
    Memo1 = readOnlyMemo(this);
    Memo1->setGeometry(160, 40, 265, 257);
    Label3 = new QLabel(QStringLiteral("错误信息"), this);
    Label3->setGeometry(432, 16, 64, 16);
    Memo2 = readOnlyMemo(this);
    Memo2->setGeometry(432, 40, 273, 197);
    Memo1->setAccessibleName(QStringLiteral("运行记录"));
    Label3->setBuddy(Memo2);
    Memo2->setAccessibleName(QStringLiteral("错误信息"));
    addRunLogMenu(Memo1);
    ErrorList = new ErrorListActions(Memo2);
}

void TFKvDbf::createModeAndButtons() {
    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::NoFrame);
    Panel1->setGeometry(432, 232, 65, 73);
    Panel1->setAccessibleName(QStringLiteral("导入方式"));
    RadioButton4 = new QRadioButton(QStringLiteral("追加"), Panel1);
    RadioButton4->setGeometry(8, 16, 57, 17);
    RadioButton4->setChecked(true);
    RadioButton5 = new QRadioButton(QStringLiteral("覆盖"), Panel1);
    RadioButton5->setGeometry(8, 44, 57, 17);

    Button1 = commandButton(QStringLiteral("导入"), this);
    Button1->setGeometry(515, 258, 57, 25);
    BitBtn1 = commandButton(QStringLiteral("中止"), this);
    BitBtn1->setGeometry(587, 258, 57, 25);
    Button2 = commandButton(QStringLiteral("退出"), this);
    Button2->setGeometry(651, 258, 57, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TFKvDbf::createStaffGrid() {
    DataSource1 = new StaffGridModel(this);
    DBGrid1 = new QTableView(this);
    DBGrid1->setGeometry(160, 304, 553, 337);
    DBGrid1->setModel(DataSource1);
    DBGrid1->setAccessibleName(QStringLiteral("人员列表"));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 4);
    DBGrid1->horizontalHeader()->setDefaultSectionSize(64);
    DBGrid1->horizontalHeader()->setFont(chineseFont(16));
    showStaffGrid();
}

void TFKvDbf::createDepartmentTree() {
    TV1 = new DepartmentTree(this);
    TV1->setGeometry(kClientWidth - kTreeWidth, 0, kTreeWidth, kClientHeight - kStatusHeight);
    TV1->setAccessibleName(QStringLiteral("部门"));
    connect(TV1, &QTreeWidget::itemClicked, this, [this] { TV1Click(); });
    connect(static_cast<DepartmentTree*>(TV1), &DepartmentTree::clickedBesideNodes, this,
            [this] { TV1Click(); });
}

void TFKvDbf::createProgressAndStatus() {
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(0, 616, 585, 16);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setAccessibleName(QStringLiteral("进度"));

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setGeometry(0, kClientHeight - kStatusHeight, kClientWidth, kStatusHeight);
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setAccessibleName(QStringLiteral("状态栏"));
    // A status bar keeps the system's small font; the window's 16 pixels do not fit in 19.
    StatusBar1->setFont(chineseFont(12));
    for (QLabel*& panel : panels_) {
        panel = new QLabel(StatusBar1);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
    }
    // A panel's name is its text; what the text is about is its description.
    panels_[0]->setAccessibleDescription(QStringLiteral("人数"));
    panels_[1]->setAccessibleDescription(QStringLiteral("导入状态"));
    panels_[0]->setFixedWidth(120);
    StatusBar1->addWidget(panels_[0]);
    StatusBar1->addWidget(panels_[1], 1);
}

void TFKvDbf::createTimers() {
    Button3 = commandButton(QStringLiteral("调入机构"), this);
    Button3->setGeometry(315, 586, 75, 25);
    Button3->hide();
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });

    lineTimer_ = new QTimer(this);
    lineTimer_->setInterval(kLineIntervalMs);
    lineTimer_->setSingleShot(true);
    connect(lineTimer_, &QTimer::timeout, this, [this] { showPendingLines(); });

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
}

template <class Handler> void TFKvDbf::guarded(Handler&& handler) {
    try {
        handler();
    } catch (...) {
        // Nothing may leave a handler into the event loop; an unknown error has no text.
        showPendingLines();
        Actions->showFailure(QString::fromUtf8(failureText()), QStringLiteral("错误"));
    }
}

void TFKvDbf::Button1Click() {
    ImportCommands->import(false);
}

bool TFKvDbf::runCommand(const std::function<void()>& work) {
    if (running_)
        return false;
    const bool importWas = Button1->isEnabled();
    const bool abortWas = BitBtn1->isEnabled();
    const bool exitWas = Button2->isEnabled();
    running_ = true;
    Menus->setRunning(true);
    Button1->setEnabled(false);
    BitBtn1->setEnabled(true);
    const bool finished = attempt(work);
    running_ = false;
    Menus->setRunning(false);
    showPendingLines();
    if (finished) {
        Button1->setEnabled(true);
        BitBtn1->setEnabled(false);
        Button2->setEnabled(true);
    } else {
        Button1->setEnabled(importWas);
        BitBtn1->setEnabled(abortWas);
        Button2->setEnabled(exitWas);
    }
    if (closeRequested_)
        close();
    return finished;
}

bool TFKvDbf::attempt(const std::function<void()>& work) {
    bool finished = false;
    guarded([&] {
        work();
        finished = true;
    });
    return finished;
}

void TFKvDbf::BitBtn1Click() {
    abort_ = true;
}

void TFKvDbf::Button2Click() {
    close();
}

void TFKvDbf::Button3Click() {
    guarded([this] { FillDeptTree(); });
}

void TFKvDbf::TV1Click() {
    const int record = selectedDepartment();
    if (record < 0)
        return;
    guarded([&] {
        const int count = listStaff(office().staffQuery, Depts.departmentCode(record));
        showStaffGrid();
        setStatus(0, staffCountText(count));
    });
}

void TFKvDbf::Timer1Timer() {
    Timer1->stop();
    if (startUp_ == StartUp::LastOffice) {
        if (!Actions->startWithLastOffice())
            QCoreApplication::exit(0);
        return;
    }
    if (!databaseFilePresent(*this)) {
        QCoreApplication::exit(0);
        return;
    }
    // A server that cannot be reached or refuses the login is as good as no database: its
    // box names the server and the reason, and the program ends.
    if (startOffice(QDir::currentPath()) == Opening::Failed && officeUsesServer())
        QCoreApplication::exit(0);
}

Opening TFKvDbf::startOffice(const QString& folder) {
    Browser->open(folder);
    office_ = std::make_unique<Office>(officeDatabaseFile(toNativePath(folder)));
    officeFolder_ = QDir(folder).absolutePath();
    Button1->setEnabled(true);
    const Opening opening = Actions->connect(*office_, folder);
    if (opening == Opening::Opened)
        showOpenedOffice();
    else if (opening == Opening::AccessFile)
        Actions->offerMigration(QDir(folder).absoluteFilePath(QString::fromLatin1(kDatabaseFile)));
    return opening;
}

Opening TFKvDbf::openOffice(const QString& folder) {
    if (running_)
        return Opening::Failed;
    auto next = std::make_unique<Office>(officeDatabaseFile(toNativePath(folder)));
    const Opening opening = Actions->connect(*next, folder);
    if (opening != Opening::Opened)
        return opening;
    office_ = std::move(next);
    officeFolder_ = QDir(folder).absolutePath();
    Browser->open(officeFolder_);
    clearOffice();
    Button1->setEnabled(true);
    showOpenedOffice();
    return opening;
}

void TFKvDbf::showOpenedOffice() {
    rememberOfficeFolder(officeFolder_);
    guarded([this] { FillDeptTree(); });
}

void TFKvDbf::clearOffice() {
    Depts.clear();
    TV1->clear();
    DataSource1->clear();
    for (QLabel* panel : panels_)
        panel->clear();
    ProgressBar1->setValue(0);
}

void TFKvDbf::reloadDepartments(const Gbk& select) {
    guarded([&] {
        Depts.clear();
        TV1->clear();
        FillDeptTree();
        for (QTreeWidgetItemIterator it(TV1); *it && !select.empty(); ++it) {
            if (Depts.departmentCode((*it)->data(0, kRecordRole).toInt()) == select) {
                TV1->setCurrentItem(*it);
                TV1Click();
                return;
            }
        }
        DataSource1->clear();
        panels_[0]->clear();
    });
}

void TFKvDbf::FormDeactivate() {
    // Deliberately empty: see the declaration.
}

void TFKvDbf::ASetDmExecute() {
    office().loadCodeFile(*this);
}

void TFKvDbf::AInputExecute(bool dryRun) {
    ImportRequest request;
    request.departmentCode = Depts.departmentCode(selectedDepartment());
    request.workbookPath = toNativePath(Browser->selectedFile());
    request.overwrite = RadioButton5->isChecked();
    request.dryRun = dryRun;
    const RunOutcome outcome = importWithSummary(request, office(), *this);
    // The grid follows the staff count: both are refreshed only by a run that completed.
    if (outcome == RunOutcome::Completed && !dryRun && office().staffQuery.isOpen())
        showStaffGrid();
}

void TFKvDbf::FillDeptTree() {
    if (Depts.fill(loadDepartments(office().departmentQuery)))
        showDeptTree();
}

int TFKvDbf::selectedDepartment() const {
    const QList<QTreeWidgetItem*> selected = TV1->selectedItems();
    return selected.isEmpty() ? -1 : selected.first()->data(0, kRecordRole).toInt();
}

QString TFKvDbf::panelText(int panel) const {
    return panels_[panel]->text();
}

void TFKvDbf::addRunLog(const Gbk& line) {
    addLine(pendingRunLog_, line);
}

void TFKvDbf::addError(const ErrorLine& error) {
    ErrorList->append(error);
    addLine(pendingErrors_, error.line());
}

void TFKvDbf::addLine(QStringList& pending, const Gbk& gbkLine) {
    pending.append(fromGbk(gbkLine));
    if (!running_)
        showPendingLines();
    else if (!lineTimer_->isActive())
        lineTimer_->start();
}

void TFKvDbf::showPendingLines() {
    lineTimer_->stop();
    appendLines(Memo1, pendingRunLog_);
    appendLines(Memo2, pendingErrors_);
}

void TFKvDbf::setStatus(int panel, const Gbk& text) {
    panels_[panel]->setText(fromGbk(text));
}

void TFKvDbf::showMessage(const Gbk& text, const Gbk& caption, int flags) {
    // Once Exit was pressed during a run, its closing notices would only hold the window up.
    if (closeRequested_)
        return;
    // A box stands in front of the log: the log shows everything that led to it.
    showPendingLines();
    messageBox(fromGbk(text), fromGbk(caption), flags);
}

void TFKvDbf::processEvents() {
    QCoreApplication::processEvents();
}

void TFKvDbf::clearAbort() {
    abort_ = closeRequested_;
}

void TFKvDbf::setProgress(int done, int total) {
    ProgressBar1->setValue(total > 0 ? static_cast<int>(100LL * done / total) : 0);
}

std::optional<std::string> TFKvDbf::askPassword(const std::string& workbook) {
    if (closeRequested_)
        return std::nullopt;
    showPendingLines();
    return askWorkbookPassword(this, workbook);
}

void TFKvDbf::messageBox(const QString& text, const QString& caption, int flags) {
    showMessageBox(this, text, caption, flags);
}

bool TFKvDbf::question(const QString& text, const QString& caption, const QString& yes) {
    return askQuestion(this, text, caption, yes);
}

bool TFKvDbf::confirm(const QString& text, const QString& caption) {
    return askToConfirm(this, text, caption);
}

QString TFKvDbf::chooseFolder(const QString& caption) {
    return QFileDialog::getExistingDirectory(this, caption, officeFolder_);
}

QString TFKvDbf::chooseFile(const QString& caption, const QString& filter) {
    return QFileDialog::getOpenFileName(this, caption, officeFolder_, filter);
}

QString TFKvDbf::chooseSaveFile(const QString& caption, const QString& suggested,
                                const QString& filter) {
    return QFileDialog::getSaveFileName(this, caption, suggested, filter);
}

int TFKvDbf::execDialog(QDialog& dialog) {
    return dialog.exec();
}

void TFKvDbf::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        // The run waits while the question is open; once answered yes it stops after its
        // row, and the end of the command closes the window.
        if (!closeRequested_ &&
            confirm(QStringLiteral("正在导入，确定要中止并退出吗？"), QStringLiteral("退出"))) {
            closeRequested_ = true;
            abort_ = true;
        }
        return;
    }
    event->accept();
}

void TFKvDbf::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        FormDeactivate();
    QWidget::changeEvent(event);
}

void TFKvDbf::showDeptTree() {
    TV1->clear();
    const std::vector<DeptNode>& nodes = Depts.nodes();
    auto add = [&](auto& self, int node, QTreeWidgetItem* item) -> void {
        item->setText(0, fromGbk(nodes[node].text));
        item->setData(0, kRecordRole, nodes[node].record);
        for (int child : nodes[node].children)
            self(self, child, new QTreeWidgetItem(item));
    };
    for (int root : Depts.roots())
        add(add, root, new QTreeWidgetItem(TV1));
    TV1->expandAll();
    TV1->clearSelection();
}

void TFKvDbf::showStaffGrid() {
    if (office().staffQuery.isOpen())
        DataSource1->load(office().staffQuery);
    const std::vector<StaffGridModel::Column>& columns = StaffGridModel::columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].width > 0)
            DBGrid1->setColumnWidth(static_cast<int>(i), columns[i].width);
    }
}

} // namespace wb
