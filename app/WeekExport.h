#pragma once
// The displayed week as a text file the user names: each box under its weekday and date,
// formatting dropped, in GBK with CR LF line ends.
#include "TDateTime.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

class QWidget;

namespace weekexport {

// Four entries a box: its caption with the day's date, "  ", its lines, "  ". `days` are
// the dates of the six boxes, Saturday's for the last one.
QStringList Lines(const std::array<tdt::TDateTime, 6> &days, const std::array<QStringList, 6> &boxLines);

// "周 " and the calendar's date and time as YYYYMMDDHHMMSS.
QString DefaultName(tdt::TDateTime calendarValue);

// The file a chosen name stands for: ".txt" is added unless the name ends in it already,
// in any case.
QString FileName(const QString &chosen);

// The save dialog's file types: GBK as ever, first, and UTF-8 for terminals and editors that
// read nothing else.
extern const char *const Gb18030Filter;
extern const char *const Utf8Filter;
// The lines as the file holds them, CR LF after each, in the encoding of the chosen type.
QByteArray Encode(const QStringList &lines, const QString &filter);

// Asks for the file and writes the lines; a name that is empty or a file that cannot be
// written is reported, cancelling writes nothing. An existing file is replaced unasked.
void Export(QWidget *parent, const QStringList &lines, tdt::TDateTime calendarValue);

} // namespace weekexport
