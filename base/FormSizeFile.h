#pragma once
// Data/FormSize.ini: the main window's size and place. Six lines: LetterNo, width,
// height, left, top (decimal integers) and the month text of the hidden month controls.
// The file is always rewritten whole.
#include "SettingsFile.h"

#include <QString>

#include <optional>

// The values the main window keeps for the file between start and close.
struct TFormSizeState {
    int LetterNo = 1;
    int SavedWidth = 0, SavedHeight = 0, SavedLeft = 0, SavedTop = 0;
    QString MonthText;
};

namespace formsizefile {

QString Path();
bool Exists();

struct TContent {
    // Ok when lines 0 … 4 are all whole numbers; otherwise the status of the first that is not.
    settings::Status status = settings::Status::NoFile;
    int failedLine = 0;
    // Lines 0 … 4; MonthText is left empty (see month).
    TFormSizeState size;
    // Line 5 when there is one, and as a number when it is one.
    std::optional<QString> month;
    std::optional<int> monthNo;

    // The message for the generic error display when status is not Ok.
    QString error() const;
};

TContent Read();
// The five numbers of `size` and the month line; false when the file cannot be written.
bool Write(const TFormSizeState &size, const QString &monthLine);

} // namespace formsizefile
