#include "importwindow.h"

#include "platform/core/filedialog.h"
#include "platform/core/globals.h"
#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"
#include "platform/widgets/named.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qv {

namespace {

const QString kTitle = QStringLiteral("导入礼单");

enum PreviewColumn { Included, Row, Verdict, Name, Kind, Amount, Date, Reason, Note, Columns };

QString verdictText(ImportRow::Verdict verdict)
{
    switch (verdict) {
    case ImportRow::Verdict::Ok:
        return QStringLiteral("可导入");
    case ImportRow::Verdict::Refused:
        return QStringLiteral("拒收");
    case ImportRow::Verdict::Duplicate:
        return QStringLiteral("可能重复");
    }
    return {};
}

QString shownDate(const QString& stored)
{
    return stored.size() == 8
               ? QStringLiteral("%1-%2-%3").arg(stored.left(4), stored.mid(4, 2), stored.mid(6, 2))
               : stored;
}

} // namespace

void ImportPreviewModel::setPreview(std::optional<ImportPreview> preview)
{
    beginResetModel();
    m_preview = std::move(preview);
    endResetModel();
}

int ImportPreviewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_preview ? 0 : int(m_preview->rows.size());
}

int ImportPreviewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant ImportPreviewModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) || !m_preview)
        return {};
    const ImportRow& row = m_preview->rows[index.row()];
    if (role == Qt::CheckStateRole && index.column() == Included)
        return row.included ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::ForegroundRole && index.column() == Verdict && row.verdict != ImportRow::Verdict::Ok)
        return QColor(row.verdict == ImportRow::Verdict::Refused ? Qt::red : Qt::darkYellow);
    if (role == Qt::TextAlignmentRole && (index.column() == Amount || index.column() == Row))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const Gift& g = row.gift;
    switch (index.column()) {
    case Row:
        return row.sheetRow;
    case Verdict:
        return verdictText(row.verdict);
    case Name:
        return g.name;
    case Kind:
        return g.kind;
    case Amount:
        return g.amount.isZero() ? QString()
                                 : (g.amount < Money() ? -g.amount : g.amount).format(u"#,##0.00");
    case Date:
        return shownDate(g.giftDate);
    case Reason:
        return g.reason;
    case Note:
        return row.reason;
    default:
        return {};
    }
}

bool ImportPreviewModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        !m_preview || role != Qt::CheckStateRole || index.column() != Included)
        return false;
    m_preview->rows[index.row()].included = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit inclusionChanged();
    return true;
}

Qt::ItemFlags ImportPreviewModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == Included)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ImportPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const captions[Columns] = {"导入", "行号", "结果", "姓名", "收/送",
                                                  "金额", "日期", "事由", "说明"};
    return section >= 0 && section < Columns ? QString::fromUtf8(captions[section]) : QVariant();
}

ImportWindow::ImportWindow(Transaction& transaction, QWidget* parent)
    : QWidget(parent), m_tr(transaction), m_import(transaction)
{
    setObjectName(QStringLiteral("w_drld"));
    setWindowTitle(kTitle);

    m_fileName = named<QLineEdit>(this, "sle_1");
    m_fileName->setReadOnly(true);
    m_choose = namedButton(this, "cb_1", "选择文件…");
    m_sheets = named<QComboBox>(this, "ddlb_1");
    m_defaultKind = named<QComboBox>(this, "ddlb_2");
    m_defaultKind->addItems({QStringLiteral("收情"), QStringLiteral("送情")});

    m_columns = new QTableWidget(2, 0, this);
    m_columns->setObjectName(QStringLiteral("dw_2"));
    m_columns->setVerticalHeaderLabels({QStringLiteral("表头"), QStringLiteral("内容")});
    m_columns->horizontalHeader()->hide();
    m_columns->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_columns->setFixedHeight(m_columns->verticalHeader()->length() + 2 * m_columns->frameWidth() +
                              m_columns->horizontalScrollBar()->sizeHint().height() + 8);

    m_model = new ImportPreviewModel(this);
    m_rows = named<QTableView>(this, "dw_1");
    m_rows->setModel(m_model);
    m_rows->verticalHeader()->hide();
    m_rows->horizontalHeader()->setStretchLastSection(true);
    m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);

    m_summary = named<QLabel>(this, "st_1");
    m_summary->setWordWrap(true);
    m_importButton = namedButton(this, "cb_2", "导入");

    m_history = new QTableWidget(0, 6, this);
    m_history->setObjectName(QStringLiteral("dw_3"));
    m_history->setHorizontalHeaderLabels({QStringLiteral("次"), QStringLiteral("文件"),
                                          QStringLiteral("导入时间"), QStringLiteral("操作员"),
                                          QStringLiteral("条数"), QStringLiteral("撤销时间")});
    m_history->verticalHeader()->hide();
    m_history->horizontalHeader()->setStretchLastSection(true);
    m_history->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_history->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_history->setSelectionMode(QAbstractItemView::SingleSelection);
    m_undo = namedButton(this, "cb_3", "撤销导入");
    m_exit = namedButton(this, "cb_4", "退出");

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("文件："), this));
    top->addWidget(m_fileName, 1);
    top->addWidget(m_choose);
    top->addWidget(new QLabel(QStringLiteral("工作表："), this));
    top->addWidget(m_sheets);
    top->addWidget(new QLabel(QStringLiteral("没有收/送列时按："), this));
    top->addWidget(m_defaultKind);
    auto* actions = new QHBoxLayout;
    actions->addWidget(m_summary, 1);
    actions->addWidget(m_importButton);
    auto* past = new QGroupBox(QStringLiteral("导入记录"), this);
    auto* pastLayout = new QHBoxLayout(past);
    pastLayout->addWidget(m_history, 1);
    auto* pastButtons = new QVBoxLayout;
    pastButtons->addWidget(m_undo);
    pastButtons->addStretch();
    pastButtons->addWidget(m_exit);
    pastLayout->addLayout(pastButtons);
    past->setMaximumHeight(220);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_columns);
    layout->addWidget(m_rows, 1);
    layout->addLayout(actions);
    layout->addWidget(past);
    resize(960, 640);

    connect(m_choose, &QPushButton::clicked, this, &ImportWindow::chooseFile);
    connect(m_sheets, &QComboBox::activated, this, &ImportWindow::readSheet);
    connect(m_defaultKind, &QComboBox::activated, this, &ImportWindow::refreshPreview);
    connect(m_model, &ImportPreviewModel::inclusionChanged, this, &ImportWindow::showSummary);
    connect(m_importButton, &QPushButton::clicked, this, &ImportWindow::importRows);
    connect(m_undo, &QPushButton::clicked, this, &ImportWindow::undoSelected);
    connect(m_exit, &QPushButton::clicked, this, &QWidget::close);

    QString why;
    m_ready = m_import.ledgerReady(why);
    if (!m_ready) {
        showProblem(why);
        m_choose->setEnabled(false);
        m_undo->setEnabled(false);
    } else {
        showSummary();
        loadHistory();
    }
}

void ImportWindow::showProblem(const QString& text)
{
    QPalette red = m_summary->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_summary->setPalette(red);
    m_summary->setText(text);
    m_importButton->setEnabled(false);
}

void ImportWindow::chooseFile()
{
    const QString start = m_file.isEmpty() ? globals().ls_dir : QFileInfo(m_file).absolutePath();
    const QString file =
        openFileName(kTitle, start, QStringLiteral("礼单 (*.xlsx *.xls *.csv);;所有文件 (*)"));
    if (!file.isEmpty())
        openFile(file);
}

bool ImportWindow::openFile(const QString& file)
{
    QString error;
    const auto names = sheetNames(file, error);
    if (!names) {
        messagebox(kTitle, error, Icon::StopSign);
        return false;
    }
    m_file = file;
    m_fileName->setText(QDir::toNativeSeparators(file));
    m_sheets->clear();
    m_sheets->addItems(*names);
    readSheet(0);
    return m_sheet.has_value();
}

void ImportWindow::readSheet(int sheet)
{
    QString error;
    m_sheet = qv::readSheet(m_file, sheet, error);
    if (!m_sheet) {
        m_model->setPreview(std::nullopt);
        showProblem(error);
        return;
    }
    m_mapping = guessMapping(*m_sheet);
    showMapping();
    refreshPreview();
}

void ImportWindow::showMapping()
{
    const int columns = int(m_mapping.fields.size());
    m_columns->setColumnCount(columns);
    for (int c = 0; c < columns; ++c) {
        m_columns->setItem(0, c, new QTableWidgetItem(m_mapping.headers.value(c)));
        auto* choice = qobject_cast<QComboBox*>(m_columns->cellWidget(1, c));
        if (!choice) {
            choice = new QComboBox(m_columns);
            choice->setObjectName(QStringLiteral("ddlb_col%1").arg(c + 1));
            for (ImportField f : importFields())
                choice->addItem(importFieldCaption(f));
            connect(choice, &QComboBox::activated, this, [this, c](int index) { fieldChosen(c, index); });
            m_columns->setCellWidget(1, c, choice);
        }
        choice->setCurrentIndex(int(importFields().indexOf(m_mapping.fields[c])));
    }
    m_columns->resizeColumnsToContents();
}

void ImportWindow::fieldChosen(int column, int choice)
{
    m_mapping.setField(column, importFields().value(choice));
    showMapping(); // a field chosen for this column leaves the one that had it
    refreshPreview();
}

void ImportWindow::refreshPreview()
{
    if (!m_sheet)
        return;
    ImportOptions options;
    options.defaultKind = m_defaultKind->currentText();
    QString error;
    auto preview = m_import.preview(*m_sheet, m_mapping, options, error);
    if (preview)
        preview->fileName = m_file;
    m_model->setPreview(std::move(preview));
    if (!m_model->preview()) {
        showProblem(error);
        return;
    }
    m_rows->resizeColumnsToContents();
    showSummary();
}

void ImportWindow::showSummary()
{
    m_summary->setPalette(palette());
    const auto& preview = m_model->preview();
    if (!preview) {
        m_summary->setText(QStringLiteral("请选择礼单文件（.xlsx、.xls 或 .csv）。"));
        m_importButton->setEnabled(false);
        return;
    }
    QString text = preview->summary(0).first();
    if (preview->blocked())
        text += QStringLiteral("\n拒收的行要改正文件后重新选择，或者去掉它们的勾，才能导入。");
    m_summary->setText(text);
    m_importButton->setEnabled(m_ready && !preview->blocked() && preview->toImport() > 0);
}

bool ImportWindow::importRows()
{
    const auto& preview = m_model->preview();
    if (!preview)
        return false;
    if (preview->blocked()) {
        messagebox(kTitle,
                   QStringLiteral("有 %1 行被拒收：请改正文件后重新选择，或者去掉这些行的勾，再导入。")
                       .arg(preview->count(ImportRow::Verdict::Refused)),
                   Icon::Exclamation);
        return false;
    }
    const int total = preview->toImport();
    if (total == 0) {
        messagebox(kTitle, QStringLiteral("没有可导入的行。"), Icon::Exclamation);
        return false;
    }
    if (messagebox(kTitle, QStringLiteral("把 %1 条记录导入账本吗？").arg(total), Icon::Question,
                   Buttons::YesNo, 1) != 1)
        return false;
    QProgressDialog progress(QStringLiteral("正在导入……"), QStringLiteral("取消"), 0, total, this);
    progress.setWindowTitle(kTitle);
    progress.setMinimumDuration(500);
    // The other windows read through the same connection, inside the
    // import's transaction: nothing else may run until it ends.
    progress.setWindowModality(Qt::ApplicationModal);
    const QString who = globals().g_operater.isEmpty() ? globals().bh_str : globals().g_operater;
    const ImportResult result = m_import.run(*preview, who, [&progress](int done, int) {
        progress.setValue(done);
        return !progress.wasCanceled();
    });
    progress.reset();
    if (!result.ok) {
        messagebox(kTitle, result.error, Icon::StopSign);
        return false;
    }
    messagebox(kTitle, importDoneText(result), Icon::Information);
    loadHistory();
    refreshPreview(); // what went in is now in the ledger
    return true;
}

void ImportWindow::loadHistory()
{
    QString error;
    const auto list = m_import.history(error);
    m_history->setRowCount(0);
    if (!list)
        return;
    m_history->setRowCount(int(list->size()));
    for (int r = 0; r < list->size(); ++r) {
        const ImportRecord& record = list->at(r);
        const QStringList cells = {
            QString::number(record.drid),  record.fileName, record.time, record.operatorName,
            QString::number(record.count), record.undoneAt};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setData(Qt::UserRole, record.drid);
            m_history->setItem(r, c, item);
        }
    }
    m_history->resizeColumnsToContents();
}

bool ImportWindow::undoSelected()
{
    const int row = m_history->currentRow();
    if (row < 0 || !m_history->item(row, 0)) {
        messagebox(kTitle, QStringLiteral("请先在导入记录中选择要撤销的一次导入。"), Icon::Exclamation);
        return false;
    }
    const int drid = m_history->item(row, 0)->data(Qt::UserRole).toInt();
    const QString file = m_history->item(row, 1)->text();
    QString error;
    const auto plan = m_import.planUndo(drid, error);
    if (!plan) {
        messagebox(kTitle, error, Icon::StopSign);
        return false;
    }
    if (plan->alreadyUndone) {
        messagebox(kTitle, QStringLiteral("这次导入已经撤销过了。"), Icon::Exclamation);
        return false;
    }
    auto listed = [](const QStringList& numbers) {
        const QStringList shown = numbers.mid(0, 20);
        return shown.join(QStringLiteral("、")) +
               (numbers.size() > shown.size() ? QStringLiteral("……") : QString());
    };
    QString question = QStringLiteral("撤销第 %1 次导入（%2）将删除它导入的 %3 条记录。")
                           .arg(drid)
                           .arg(file)
                           .arg(plan->removable.size());
    if (!plan->changed.isEmpty())
        question += QStringLiteral("\n以下 %1 条记录导入后被修改过，不会删除：%2")
                        .arg(plan->changed.size())
                        .arg(listed(plan->changed));
    if (!plan->gone.isEmpty())
        question +=
            QStringLiteral("\n以下 %1 条记录已经被删除：%2").arg(plan->gone.size()).arg(listed(plan->gone));
    question += QStringLiteral("\n确定撤销吗？");
    if (messagebox(kTitle, question, Icon::Question, Buttons::YesNo, 2) != 1)
        return false;
    const UndoResult result = m_import.undo(drid);
    if (!result.ok) {
        messagebox(kTitle, result.error, Icon::StopSign);
        return false;
    }
    QString done = QStringLiteral("已撤销第 %1 次导入，删除了 %2 条记录。").arg(drid).arg(result.removed);
    if (!result.kept.isEmpty())
        done += QStringLiteral("\n导入后修改过或已被删除的 %1 条记录没有撤销：%2")
                    .arg(result.kept.size())
                    .arg(listed(result.kept));
    messagebox(kTitle, done, Icon::Information);
    loadHistory();
    refreshPreview();
    return true;
}

} // namespace qv
