#include "FormSizeFile.h"

#include "ProgramFolder.h"

#include <QFile>

namespace formsizefile {

QString Path() { return DataDir() + QStringLiteral("FormSize.ini"); }

bool Exists() { return QFile::exists(Path()); }

QString TContent::error() const { return settings::Describe(status, Path(), failedLine); }

TContent Read()
{
    TContent c;
    const settings::Lines lines = settings::Read(Path());
    int values[5];
    for (int i = 0; i < 5; ++i) {
        c.status = lines.number(i, values[i]);
        if (c.status != settings::Status::Ok) {
            c.failedLine = i;
            return c;
        }
    }
    c.size.LetterNo = values[0];
    c.size.SavedWidth = values[1];
    c.size.SavedHeight = values[2];
    c.size.SavedLeft = values[3];
    c.size.SavedTop = values[4];
    // The month line stands on its own: a bad one does not spoil the size.
    QString month;
    if (lines.text(5, month) == settings::Status::Ok) {
        c.month = month;
        int monthNo = 0;
        if (lines.number(5, monthNo) == settings::Status::Ok)
            c.monthNo = monthNo;
    }
    return c;
}

bool Write(const TFormSizeState &size, const QString &monthLine)
{
    return settings::Write(Path(), {QString::number(size.LetterNo), QString::number(size.SavedWidth),
                                    QString::number(size.SavedHeight), QString::number(size.SavedLeft),
                                    QString::number(size.SavedTop), monthLine});
}

} // namespace formsizefile
