#pragma once
// Our RTF writer and reader between a QTextDocument and the bytes stored in the
// Content column. The writer produces what the Windows rich-edit control writes on
// a Chinese system (code page 936, GBK bytes as \'hh, the rest as \uN?); the reader
// takes that, our own output, and what word processors write.
//
// Kept: text, paragraphs, line breaks and tabs, font faces (with their character
// set and pitch), sizes, text and highlight colours, bold, italic, underline and
// strike-out. Face names are kept as written; mapping them to installed fonts is
// the program's business.
#include <QByteArray>
#include <QString>
#include <QTextFormat>

class QTextDocument;

namespace rtf {

// The \fcharset a run was read with (int); written back into the font table. Runs
// without it get 134 (GB2312) for Chinese faces and 0 (ANSI) for the others.
inline constexpr int CharsetProperty = QTextFormat::UserProperty + 0x134;

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

// Bytes that are not RTF as text: UTF-8 or UTF-16 with a byte order mark, UTF-8
// when the bytes are valid UTF-8, GBK otherwise. Line ends become '\n'.
QString DecodePlainText(const QByteArray &bytes);

// The character set the writer gives a face that carries none of its own.
int DefaultCharsetFor(const QString &face);

} // namespace rtf
