#include "dropdowns.h"

namespace qv {

ReportDef categoriesDefinition()
{
    ReportDef def;
    def.name = QStringLiteral("dddw_fl");
    def.select = QStringLiteral("SELECT fwz FROM fwfz");
    ColumnDef fwz;
    fwz.name = QStringLiteral("fwz");
    fwz.caption = QStringLiteral("分类");
    fwz.gbkWidth = 16;
    fwz.widthUnits = 206;
    def.columns = {fwz};
    return def;
}

} // namespace qv
