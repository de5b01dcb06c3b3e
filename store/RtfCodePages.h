#pragma once
// The code pages of RTF documents: the \fcharset and \ansicpg numbers, bytes to
// text, and text to the \'hh bytes the writer puts out. Shared by the writer and
// the reader; not part of the codec's interface.
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <vector>

namespace rtf {

// The code page of a \fcharset number; unknown sets take the document's.
int CodePageForCharset(int charset, int ansiCp);

// The bytes read in one code page; an unknown code page reads as Windows Latin.
QString Decode(int cp, QByteArrayView bytes);

// Unicode (BMP) to the bytes of one code page, built once per code page: 0 means
// "not in the code page"; values up to 0xFF are one byte, larger ones two.
using EncodeTable = std::vector<uint16_t>;
const EncodeTable &EncodeTableFor(int cp);

} // namespace rtf
