// The journal mapping through libical: what goes out comes back, and what other programs
// write is read as they meant it.
#include "DayJournal.h"

#include <gtest/gtest.h>

using journal::Entry;

TEST(DayJournal, WhatIsWrittenReadsBackTheSame)
{
    Entry e;
    e.uid = journal::DayUid(QStringLiteral("20261212"));
    e.date = QDate(2026, 12, 12);
    e.description = QStringLiteral("第一行；带逗号, 分号; 反斜杠\\\n第二行\n\n第四行");
    e.rtf = QByteArray("{\\rtf1\\ansi x}\0\xff", 17);
    e.machine = QStringLiteral("办公室");
    e.lastModified = QDateTime(QDate(2026, 12, 11), QTime(8, 30, 5), Qt::UTC);
    const QByteArray ics = journal::Write(e);
    EXPECT_TRUE(ics.contains("DTSTART;VALUE=DATE:20261212")) << ics.constData();
    const auto back = journal::Parse(ics);
    ASSERT_TRUE(back && back->size() == 1);
    const Entry &r = back->front();
    EXPECT_EQ(r.uid, e.uid);
    EXPECT_EQ(r.date, e.date);
    EXPECT_EQ(r.description, e.description);
    EXPECT_EQ(r.summary, QStringLiteral("第一行；带逗号, 分号; 反斜杠\\"));
    EXPECT_EQ(r.rtf, e.rtf);
    EXPECT_EQ(r.machine, e.machine);
    EXPECT_EQ(r.lastModified, e.lastModified);
    EXPECT_EQ(journal::KeyOfUid(r.uid), QStringLiteral("20261212"));
}

TEST(DayJournal, OtherProgramsJournalsAreReadAsMeant)
{
    struct Case {
        const char *what;
        QByteArray ics;
        int journals; // -1: not iCalendar
        QDate date;
        QString description;
    };
    const Case cases[] = {
        {"a date-time start gives its day, lines folded and escaped",
         "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VJOURNAL\r\nUID:abc\r\nDTSTART;TZID=Asia/Shanghai:20261213T"
         "090000\r\nDESCRIPTION:Zeile eins\\nzwei\\, drei\r\n  und weiter\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n",
         1, QDate(2026, 12, 13), QStringLiteral("Zeile eins\nzwei, drei und weiter")},
        {"several descriptions are all kept",
         "BEGIN:VCALENDAR\nBEGIN:VJOURNAL\nUID:a\nDTSTART;VALUE=DATE:20260101\nDESCRIPTION:one\nDESCRIPTION:two\n"
         "END:VJOURNAL\nEND:VCALENDAR\n",
         1, QDate(2026, 1, 1), QStringLiteral("one\n\ntwo")},
        {"events are passed over",
         "BEGIN:VCALENDAR\nBEGIN:VEVENT\nUID:e\nDTSTART:20260101T100000Z\nSUMMARY:meet\nEND:VEVENT\nEND:VCALENDAR\n", 0,
         QDate(), QString()},
        {"a journal without a start has no day",
         "BEGIN:VCALENDAR\nBEGIN:VJOURNAL\nUID:n\nSUMMARY:s\nEND:VJOURNAL\nEND:VCALENDAR\n", 1, QDate(), QString()},
        {"HTML is no iCalendar", "<html><body>Login</body></html>", -1, QDate(), QString()},
        {"nothing is no iCalendar", "", -1, QDate(), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const auto parsed = journal::Parse(c.ics);
        if (c.journals < 0) {
            EXPECT_FALSE(parsed && !parsed->empty());
            continue;
        }
        ASSERT_TRUE(parsed);
        ASSERT_EQ(int(parsed->size()), c.journals);
        if (c.journals == 1) {
            EXPECT_EQ(parsed->front().date, c.date);
            EXPECT_EQ(parsed->front().description, c.description);
            EXPECT_TRUE(journal::KeyOfUid(parsed->front().uid).isEmpty());
        }
    }
}
