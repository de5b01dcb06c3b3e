#include "RtfKeywords.h"

#include <unordered_map>

namespace rtf {

const KwInfo *FindKeyword(std::string_view name)
{
    static const std::unordered_map<std::string_view, KwInfo> map = [] {
        std::unordered_map<std::string_view, KwInfo> m;
        m["rtf"] = {Kw::Rtf};
        m["fonttbl"] = {Kw::FontTable};
        m["colortbl"] = {Kw::ColorTable};
        m["upr"] = {Kw::Upr};
        m["ud"] = {Kw::Ud};
        // Destinations that hold no text of the note.
        for (const char *d : {"stylesheet", "info", "object", "objdata", "fldinst", "header", "headerl",
                              "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "footnote",
                              "annotation", "atnid", "atnauthor", "atndate", "comment", "xe", "tc", "txe", "rxe",
                              "bkmkstart", "bkmkend", "listtable", "listoverridetable", "revtbl", "rsidtbl",
                              "generator", "filetbl", "nonshppict", "shprslt", "shpinst", "themedata",
                              "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "pgdsctbl", "mmathPr",
                              "template", "docvar", "userprops", "keywords", "subject", "title", "author",
                              "operator", "creatim", "revtim", "printim", "buptim", "doccomm", "hlinkbase",
                              "company", "category", "manager", "fchars", "lchars", "pn", "pntxta", "pntxtb",
                              "falt", "panose", "fname", "formfield", "datafield", "passwordhash", "protusertbl"})
            m[d] = {Kw::SkipDest};
        m["pict"] = {Kw::Pict};
        m["shppict"] = {Kw::ShpPict};
        m["pngblip"] = {Kw::PngBlip};
        m["jpegblip"] = {Kw::JpegBlip};
        for (const char *b : {"emfblip", "macpict", "pmmetafile", "wmetafile", "dibitmap", "wbitmap"})
            m[b] = {Kw::OtherBlip};
        m["picwgoal"] = {Kw::PicWGoal};
        m["pichgoal"] = {Kw::PicHGoal};
        m["picscalex"] = {Kw::PicScaleX};
        m["picscaley"] = {Kw::PicScaleY};
        m["ansi"] = {Kw::Ansi};
        m["mac"] = {Kw::Mac};
        m["pc"] = {Kw::Pc};
        m["pca"] = {Kw::Pca};
        m["ansicpg"] = {Kw::AnsiCpg};
        m["deff"] = {Kw::Deff};
        m["f"] = {Kw::F};
        m["fcharset"] = {Kw::FCharset};
        m["cpg"] = {Kw::Cpg};
        m["fprq"] = {Kw::Fprq};
        m["red"] = {Kw::Red};
        m["green"] = {Kw::Green};
        m["blue"] = {Kw::Blue};
        m["plain"] = {Kw::Plain};
        m["fs"] = {Kw::Fs};
        m["tavipx"] = {Kw::TaviPx};
        m["b"] = {Kw::Bold};
        m["i"] = {Kw::Italic};
        for (const char *u : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulldash", "ulth",
                              "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ululdbwave", "ulw",
                              "ulwave"})
            m[u] = {Kw::Underline};
        m["ulnone"] = {Kw::UlNone};
        m["strike"] = {Kw::Strike};
        m["striked"] = {Kw::Strike};
        m["v"] = {Kw::Hidden};
        m["cf"] = {Kw::Cf};
        m["highlight"] = {Kw::Highlight};
        m["cb"] = {Kw::Highlight};
        m["chcbpat"] = {Kw::Highlight};
        m["uc"] = {Kw::Uc};
        m["loch"] = {Kw::Loch};
        m["hich"] = {Kw::Hich};
        m["dbch"] = {Kw::Dbch};
        m["af"] = {Kw::Af};
        m["afs"] = {Kw::Afs};
        m["ab"] = {Kw::Ab};
        m["ai"] = {Kw::Ai};
        m["par"] = {Kw::Par};
        m["sect"] = {Kw::Par};
        m["page"] = {Kw::Par};
        m["row"] = {Kw::Par};
        m["nestrow"] = {Kw::Par};
        m["line"] = {Kw::Line};
        m["tab"] = {Kw::Tab};
        m["cell"] = {Kw::Cell};
        m["nestcell"] = {Kw::Cell};
        m["u"] = {Kw::U};
        m["bin"] = {Kw::Bin};
        m["emdash"] = {Kw::Char, 0x2014};
        m["endash"] = {Kw::Char, 0x2013};
        m["bullet"] = {Kw::Char, 0x2022};
        m["lquote"] = {Kw::Char, 0x2018};
        m["rquote"] = {Kw::Char, 0x2019};
        m["ldblquote"] = {Kw::Char, 0x201C};
        m["rdblquote"] = {Kw::Char, 0x201D};
        m["emspace"] = {Kw::Char, 0x2003};
        m["enspace"] = {Kw::Char, 0x2002};
        m["qmspace"] = {Kw::Char, 0x2005};
        m["zwj"] = {Kw::Char, 0x200D};
        m["zwnj"] = {Kw::Char, 0x200C};
        m["ltrmark"] = {Kw::Char, 0x200E};
        m["rtlmark"] = {Kw::Char, 0x200F};
        return m;
    }();
    if (name.size() > 32)
        return nullptr;
    const auto it = map.find(name);
    return it == map.end() ? nullptr : &it->second;
}

} // namespace rtf
