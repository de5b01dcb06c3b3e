#pragma once
// What a document looks like to the user, run by run, for comparing documents.
#include <QColor>
#include <QFile>
#include <QString>
#include <QFont>
#include <QTextBlock>
#include <QTextDocument>

#include <ostream>
#include <vector>

struct LookRun {
    QString text;
    QString face;
    QString size; // "px15" or "pt11.5"
    bool bold = false, italic = false, underline = false, strike = false;
    QColor fg, bg; // invalid: the box's own colour
    bool operator==(const LookRun &) const = default;
};
using LookBlock = std::vector<LookRun>;
using Look = std::vector<LookBlock>;

inline std::ostream &operator<<(std::ostream &os, const LookRun &r)
{
    return os << '"' << r.text.toStdString() << "\" " << r.face.toStdString() << ' ' << r.size.toStdString()
              << (r.bold ? " b" : "") << (r.italic ? " i" : "") << (r.underline ? " u" : "") << (r.strike ? " s" : "")
              << (r.fg.isValid() ? " fg=" + r.fg.name().toStdString() : "")
              << (r.bg.isValid() ? " bg=" + r.bg.name().toStdString() : "");
}

inline Look LookOf(const QTextDocument &doc)
{
    Look look;
    const QFont def = doc.defaultFont();
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        LookBlock block;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            const QTextCharFormat f = fr.charFormat();
            const QFont font = f.font().resolve(def);
            LookRun r;
            r.text = fr.text();
            r.face = font.families().value(0, font.family());
            r.size = font.pixelSize() > 0 ? QStringLiteral("px%1").arg(font.pixelSize())
                                          : QStringLiteral("pt%1").arg(font.pointSizeF());
            r.bold = font.bold();
            r.italic = font.italic();
            r.underline = font.underline();
            r.strike = font.strikeOut();
            if (f.foreground().style() != Qt::NoBrush)
                r.fg = f.foreground().color();
            if (f.background().style() != Qt::NoBrush)
                r.bg = f.background().color();
            if (!block.empty()) {
                LookRun probe = r;
                probe.text = block.back().text;
                if (probe == block.back()) {
                    block.back().text += r.text;
                    continue;
                }
            }
            block.push_back(r);
        }
        look.push_back(block);
    }
    return look;
}

inline void PrepareNoteDocument(QTextDocument &doc)
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(15);
    doc.setDefaultFont(f);
}

inline QByteArray ReadFixture(const QString &name)
{
    QFile f(QStringLiteral(TAVI_TEST_DATA "/store/rtf/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}
