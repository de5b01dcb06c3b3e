#pragma once
// The week view: two rows of three note boxes (Monday ... Friday, then Saturday with
// Sunday) under their title strips, the weekday captions with the 休/班 marks and the
// yearly dates beside them, the highlight on the selected day's title and the thin
// separator lines. Every place follows from the panel's size by one formula.
#include <QRect>
#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class TImage;
class TNoteBox;

class TWeekView : public QWidget {
    Q_OBJECT
public:
    explicit TWeekView(QWidget *parent = nullptr);

    // Where everything stands in a panel of `size`; integer divisions truncate.
    struct Places {
        std::array<int, 4> lineX{}; // the left edge, the two column separators, the right edge
        int bottomLineY = 0;
        std::array<QRect, 2> titles; // the title strips of the upper and lower row
        std::array<QRect, 6> boxes;
        std::array<QPoint, 6> captions;
        // The highlight over the title of a week day (0 = Monday ... 6 = Sunday).
        QRect Highlight(int day) const;
    };
    static Places PlacesFor(QSize size);

    // Recomputes every place for the panel's current size.
    void LayoutWeekView();
    // The highlight on the title of a week day (0 = Monday ... 6 = Sunday), or none (-1).
    void MarkSelected(int day);
    int Selected() const { return m_selected; }
    // "休", "班" or nothing beside each box's caption.
    void SetWorkdayMarks(const std::array<QString, 6> &marks);
    // The yearly dates of each box's days, after the caption and its mark, cut at the column's edge.
    void SetOwnDates(const std::array<QString, 6> &texts);

    std::array<TNoteBox *, 6> redt{};
    TImage *imgtitle_year1 = nullptr, *imgtitle_year2 = nullptr, *imgSelColor = nullptr;
    std::array<QLabel *, 6> lblweek{};
    // 休 or 班 beside the caption of a box whose day is an official day off or working day.
    std::array<QLabel *, 6> lblWorkday{};
    std::array<QLabel *, 6> lblYearly{};
    QFrame *pnl_yearLine0 = nullptr, *pnl_yearLine1 = nullptr, *pnl_yearLine2 = nullptr;
    QFrame *pnl_yearLineREdge = nullptr, *pnl_buttonline = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // The marks and the yearly dates follow their captions.
    void placeMarks();

    std::array<QString, 6> m_ownDates;
    int m_selected = -1;
};
