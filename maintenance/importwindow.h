#pragma once

#include "imports/giftimport.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;

namespace qv {

class Transaction;

// The rows of a preview with their verdicts; the first column ticks a row in
// or out of the import.
class ImportPreviewModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setPreview(std::optional<ImportPreview> preview);
    const std::optional<ImportPreview>& preview() const { return m_preview; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void inclusionChanged();

private:
    std::optional<ImportPreview> m_preview;
};

// 导入礼单 (w_drld): a gift list chosen, its columns shown with what each
// holds (the operator may change them), every row with its verdict, then
// 导入; below, the imports so far, each of which 撤销导入 takes back.
class ImportWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ImportWindow(Transaction& transaction, QWidget* parent = nullptr);

    // "选择文件…": asks for the file, then reads and previews it.
    void chooseFile();
    // Reads `file` (its first sheet) and previews it, as after choosing it.
    bool openFile(const QString& file);
    // "导入": true when the rows went in.
    bool importRows();
    // "撤销导入" for the import selected in the list.
    bool undoSelected();

    ImportPreviewModel* previewModel() const { return m_model; }

private:
    void readSheet(int sheet);
    void showMapping();
    void fieldChosen(int column, int choice);
    void refreshPreview();
    void showSummary();
    void loadHistory();
    void showProblem(const QString& text);

    Transaction& m_tr;
    GiftImport m_import;
    QString m_file;
    std::optional<SheetTable> m_sheet;
    ColumnMapping m_mapping;
    bool m_ready = false;

    QLineEdit* m_fileName;    // sle_1
    QPushButton* m_choose;    // cb_1
    QComboBox* m_sheets;      // ddlb_1
    QComboBox* m_defaultKind; // ddlb_2
    QTableWidget* m_columns;  // dw_2: the file's headers and what each holds
    QTableView* m_rows;       // dw_1
    ImportPreviewModel* m_model;
    QLabel* m_summary;           // st_1
    QPushButton* m_importButton; // cb_2
    QTableWidget* m_history;     // dw_3
    QPushButton* m_undo;         // cb_3
    QPushButton* m_exit;         // cb_4
};

} // namespace qv
