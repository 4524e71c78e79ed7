#include "pdftext.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace qv::test {

QString pdfTextAsWritten(const QString& file)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        return {};
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    p.waitForFinished(30000);
    // Blanks depend on the layout pdftotext guesses; the texts compared do not.
    return QString::fromUtf8(p.readAllStandardOutput()).remove(QRegularExpression(QStringLiteral("\\s")));
}

QString pdfText(const QString& file)
{
    // Full-width punctuation compares as ASCII.
    return pdfTextAsWritten(file).normalized(QString::NormalizationForm_KC);
}

} // namespace qv::test
