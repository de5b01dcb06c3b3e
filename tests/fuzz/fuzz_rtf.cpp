// Feeds arbitrary bytes to the RTF reader. Whatever it makes of them must write and
// read back to the same text, every picture in it must decode or show its placeholder
// within the decoding bounds, and nothing may crash, hang or leak.
#include "RtfCodec.h"

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    // Damaged pictures are expected here; their decoders' complaints would only slow the run.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QTextDocument doc;
    rtf::Load(bytes, doc);
    // Painting decodes each picture; here every one is decoded, as a paint of the whole note would.
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (const QTextCharFormat f = it.fragment().charFormat(); f.isImageFormat()) {
                const QImage image = rtf::ShownImage(doc, f.toImageFormat());
                if (image.isNull() || image.width() > 4096 || image.height() > 4096)
                    std::abort();
            }
    const QByteArray written = rtf::Write(doc);
    QTextDocument again;
    if (!rtf::Read(written, again) || again.toPlainText() != doc.toPlainText())
        std::abort();
    return 0;
}
