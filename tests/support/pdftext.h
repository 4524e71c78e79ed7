#pragma once

#include <QString>

namespace qv::test {

// The text of a PDF file as pdftotext extracts it, normalised (NFKC) and
// without blanks; empty when pdftotext is not installed.
QString pdfText(const QString& file);
// The same without normalising: the characters a reader searches and copies.
QString pdfTextAsWritten(const QString& file);

} // namespace qv::test
