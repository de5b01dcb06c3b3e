#include "KeywordSearch.h"

#include "uGlobal.h"

#include <algorithm>
#include <cmath>
#include <numeric>

QString FoldLatinCase(const QString &text)
{
    QString folded = text;
    for (QChar &c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

std::vector<int> KeywordOccurrences(const QString &text, const QString &keyword)
{
    std::vector<int> at;
    const QString key = FoldLatinCase(keyword);
    if (key.isEmpty())
        return at;
    const QString hay = FoldLatinCase(text);
    for (qsizetype i = hay.indexOf(key); i >= 0; i = hay.indexOf(key, i + key.size()))
        at.push_back(int(i));
    return at;
}

void TKeywordSearch::Reset()
{
    m_keyword.clear();
    m_counts.clear();
    m_occurrence = 0;
    SearchDates.clear();
    SearchPos = -1;
}

void TKeywordSearch::Start(const QString &keyword, const std::vector<tdt::TDateTime> &days,
                           const std::vector<int> &counts, tdt::TDateTime selected)
{
    Reset();
    if (days.empty())
        return;
    m_keyword = keyword;
    SearchDates = days;
    m_counts = counts;
    m_counts.resize(days.size(), 1);
    const double day = std::floor(selected);
    const auto from = std::lower_bound(SearchDates.begin(), SearchDates.end(), day,
                                       [](tdt::TDateTime d, double v) { return std::floor(d) < v; });
    SearchPos = from == SearchDates.end() ? 0 : std::int32_t(from - SearchDates.begin());
}

int TKeywordSearch::Occurrence(int inBox) const
{
    if (inBox <= 0)
        return -1;
    return m_occurrence < 0 ? inBox - 1 : std::min(m_occurrence, inBox - 1);
}

bool TKeywordSearch::Next(int inBox)
{
    if (SearchDates.empty())
        return false;
    const int shown = Occurrence(inBox);
    if (shown >= 0 && shown + 1 < inBox) {
        m_occurrence = shown + 1;
        return false;
    }
    m_occurrence = 0;
    if (++SearchPos >= std::int32_t(SearchDates.size())) {
        SearchPos = 0;
        return true;
    }
    return false;
}

bool TKeywordSearch::Previous(int inBox)
{
    if (SearchDates.empty())
        return false;
    const int shown = Occurrence(inBox);
    if (shown > 0) {
        m_occurrence = shown - 1;
        return false;
    }
    m_occurrence = -1;
    if (--SearchPos < 0) {
        SearchPos = std::int32_t(SearchDates.size()) - 1;
        return true;
    }
    return false;
}

int TKeywordSearch::Total() const { return std::accumulate(m_counts.begin(), m_counts.end(), 0); }

int TKeywordSearch::Ordinal(int inBox) const
{
    if (SearchPos < 0 || SearchPos >= std::int32_t(m_counts.size()))
        return 0;
    const int before = std::accumulate(m_counts.begin(), m_counts.begin() + SearchPos, 0);
    // The box may hold the keyword more often than the stored text said; never past this day's share.
    const int here = std::clamp(Occurrence(inBox), 0, std::max(0, m_counts[SearchPos] - 1));
    return before + here + 1;
}
