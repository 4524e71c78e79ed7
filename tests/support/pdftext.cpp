#include "pdftext.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace qv::test {

QString pdfText(const QString& file)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        return {};
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    p.waitForFinished(30000);
    // The extracted text names some CJK glyphs by their radical code points
    // and drops spaces; compare the normalised text without blanks.
    return QString::fromUtf8(p.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .remove(QRegularExpression(QStringLiteral("\\s")));
}

} // namespace qv::test
