#pragma once
// The control words the RTF reader acts on. Not part of the codec's interface.
#include <cstdint>
#include <string_view>

namespace rtf {

enum class Kw : uint8_t {
    Unknown,
    // destinations
    Rtf, FontTable, ColorTable, SkipDest, Upr, Ud,
    // document
    Ansi, Mac, Pc, Pca, AnsiCpg, Deff,
    // font table
    F, FCharset, Cpg, Fprq,
    // colour table
    Red, Green, Blue,
    // character formatting
    Plain, Fs, TaviPx, Bold, Italic, Underline, UlNone, Strike, Hidden, Cf, Highlight, Uc,
    // associated (double-byte) character formatting
    Loch, Hich, Dbch, Af, Afs, Ab, Ai,
    // pictures
    Pict, ShpPict, PngBlip, JpegBlip, OtherBlip, PicWGoal, PicHGoal, PicScaleX, PicScaleY,
    // text
    Par, Line, Tab, Cell, U, Bin, Char,
};

struct KwInfo {
    Kw kw;
    char16_t ch = 0; // Kw::Char
};

// The meaning of a control word; null for words the reader does not know.
const KwInfo *FindKeyword(std::string_view name);

} // namespace rtf
