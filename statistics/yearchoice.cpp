#include "yearchoice.h"

#include "platform/core/gbktext.h"
#include "platform/core/messagebox.h"
#include "platform/widgets/songfont.h"

#include <QComboBox>
#include <QDate>
#include <QRegularExpression>
#include <QWidget>

namespace qv {

std::optional<QString> parseYear(const QString& text)
{
    const QString year = text.trimmed();
    if (gbk::len(year) != 4)
        return std::nullopt;
    // A plain decimal number; QString::toDouble would also take "-inf" or
    // "1e10", which no one means as a year.
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    if (!number.match(year).hasMatch())
        return std::nullopt;
    return year;
}

std::optional<QString> checkedYear(const QString& text)
{
    auto year = parseYear(text);
    if (!year)
        messagebox(QStringLiteral("提示"), QStringLiteral("年份不对！"));
    return year;
}

QStringList statisticsYears(int currentYear)
{
    QStringList years;
    for (int y = 2003; y <= std::max(2010, currentYear); ++y)
        years << QString::number(y);
    return years;
}

QComboBox* createYearList(const QString& objectName, const QString& initialText, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(objectName);
    list->setEditable(true);
    // Typing a year must not add it to the list.
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(statisticsYears(QDate::currentDate().year()));
    list->setEditText(initialText);
    return list;
}

void useSongFont(QWidget* window)
{
    window->setFont(songFont(window->font(), 9));
}

} // namespace qv
