#pragma once
// Our RTF writer and reader between a QTextDocument and the bytes stored in the
// Content column. The writer produces what the Windows rich-edit control writes on
// a Chinese system (code page 936, GBK bytes as \'hh, the rest as \uN?); the reader
// takes that, our own output, and what word processors write.
//
// Kept: text, paragraphs, line breaks and tabs, font faces (with their character
// set and pitch), sizes, text and highlight colours, bold, italic, underline and
// strike-out; pictures in PNG or JPEG (\pict with \pngblip or \jpegblip). Face names
// are kept as written; mapping them to installed fonts is the program's business.
#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <QTextDocument>
#include <QTextFormat>
#include <QUrl>

#include <vector>

namespace rtf {

// The \fcharset a run was read with (int); written back into the font table. Runs
// without it get 134 (GB2312) for Chinese faces and 0 (ANSI) for the others.
inline constexpr int CharsetProperty = QTextFormat::UserProperty + 0x134;

// A picture is an object character whose image format names the image shown (an
// ImageResource of the document); the PNG or JPEG bytes it was decoded from, which are
// what the writer stores, are a PictureBytesResource under PictureBytesName of that name.
inline constexpr int PictureBytesResource = QTextDocument::UserResource + 0x134;
QUrl PictureBytesName(const QString &imageName);
// The most bytes one stored picture may have; a larger one is left out when read.
inline constexpr qsizetype MaxPictureBytes = 16 * 1024 * 1024;

// Adds the picture to doc and returns the format that shows it at displaySize pixels
// (its own size when empty); an invalid format when the bytes are not a PNG or JPEG
// picture that decodes. Pictures larger than 4096 pixels a side are shown scaled down.
QTextImageFormat AddPicture(QTextDocument &doc, const QByteArray &bytes, QSizeF displaySize = QSizeF());
// "png", "jpeg" or empty, from the bytes' signature.
QByteArray PictureKind(const QByteArray &bytes);

// A document written as RTF, in pieces: the text's RTF, and between its pieces the
// pictures, whose stored bytes are shared with the document and put out as hex only by
// Join. Writing a note with a large picture thus costs the text alone, and the pieces can
// be joined on another thread.
struct Encoded {
    struct Piece {
        QByteArray bytes;
        bool hex = false;
    };
    std::vector<Piece> pieces;
    // The RTF document's bytes.
    QByteArray Join() const;
    qsizetype Size() const;
};
Encoded Encode(const QTextDocument &doc);

// Builds what writing Chinese text needs (the code page's table, some milliseconds of
// work), so that the first keystroke of a session does not; any thread may call it.
void PrepareWriting();

// The whole document as one RTF document: Encode(doc).Join().
QByteArray Write(const QTextDocument &doc);

// True when the bytes start (after blanks) with "{\rtf".
bool IsRtf(const QByteArray &bytes);

// Replaces the content of doc by the RTF document. Returns false, leaving doc as it
// was, when the bytes are not RTF. Damaged RTF gives whatever text can be recovered.
bool Read(const QByteArray &bytes, QTextDocument &doc);

// Replaces the content of doc: RTF when the bytes are RTF, plain text otherwise, an
// empty document for no bytes.
void Load(const QByteArray &bytes, QTextDocument &doc);

// Bytes that are not RTF as text: UTF-8 or UTF-16 with a byte order mark, UTF-8
// when the bytes are valid UTF-8, GBK otherwise. Line ends become '\n'.
QString DecodePlainText(const QByteArray &bytes);

// The character set the writer gives a face that carries none of its own.
int DefaultCharsetFor(const QString &face);

} // namespace rtf
