#pragma once
// A program folder of its own for every test, with the picture folder, the wallpaper
// state of a fresh start, scripted dialogs and a recording desktop.
#include "RecordingWallpaper.h"
#include "store_fixture.h"

#include <gtest/gtest.h>
#include <QColor>
#include <QList>
#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>

#include <ostream>

class QTextEdit;

// Readable failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

class WallpaperTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static QString fixture(const QString &name);
    // A 24-bit BMP of one colour in the picture folder.
    static void writeSolidBmp(const QString &name, int w, int h, const QColor &c);
    static QStringList lines(const QString &path);
    static void writeLines(const QString &path, const QStringList &lines);

    std::unique_ptr<TempProgramDir> home;
    std::shared_ptr<RecordingWallpaper> desktop;
};

// Stands in for the main window's week panel: six note boxes on a white panel, laid out
// at the design size 594 x 445.
class TestWeekPanel : public QWidget {
public:
    TestWeekPanel();
    std::array<QTextEdit *, 6> boxes{};
    QList<QTextEdit *> boxList() const;
    void layoutBoxes();

protected:
    void resizeEvent(QResizeEvent *e) override;
};
