// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CellsWindow.h"

#include "app/QtText.h"
#include "app/SheetCellsModel.h"
#include "import/TitleColumnMap.h"

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace wb {

namespace {

QTableView* cellTable(QWidget* parent) {
    auto* table = new QTableView(parent);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->setFrameShape(QFrame::NoFrame);
    // By pixels, so that the title row and the rows below scroll to the same place.
    table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    return table;
}

} // namespace

CellsWindow::CellsWindow(const QString& fileName, const Sheet& sheet, QWidget* parent)
    : QDialog(parent), missingTitles_(new QLabel(this)), titleRow_(cellTable(this)),
      rows_(cellTable(this)) {
    setObjectName(QStringLiteral("cellsWindow"));
    setWindowTitle(fileName);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(900, 600);

    TitleColumnMap titles;
    titles.scan(sheet);
    if (!titles.layoutMatches())
        missingTitles_->setText(fromGbk(missingTitlesLine(titles.missingTitles())));
    missingTitles_->setVisible(!missingTitles_->text().isEmpty());

    const auto cells = std::make_shared<const SheetCellsModel::Cells>(sheet);
    titleRow_->setModel(new SheetCellsModel(cells, 1, 1, titleRow_));
    rows_->setModel(new SheetCellsModel(cells, 2, cells->rows(), rows_));
    titleRow_->setAccessibleName(QStringLiteral("标题行"));
    rows_->setAccessibleName(QStringLiteral("工作簿内容"));
    keepColumnsInStep();

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(missingTitles_);
    layout->addSpacing(missingTitles_->isVisible() ? 4 : 0);
    layout->addWidget(titleRow_);
    layout->addWidget(rows_, 1);
}

void CellsWindow::keepColumnsInStep() {
    // One table to the eye: the title row carries the column letters and scrolls with the
    // rows below it, whose own header is hidden; both row headers are as wide.
    rows_->horizontalHeader()->hide();
    titleRow_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // An idle scroll bar beside the title row keeps its columns above those of the rows.
    titleRow_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    titleRow_->verticalScrollBar()->setEnabled(false);
    rows_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int rowHeaderWidth = rows_->verticalHeader()->fontMetrics().horizontalAdvance(
                                   QString::number(rows_->model()->rowCount() + 1)) +
                               16;
    for (QTableView* table : {titleRow_, rows_})
        table->verticalHeader()->setFixedWidth(rowHeaderWidth);
    titleRow_->setFixedHeight(titleRow_->horizontalHeader()->sizeHint().height() +
                              titleRow_->verticalHeader()->defaultSectionSize());
    connect(titleRow_->horizontalHeader(), &QHeaderView::sectionResized, rows_,
            [this](int column, int, int width) { rows_->setColumnWidth(column, width); });
    connect(rows_->horizontalScrollBar(), &QScrollBar::valueChanged,
            titleRow_->horizontalScrollBar(), &QScrollBar::setValue);
    connect(titleRow_->horizontalScrollBar(), &QScrollBar::valueChanged,
            rows_->horizontalScrollBar(), &QScrollBar::setValue);
}

} // namespace wb
