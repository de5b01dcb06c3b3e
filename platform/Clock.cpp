#include "Clock.h"

#include <QDateTime>

namespace platform {
namespace {
std::optional<tdt::TDateTime> g_fixed;
}

tdt::TDateTime Now()
{
    if (g_fixed)
        return *g_fixed;
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return tdt::EncodeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec());
}

void SetNow(std::optional<tdt::TDateTime> fixed) { g_fixed = fixed; }

} // namespace platform
