#pragma once
// Where "查找下一个" and "上一个" go: the days of SearchDates and the keyword's
// occurrences in the note of the day shown. No widgets: the window feeds it the
// shown day's text and shows where it says.
#include "TDateTime.h"

#include <QString>

#include <vector>

// Latin letters A to Z without regard to case; everything else as it is. The notes
// table folds the same letters, so a day found there is found in its box too.
QString FoldLatinCase(const QString &text);
// Where the keyword starts in the text, left to right, not overlapping.
std::vector<int> KeywordOccurrences(const QString &text, const QString &keyword);

class TKeywordSearch {
public:
    // Forgets the keyword; SearchDates emptied, SearchPos -1.
    void Reset();
    bool Started() const { return !m_keyword.isEmpty(); }
    const QString &Keyword() const { return m_keyword; }

    // The first search of a keyword: SearchDates := the days (ascending), each with how
    // often it holds the keyword; SearchPos := the first day on or after the selected
    // date, else the first. Nothing is started for no days.
    void Start(const QString &keyword, const std::vector<tdt::TDateTime> &days, const std::vector<int> &counts,
               tdt::TDateTime selected);

    // The occurrence to select in the day at SearchPos, given how many its box holds;
    // -1 when it holds none (the day is passed over).
    int Occurrence(int inBox) const;
    // On from the occurrence shown: the next one in the same box, else the next day.
    // True when it went past the last day to the first.
    bool Next(int inBox);
    // Back: the previous occurrence in the same box, else the last of the day before.
    // True when it went back past the first day to the last.
    bool Previous(int inBox);

    // "3 / 17": the occurrence shown among all the days' occurrences.
    int Ordinal(int inBox) const;
    int Total() const;

private:
    QString m_keyword;
    std::vector<int> m_counts;
    int m_occurrence = 0; // -1: the last of the day
};
