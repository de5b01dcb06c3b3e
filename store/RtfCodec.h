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
#include <QImage>
#include <QSizeF>
#include <QString>
#include <QTextDocument>
#include <QTextFormat>
#include <QUrl>

namespace rtf {

// The \fcharset a run was read with (int); written back into the font table. Runs
// without it get 134 (GB2312) for Chinese faces and 0 (ANSI) for the others.
inline constexpr int CharsetProperty = QTextFormat::UserProperty + 0x134;

// A picture is an object character whose image format names the image shown (an
// ImageResource of the document); the PNG or JPEG bytes it was decoded from, which are
// what the writer stores, are a PictureBytesResource under PictureBytesName of that name.
// The image is decoded only when it is first painted, and at most at the size it is
// shown; a picture that cannot be shown paints as a placeholder.
inline constexpr int PictureBytesResource = QTextDocument::UserResource + 0x134;
QUrl PictureBytesName(const QString &imageName);
// A picture read from RTF also keeps the group it was read from, a PictureBytesResource
// under PictureGroupName: the writer writes that group back as it was, so what this
// program cannot show (a metafile, damaged or truncated bytes, kinds and groups it does
// not know, a picture too large to decode) stays in the note unchanged.
QUrl PictureGroupName(const QString &imageName);
// The most bytes one stored picture may have; a larger one is kept but not shown.
inline constexpr qsizetype MaxPictureBytes = 16 * 1024 * 1024;
// The most pixels a stored picture may have to be decoded at all (however small it is
// shown, every row of it is read); a larger one is kept but not shown.
inline constexpr qint64 MaxPicturePixels = qint64(40) * 1000 * 1000;

// Adds the picture to doc and returns the format that shows it at displaySize pixels
// (its own size when empty); an invalid format when the bytes are not a PNG or JPEG
// picture whose size can be read. Pictures larger than 4096 pixels a side are shown
// scaled down.
QTextImageFormat AddPicture(QTextDocument &doc, const QByteArray &bytes, QSizeF displaySize = QSizeF());
// Adds a picture read from the RTF group `group` (from its "{\\pict" to its closing brace)
// whose data are `bytes` (a PNG, a JPEG or anything else); always a valid format, which
// shows a placeholder when the picture cannot be shown.
QTextImageFormat AddStoredPicture(QTextDocument &doc, const QByteArray &group, const QByteArray &bytes,
                                  QSizeF displaySize);
// Whether the name is one AddPicture or AddStoredPicture gave an image.
bool IsPictureName(const QUrl &name);
// The image a picture of doc paints (decoding it when it was not yet): a null image
// when the format is not a picture of doc, the placeholder when it cannot be shown.
QImage ShownImage(const QTextDocument &doc, const QTextImageFormat &format);
// "png", "jpeg" or empty, from the bytes' signature.
QByteArray PictureKind(const QByteArray &bytes);

// The whole document as one RTF document.
QByteArray Write(const QTextDocument &doc);

// True when the bytes start (after blanks) with "{\rtf".
bool IsRtf(const QByteArray &bytes);

// Replaces the content of doc by the RTF document. Returns false, leaving doc as it
// was, when the bytes are not RTF. Damaged RTF gives whatever text can be recovered.
bool Read(const QByteArray &bytes, QTextDocument &doc);

// Replaces the content of doc: RTF when the bytes are RTF, plain text otherwise, an
// empty document for no bytes.
void Load(const QByteArray &bytes, QTextDocument &doc);

// As Load, with at most maxChars characters (a paragraph end and a picture count as one):
// the rest of a longer note is left out. False when something was left out.
bool LoadAtMost(const QByteArray &bytes, QTextDocument &doc, qsizetype maxChars);

// Bytes that are not RTF as text: UTF-8 or UTF-16 with a byte order mark, UTF-8
// when the bytes are valid UTF-8, GBK otherwise. Line ends become '\n'.
QString DecodePlainText(const QByteArray &bytes);

// The character set the writer gives a face that carries none of its own.
int DefaultCharsetFor(const QString &face);

} // namespace rtf
