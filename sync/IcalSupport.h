#pragma once
// What both iCalendar units need around libical.
#include <libical/ical.h>

#include <QString>

#include <memory>

namespace ical {

struct ComponentFree {
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// libical's default ends the process on any error in the data it is given.
inline void Quiet()
{
    static const bool once = [] {
        icalerror_set_errors_are_fatal(0);
        return true;
    }();
    (void)once;
}

inline QString Text(const char *s) { return s ? QString::fromUtf8(s) : QString(); }

} // namespace ical
