#pragma once
// What a note keeps of a paste: only what its stored form keeps, so that what the box
// shows after a paste is what it shows again after a save and a load. Text keeps its
// faces, sizes, colours and styles; pictures become stored PNG or JPEG pictures within
// the bounds below; tables become lines of tab-separated cells and list items lines
// with their marks; everything else (paragraph layout, links, frames) is left out.
#include <QSize>
#include <QtGlobal>

#include <functional>

class QByteArray;
class QMimeData;
class QString;
class QTextCursor;

namespace notepaste {

struct Limits {
    // A picture is stored at most this many pixels a side, scaled down to fit.
    int maxSide = 1024;
    // Stored bytes of one picture: PNG while it fits, else JPEG.
    qsizetype maxPictureBytes = 512 * 1024;
    // Stored bytes of all the pictures of one paste; pictures beyond it are left out.
    qsizetype maxPasteBytes = 4 * 1024 * 1024;
    // A source picture larger than this (file, data address, clipboard bytes) is not read.
    qsizetype maxSourceBytes = 32 * 1024 * 1024;
    // The widest a picture is shown: the box's text width (0: no limit).
    int showWidth = 0;
};

// Finds the stored bytes of a picture that another note box shows (a copy between boxes).
using PictureLookup = std::function<QByteArray(const QString &name)>;

bool CanInsert(const QMimeData *source);
// Inserts the kept part of the paste at the cursor (over its selection) as one edit.
void Insert(const QMimeData *source, QTextCursor &cursor, const Limits &limits = Limits(),
            const PictureLookup &lookup = PictureLookup());

// A picture as the note stores it: PNG or JPEG bytes within the limits, or empty when
// the bytes are no picture or too large to read. pixels gets the stored size.
QByteArray BoundedPicture(const QByteArray &source, const Limits &limits, QSize *pixels = nullptr);

} // namespace notepaste
