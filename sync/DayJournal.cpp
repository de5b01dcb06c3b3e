#include "DayJournal.h"

#include "IcalSupport.h"

#include <QRegularExpression>

#include <memory>

namespace journal {

namespace {

constexpr const char *RtfProperty = "X-TAVI-RTF";
constexpr const char *MachineProperty = "X-TAVI-MACHINE";
constexpr const char *UidPrefix = "tavi-day-";

using ical::Component;
using ical::Quiet;
using ical::Text;

QByteArray Utf8(const QString &s) { return s.toUtf8(); }

icaltimetype UtcTime(const QDateTime &when)
{
    const QDateTime utc = when.toUTC();
    icaltimetype t = icaltime_null_time();
    t.year = utc.date().year();
    t.month = utc.date().month();
    t.day = utc.date().day();
    t.hour = utc.time().hour();
    t.minute = utc.time().minute();
    t.second = utc.time().second();
    t.zone = icaltimezone_get_utc_timezone();
    return t;
}

// libical writes no year beyond 3000: a day it could not write back is no day.
constexpr int LastYear = 3000;

QDate DateOf(const icaltimetype &t)
{
    if (icaltime_is_null_time(t) || t.year < 1 || t.year > LastYear)
        return {};
    return QDate(t.year, t.month, t.day);
}

QDateTime UtcOf(const icaltimetype &t)
{
    const QDate day = DateOf(t);
    if (!day.isValid())
        return {};
    return QDateTime(day, QTime(t.hour, t.minute, t.second), Qt::UTC);
}

QString XValue(icalproperty *p)
{
    icalvalue *v = icalproperty_get_value(p);
    if (!v)
        return {};
    if (icalvalue_isa(v) == ICAL_X_VALUE)
        return Text(icalvalue_get_x(v));
    return Text(icalproperty_get_value_as_string(p));
}

Entry Read(icalcomponent *j)
{
    Entry e;
    e.uid = Text(icalcomponent_get_uid(j));
    if (icalproperty *p = icalcomponent_get_first_property(j, ICAL_DTSTART_PROPERTY))
        e.date = DateOf(icalproperty_get_dtstart(p));
    e.summary = Text(icalcomponent_get_summary(j));
    // A journal may hold several descriptions; every one of them is its text.
    QStringList descriptions;
    for (icalproperty *p = icalcomponent_get_first_property(j, ICAL_DESCRIPTION_PROPERTY); p;
         p = icalcomponent_get_next_property(j, ICAL_DESCRIPTION_PROPERTY))
        descriptions << Text(icalproperty_get_description(p));
    e.description = descriptions.join(QStringLiteral("\n\n"));
    if (icalproperty *p = icalcomponent_get_first_property(j, ICAL_LASTMODIFIED_PROPERTY))
        e.lastModified = UtcOf(icalproperty_get_lastmodified(p));
    for (icalproperty *p = icalcomponent_get_first_property(j, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(j, ICAL_X_PROPERTY)) {
        const char *name = icalproperty_get_x_name(p);
        if (!name)
            continue;
        if (qstricmp(name, RtfProperty) == 0) {
            const auto decoded = QByteArray::fromBase64Encoding(XValue(p).toLatin1(),
                                                                QByteArray::AbortOnBase64DecodingErrors);
            e.rtf = decoded ? *decoded : QByteArray();
        } else if (qstricmp(name, MachineProperty) == 0) {
            e.machine = XValue(p);
        }
    }
    return e;
}

} // namespace

QString DayUid(const QString &dayKey) { return QLatin1String(UidPrefix) + dayKey; }

QString KeyOfUid(const QString &uid)
{
    static const QRegularExpression ours(QStringLiteral("^tavi-day-(\\d{8})$"));
    const auto m = ours.match(uid);
    return m.hasMatch() ? m.captured(1) : QString();
}

namespace {

Component NewCalendar()
{
    Component cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//Tavi//Week notes 4.0//ZH"));
    return cal;
}

icalcomponent *NewJournal(const Entry &entry)
{
    icalcomponent *j = icalcomponent_new(ICAL_VJOURNAL_COMPONENT);
    icalcomponent_add_property(j, icalproperty_new_uid(Utf8(entry.uid).constData()));
    const QDateTime modified = entry.lastModified.isValid() ? entry.lastModified : QDateTime::currentDateTimeUtc();
    icalcomponent_add_property(j, icalproperty_new_dtstamp(UtcTime(modified)));
    icalcomponent_add_property(j, icalproperty_new_lastmodified(UtcTime(modified)));
    if (entry.date.isValid() && entry.date.year() >= 1 && entry.date.year() <= LastYear) {
        icaltimetype day = icaltime_null_date();
        day.year = entry.date.year();
        day.month = entry.date.month();
        day.day = entry.date.day();
        icalcomponent_add_property(j, icalproperty_new_dtstart(day));
    }
    if (!entry.description.isEmpty()) {
        const QString first = entry.description.section(QLatin1Char('\n'), 0, 0).trimmed();
        icalcomponent_add_property(j, icalproperty_new_summary(Utf8(first).constData()));
        icalcomponent_add_property(j, icalproperty_new_description(Utf8(entry.description).constData()));
    }
    if (!entry.rtf.isEmpty()) {
        icalproperty *x = icalproperty_new_x(entry.rtf.toBase64().constData());
        icalproperty_set_x_name(x, RtfProperty);
        icalcomponent_add_property(j, x);
    }
    if (!entry.machine.isEmpty()) {
        icalproperty *x = icalproperty_new_x(Utf8(entry.machine).constData());
        icalproperty_set_x_name(x, MachineProperty);
        icalcomponent_add_property(j, x);
    }
    return j;
}

QByteArray Serialized(const Component &cal)
{
    char *text = icalcomponent_as_ical_string_r(cal.get());
    QByteArray out(text);
    icalmemory_free_buffer(text);
    return out;
}

} // namespace

QByteArray Write(const Entry &entry)
{
    Quiet();
    Component cal = NewCalendar();
    icalcomponent_add_component(cal.get(), NewJournal(entry));
    return Serialized(cal);
}

QByteArray WriteAll(const std::vector<Entry> &entries, const QString &calendarName)
{
    Quiet();
    Component cal = NewCalendar();
    if (!calendarName.isEmpty()) {
        icalproperty *x = icalproperty_new_x(Utf8(calendarName).constData());
        icalproperty_set_x_name(x, "X-WR-CALNAME");
        icalcomponent_add_property(cal.get(), x);
    }
    for (const Entry &e : entries)
        icalcomponent_add_component(cal.get(), NewJournal(e));
    return Serialized(cal);
}

std::optional<std::vector<Entry>> Parse(const QByteArray &ics)
{
    Quiet();
    // libical reads a C string: what follows a NUL byte is not part of the object.
    Component root(icalparser_parse_string(ics.constData()));
    if (!root)
        return std::nullopt;
    std::vector<Entry> entries;
    const icalcomponent_kind kind = icalcomponent_isa(root.get());
    if (kind == ICAL_VJOURNAL_COMPONENT) {
        entries.push_back(Read(root.get()));
        return entries;
    }
    if (kind != ICAL_VCALENDAR_COMPONENT && kind != ICAL_XROOT_COMPONENT)
        return std::nullopt;
    auto readAll = [&entries](icalcomponent *cal) {
        for (icalcomponent *j = icalcomponent_get_first_component(cal, ICAL_VJOURNAL_COMPONENT); j;
             j = icalcomponent_get_next_component(cal, ICAL_VJOURNAL_COMPONENT))
            entries.push_back(Read(j));
    };
    if (kind == ICAL_XROOT_COMPONENT) {
        bool any = false;
        for (icalcomponent *cal = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT); cal;
             cal = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT)) {
            any = true;
            readAll(cal);
        }
        if (!any)
            return std::nullopt;
    } else {
        readAll(root.get());
    }
    return entries;
}

} // namespace journal
