#include "YearlyEvent.h"

#include "IcalSupport.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QMap>
#include <QUuid>

#include <memory>

namespace yearlyevent {

namespace {

constexpr const char *RuleProperty = "X-TAVI-YEARLY";
constexpr const char *NameProperty = "X-TAVI-NAME";
constexpr const char *UidPrefix = "tavi-yearly-";
constexpr int LastYear = 3000; // libical writes no year beyond

using ical::Component;
using ical::Quiet;
using ical::Text;

icaltimetype DateValue(int year, int month, int day)
{
    icaltimetype t = icaltime_null_date();
    t.year = year;
    t.month = month;
    t.day = day;
    return t;
}

bool LastOfFebruary(const TYearlyDate &d) { return !d.Lunar && d.Month == 2 && d.Day == 29; }

// What another program shows as the title.
QString Title(const TYearlyDate &d)
{
    const QString name = QString::fromStdString(d.Name);
    return d.Birthday && !name.endsWith(QStringLiteral("生日")) ? name + QStringLiteral("生日") : name;
}

QString RuleText(const TYearlyDate &d)
{
    return QStringLiteral("LUNAR=%1;MONTH=%2;DAY=%3;LEAP=%4;BIRTHDAY=%5;FIRST=%6;LEAD=%7")
        .arg(int(d.Lunar))
        .arg(d.Month)
        .arg(d.Day)
        .arg(int(d.Leap))
        .arg(int(d.Birthday))
        .arg(d.FirstYear)
        .arg(d.LeadDays);
}

std::optional<TYearlyDate> RuleOf(const QString &text)
{
    QMap<QString, int> v;
    for (const QString &part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(QLatin1Char('='));
        bool ok = false;
        const int n = part.mid(eq + 1).trimmed().toInt(&ok);
        if (eq <= 0 || !ok)
            return std::nullopt;
        v[part.left(eq).trimmed().toUpper()] = n;
    }
    if (!v.contains(QStringLiteral("MONTH")) || !v.contains(QStringLiteral("DAY")))
        return std::nullopt;
    TYearlyDate d;
    d.Lunar = v.value(QStringLiteral("LUNAR"), 0) != 0;
    d.Month = v.value(QStringLiteral("MONTH"));
    d.Day = v.value(QStringLiteral("DAY"));
    d.Leap = v.value(QStringLiteral("LEAP"), 0) != 0;
    d.Birthday = v.value(QStringLiteral("BIRTHDAY"), 0) != 0;
    d.FirstYear = v.value(QStringLiteral("FIRST"), 0);
    d.LeadDays = v.value(QStringLiteral("LEAD"), yearly::DefaultLeadDays);
    return d;
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

void AddX(icalcomponent *c, const char *name, const QString &value)
{
    icalproperty *x = icalproperty_new_x(value.toUtf8().constData());
    icalproperty_set_x_name(x, name);
    icalcomponent_add_property(c, x);
}

std::optional<Event> Read(icalcomponent *e)
{
    Event out;
    out.uid = Text(icalcomponent_get_uid(e));
    if (out.uid.isEmpty())
        return std::nullopt;
    const QString summary = Text(icalcomponent_get_summary(e)).trimmed();
    icaltimetype start = icaltime_null_time();
    if (icalproperty *p = icalcomponent_get_first_property(e, ICAL_DTSTART_PROPERTY))
        start = icalproperty_get_dtstart(p);
    const bool startIsDay = !icaltime_is_null_time(start) && start.is_date && start.year >= 1 && start.year <= LastYear;

    std::optional<TYearlyDate> rule;
    QString name;
    for (icalproperty *p = icalcomponent_get_first_property(e, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(e, ICAL_X_PROPERTY)) {
        const char *x = icalproperty_get_x_name(p);
        if (x && qstricmp(x, RuleProperty) == 0)
            rule = RuleOf(XValue(p));
        else if (x && qstricmp(x, NameProperty) == 0)
            name = XValue(p);
    }
    // A rule of ours that cannot come round counts for nothing: the event is read as another program's.
    if (rule && !yearly::IsValid(*rule))
        rule.reset();
    if (rule) {
        TYearlyDate d = *rule;
        d.Name = name.toStdString();
        // Another program renamed it: its title wins (a birthday keeps its kind).
        if (!summary.isEmpty() && summary != Title(d)) {
            QString n = summary;
            if (d.Birthday && n.endsWith(QStringLiteral("生日")) && n.size() > 2)
                n.chop(2);
            d.Name = n.toStdString();
        }
        // ... or moved a civil date to another day.
        if (!d.Lunar && startIsDay && !(LastOfFebruary(d) && start.month == 2 && start.day >= 28)
            && (start.month != d.Month || start.day != d.Day)) {
            d.Month = start.month;
            d.Day = start.day;
        }
        if (d.Name.empty() || !yearly::IsValid(d))
            return std::nullopt;
        out.date = d;
        return out;
    }
    // Another program's event: an all-day one repeating every year is a civil 纪念日.
    icalproperty *rr = icalcomponent_get_first_property(e, ICAL_RRULE_PROPERTY);
    if (!rr || !startIsDay || summary.isEmpty())
        return std::nullopt;
    const icalrecurrencetype r = icalproperty_get_rrule(rr);
    if (r.freq != ICAL_YEARLY_RECURRENCE || r.interval > 1 || r.count > 0 || !icaltime_is_null_time(r.until))
        return std::nullopt;
    TYearlyDate d;
    d.Name = summary.toStdString();
    d.Lunar = false;
    d.Month = start.month;
    d.Day = start.day;
    d.LeadDays = yearly::DefaultLeadDays;
    if (!yearly::IsValid(d))
        return std::nullopt;
    out.date = d;
    return out;
}

} // namespace

QString NewUid()
{
    return QLatin1String(UidPrefix) + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QByteArray Write(const QString &uid, const TYearlyDate &d, int fromYear)
{
    Quiet();
    Component cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(cal.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal.get(), icalproperty_new_prodid("-//Tavi//Week notes 4.0//ZH"));
    icalcomponent *e = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    icalcomponent_add_component(cal.get(), e);
    icalcomponent_add_property(e, icalproperty_new_uid(uid.toUtf8().constData()));
    icaltimetype now = icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
    icalcomponent_add_property(e, icalproperty_new_dtstamp(now));
    icalcomponent_add_property(e, icalproperty_new_lastmodified(now));
    icalcomponent_add_property(e, icalproperty_new_summary(Title(d).toUtf8().constData()));
    icalcomponent_add_property(e, icalproperty_new_categories(d.Birthday ? "生日" : "纪念日"));
    icalcomponent_add_property(e, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));

    if (!d.Lunar) {
        // From the year it began, else from this year; 29 February as the last day of February.
        const int year = d.FirstYear >= 1 && d.FirstYear <= LastYear ? d.FirstYear : fromYear;
        tdt::YMD first;
        if (!yearly::OccurrenceInYear(d, year, first))
            first = {fromYear, d.Month, d.Day};
        icalcomponent_add_property(e, icalproperty_new_dtstart(DateValue(first.year, first.month, first.day)));
        const QByteArray rule = LastOfFebruary(d) ? "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1" : "FREQ=YEARLY";
        icalcomponent_add_property(e, icalproperty_new_rrule(icalrecurrencetype_from_string(rule.constData())));
    } else {
        std::vector<tdt::YMD> days;
        for (int y = fromYear; y < fromYear + Years && y <= LastYear; ++y)
            for (const auto &o : yearly::OccurrencesIn(d, y))
                days.push_back(o.Civil);
        if (!days.empty()) {
            icalcomponent_add_property(e, icalproperty_new_dtstart(DateValue(days[0].year, days[0].month, days[0].day)));
            for (size_t i = 1; i < days.size(); ++i) {
                icaldatetimeperiodtype when;
                when.time = DateValue(days[i].year, days[i].month, days[i].day);
                when.period = icalperiodtype_null_period();
                icalproperty *p = icalproperty_new_rdate(when);
                icalproperty_add_parameter(p, icalparameter_new_value(ICAL_VALUE_DATE));
                icalcomponent_add_property(e, p);
            }
        }
    }
    AddX(e, RuleProperty, RuleText(d));
    AddX(e, NameProperty, QString::fromStdString(d.Name));

    // The reminder ahead of the day, for calendars on phones.
    icalcomponent *alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm, icalproperty_new_description(Title(d).toUtf8().constData()));
    icalcomponent_add_property(alarm, icalproperty_new_trigger(icaltriggertype_from_int(-d.LeadDays * 24 * 3600)));
    icalcomponent_add_component(e, alarm);

    char *text = icalcomponent_as_ical_string_r(cal.get());
    QByteArray out(text);
    icalmemory_free_buffer(text);
    return out;
}

std::optional<std::vector<Event>> Parse(const QByteArray &ics)
{
    Quiet();
    Component root(icalparser_parse_string(ics.constData()));
    if (!root)
        return std::nullopt;
    std::vector<Event> events;
    auto readAll = [&events](icalcomponent *cal) {
        for (icalcomponent *e = icalcomponent_get_first_component(cal, ICAL_VEVENT_COMPONENT); e;
             e = icalcomponent_get_next_component(cal, ICAL_VEVENT_COMPONENT)) {
            // An exception to one occurrence (RECURRENCE-ID) is no date of its own.
            if (icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY))
                continue;
            if (auto ev = Read(e))
                events.push_back(*ev);
        }
    };
    const icalcomponent_kind kind = icalcomponent_isa(root.get());
    if (kind == ICAL_VEVENT_COMPONENT) {
        if (auto ev = Read(root.get()))
            events.push_back(*ev);
    } else if (kind == ICAL_VCALENDAR_COMPONENT) {
        readAll(root.get());
    } else if (kind == ICAL_XROOT_COMPONENT) {
        for (icalcomponent *cal = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT); cal;
             cal = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            readAll(cal);
    } else {
        return std::nullopt;
    }
    return events;
}

QByteArray Digest(const TYearlyDate &d)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArray::fromStdString(d.Name));
    hash.addData(QByteArray(1, '\0'));
    hash.addData(RuleText(d).toUtf8());
    return hash.result().left(16).toHex();
}

} // namespace yearlyevent
