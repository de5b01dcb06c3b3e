// A yearly date as an iCalendar event: what two copies of the program give each other, what
// another program's change to it means, and which events of other programs are yearly dates.
#include "YearlyEvent.h"

#include <QString>

#include <gtest/gtest.h>

namespace {

TYearlyDate Date(const char *name, bool lunar, int month, int day, bool leap, bool birthday, int firstYear, int lead)
{
    TYearlyDate d;
    d.Name = name;
    d.Lunar = lunar;
    d.Month = month;
    d.Day = day;
    d.Leap = leap;
    d.Birthday = birthday;
    d.FirstYear = firstYear;
    d.LeadDays = lead;
    return d;
}

std::optional<TYearlyDate> Back(const QByteArray &ics)
{
    const auto events = yearlyevent::Parse(ics);
    if (!events || events->size() != 1)
        return std::nullopt;
    return events->front().date;
}

QByteArray Event(const QByteArray &body)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//other//EN\r\nBEGIN:VEVENT\r\nUID:other-1\r\n"
           "DTSTAMP:20260101T000000Z\r\n" + body + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

} // namespace

TEST(YearlyEvent, EveryKindOfDateComesBackAsItWent)
{
    const TYearlyDate cases[] = {
        Date("结婚", false, 5, 20, false, false, 2010, 7),
        Date("闰日", false, 2, 29, false, false, 0, 1),
        Date("闰日生的", false, 2, 29, false, true, 1999, 0), // began in a year without 29 February
        Date("妈妈", true, 4, 8, false, true, 1960, 3),
        Date("爷爷生日", true, 4, 30, true, true, 0, 60), // the name says 生日 itself; leap month, day 30
        Date("腊月", true, 12, 30, false, false, 2000, 3),
    };
    for (const TYearlyDate &d : cases) {
        const QString uid = yearlyevent::NewUid();
        const QByteArray ics = yearlyevent::Write(uid, d, 2026);
        const auto events = yearlyevent::Parse(ics);
        ASSERT_TRUE(events && events->size() == 1) << d.Name << "\n" << ics.toStdString();
        EXPECT_EQ(events->front().uid, uid);
        EXPECT_EQ(events->front().date, d) << d.Name << "\n" << ics.toStdString();
        EXPECT_EQ(yearlyevent::Digest(events->front().date), yearlyevent::Digest(d));
    }
}

TEST(YearlyEvent, ALunarDateListsItsOccurrencesAndNoRule)
{
    const TYearlyDate d = Date("妈妈", true, 4, 8, false, true, 1960, 3);
    const QString ics = QString::fromUtf8(yearlyevent::Write(QStringLiteral("tavi-yearly-x"), d, 2026))
                            .remove(QStringLiteral("\r\n "));
    EXPECT_FALSE(ics.contains(QStringLiteral("RRULE")));
    int listed = 0;
    for (int y = 2026; y < 2026 + yearlyevent::Years; ++y)
        for (const auto &o : yearly::OccurrencesIn(d, y)) {
            const QString day = QStringLiteral("%1%2%3")
                                    .arg(o.Civil.year)
                                    .arg(o.Civil.month, 2, 10, QLatin1Char('0'))
                                    .arg(o.Civil.day, 2, 10, QLatin1Char('0'));
            EXPECT_TRUE(ics.contains(day)) << day.toStdString();
            ++listed;
        }
    EXPECT_EQ(listed, yearlyevent::Years);
    EXPECT_EQ(ics.count(QStringLiteral("RDATE")), listed - 1);
}

TEST(YearlyEvent, AnotherProgramsChangeWins)
{
    struct Case {
        const char *what;
        TYearlyDate sent;
        QByteArray from, to; // text replaced in the event as written
        TYearlyDate expected;
    };
    const Case cases[] = {
        {"renamed", Date("结婚", false, 5, 20, false, false, 2010, 7), "SUMMARY:结婚", "SUMMARY:婚礼",
         Date("婚礼", false, 5, 20, false, false, 2010, 7)},
        {"a birthday renamed keeps its kind", Date("妈妈", true, 4, 8, false, true, 1960, 3), "SUMMARY:妈妈生日",
         "SUMMARY:母亲生日", Date("母亲", true, 4, 8, false, true, 1960, 3)},
        {"a civil date moved", Date("结婚", false, 5, 20, false, false, 2010, 7), "DTSTART;VALUE=DATE:20100520",
         "DTSTART;VALUE=DATE:20100521", Date("结婚", false, 5, 21, false, false, 2010, 7)},
        {"a lunar date's first occurrence moved: the rule holds", Date("妈妈", true, 4, 8, false, true, 1960, 3),
         "DTSTART;VALUE=DATE:2026", "DTSTART;VALUE=DATE:2025", Date("妈妈", true, 4, 8, false, true, 1960, 3)},
    };
    for (const Case &c : cases) {
        QByteArray ics = yearlyevent::Write(QStringLiteral("tavi-yearly-x"), c.sent, 2026);
        ASSERT_TRUE(ics.contains(c.from)) << c.what << "\n" << ics.toStdString();
        ics.replace(c.from, c.to);
        EXPECT_EQ(Back(ics), c.expected) << c.what;
    }
}

TEST(YearlyEvent, OnlyAllDayEventsRepeatingEveryYearAreDatesOfOthers)
{
    struct Case {
        const char *what;
        QByteArray body;
        bool isDate;
    };
    const Case cases[] = {
        {"yearly all-day", "DTSTART;VALUE=DATE:19900315\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:同学聚会\r\n", true},
        {"monthly", "DTSTART;VALUE=DATE:19900315\r\nRRULE:FREQ=MONTHLY\r\nSUMMARY:房租\r\n", false},
        {"every other year", "DTSTART;VALUE=DATE:19900315\r\nRRULE:FREQ=YEARLY;INTERVAL=2\r\nSUMMARY:体检\r\n", false},
        {"yearly a few times", "DTSTART;VALUE=DATE:19900315\r\nRRULE:FREQ=YEARLY;COUNT=3\r\nSUMMARY:课\r\n", false},
        {"yearly at a time of day", "DTSTART:19900315T090000Z\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:会\r\n", false},
        {"once", "DTSTART;VALUE=DATE:19900315\r\nSUMMARY:一次\r\n", false},
        {"no title", "DTSTART;VALUE=DATE:19900315\r\nRRULE:FREQ=YEARLY\r\n", false},
        {"our rule damaged", "DTSTART;VALUE=DATE:19900315\r\nSUMMARY:坏\r\nX-TAVI-YEARLY:LUNAR=0;MONTH=13;DAY=1\r\n", false},
        {"our rule unreadable", "DTSTART;VALUE=DATE:19900315\r\nSUMMARY:坏\r\nX-TAVI-YEARLY:MONTH=x\r\n", false},
    };
    for (const Case &c : cases) {
        const auto events = yearlyevent::Parse(Event(c.body));
        ASSERT_TRUE(events.has_value()) << c.what;
        EXPECT_EQ(events->size(), c.isDate ? 1u : 0u) << c.what;
    }
    const auto reunion = Back(Event(cases[0].body));
    ASSERT_TRUE(reunion);
    EXPECT_EQ(*reunion, Date("同学聚会", false, 3, 15, false, false, 0, yearly::DefaultLeadDays));
    // One occurrence moved by another program is no date of its own.
    const auto moved = yearlyevent::Parse(Event("DTSTART;VALUE=DATE:20200316\r\nRECURRENCE-ID;VALUE=DATE:20200315\r\n"
                                                "RRULE:FREQ=YEARLY\r\nSUMMARY:同学聚会\r\n"));
    ASSERT_TRUE(moved);
    EXPECT_TRUE(moved->empty());
    EXPECT_FALSE(yearlyevent::Parse("<html>not a calendar</html>").has_value());
}
