// Feeds arbitrary bytes to the journal import. Whatever journals it reads must write out
// and read back as one journal of the same day, and nothing may crash, hang or leak.
#include "DayJournal.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto entries = journal::Parse(bytes);
    if (!entries)
        return 0;
    for (const journal::Entry &e : *entries) {
        const auto again = journal::Parse(journal::Write(e));
        if (!again || again->size() != 1)
            std::abort();
        const journal::Entry &r = again->front();
        if (r.date != e.date)
            std::abort();
        if (r.rtf != e.rtf)
            std::abort();
    }
    return 0;
}
