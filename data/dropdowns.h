#pragma once

#include "platform/reports/reportdef.h"

namespace qv {

// "dddw_fl": the relationship categories of fwfz, offered wherever a
// contact's category is chosen; the text shown is the text stored.
ReportDef categoriesDefinition();

} // namespace qv
