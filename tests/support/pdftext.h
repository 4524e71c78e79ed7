#pragma once

#include <QString>

namespace qv::test {

// The text of a PDF file as pdftotext extracts it, normalised (NFKC) and
// without blanks; empty when pdftotext is not installed.
QString pdfText(const QString& file);

} // namespace qv::test
