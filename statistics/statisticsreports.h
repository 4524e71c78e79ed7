#pragma once

#include "platform/reports/reportdef.h"

namespace qv {

// "dw_tjb": the twelve months of the year last computed, with the year's
// balance under the rows.
ReportDef annualStatisticsDefinition();

// "dw_tjb_save": the whole archive; rows copied into it are inserted by
// update(), and the key (year, mon) refuses a second copy of a month.
ReportDef archiveDefinition();

// "dw_lsk_wh": the archived months of one year (:s_year); update() deletes
// the rows removed from it.
ReportDef archiveMaintenanceDefinition();

} // namespace qv
