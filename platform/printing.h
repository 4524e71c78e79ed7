#pragma once

#include <QString>

#include <functional>

class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace qv {

class DataStore;

// The one printer of the program: "打印设置" configures it and every print
// and preview uses it, so a chosen paper or printer holds for the session.
QPrinter& sharedPrinter();

// Prints a store as its grid shows it: the definition's title, the visible
// columns with their captions, every row, and the definition's totals after
// the last row, paginated with the column headers repeated and "第 n 页 共 m
// 页" at the foot of each page. Returns the number of pages, or -1 when the
// printer could not be started.
int printStore(const DataStore& store, QPrinter& printer);

// Pages printStore would produce on this printer.
int pageCount(const DataStore& store, QPrinter& printer);

// Writes the store as a PDF file with the shared printer's page layout.
// Returns the number of pages, or -1 with the reason in `error`.
int printStoreToPdf(const DataStore& store, const QString& fileName, QString* error = nullptr);

// The print preview over the shared printer, with a "另存为PDF" action.
// Runs the dialog modally; tests install a runner that inspects it instead.
void printPreview(const DataStore& store, QWidget* parent);

using PreviewRunner = std::function<void(QPrintPreviewDialog& dialog)>;
// Empty restores the modal exec().
void setPreviewRunner(PreviewRunner runner);

} // namespace qv
