#pragma once
// The user's yearly dates in the notes file, in a table of their own beside the notes.
// A notes file from before the yearly dates reads as an empty list and gets the table
// when the first date is stored; the notes table is never touched.
#include "YearlyDates.h"

#include <vector>

class TDM;

class TYearlyDatesStore {
public:
    explicit TYearlyDatesStore(TDM &dm) : m_dm(dm) {}

    static const char *const TableName;

    // Every failure throws EDatabaseError (no connection included).
    std::vector<TYearlyDate> Load();
    // Stores a new date and returns its id.
    long long Add(const TYearlyDate &d);
    void Update(const TYearlyDate &d);
    void Remove(long long id);

private:
    bool hasTable();
    void ensureTable();
    TDM &m_dm;
};
