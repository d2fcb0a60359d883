#include "CalendarTestSupport.h"

#include "data/Udm.h"

int calendarRows()
{
    return CountRows(QStringLiteral("select cbrq from rqdzb"));
}
