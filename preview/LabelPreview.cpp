#include "preview/LabelPreview.h"

#include "labels/PrinterLabel.h"
#include "platform/Error.h"
#include "preview/DplInterpreter.h"
#include "preview/ZplInterpreter.h"

namespace zev {

namespace {

constexpr char Stx = '\x02';

bool HasZplFormat(std::string_view data)
{
    return data.find("^XA") != std::string_view::npos;
}

// STX L opens a DPL label format.
bool HasDplFormat(std::string_view data)
{
    for (std::size_t at = data.find(Stx); at != std::string_view::npos; at = data.find(Stx, at + 1))
        if (at + 1 < data.size() && data[at + 1] == 'L')
            return true;
    return false;
}

TLabelPicture NoPreview(const char* reason)
{
    TLabelPicture picture;
    picture.noPreview = QString::fromUtf8(reason);
    return picture;
}

} // namespace

TPreviewLanguage RecogniseLanguage(std::string_view header, std::string_view label)
{
    // The label decides: a header may set up a printer of either kind.
    if (HasZplFormat(label))
        return TPreviewLanguage::Zpl;
    if (HasDplFormat(label))
        return TPreviewLanguage::Dpl;
    if (label.empty() && HasZplFormat(header))
        return TPreviewLanguage::Zpl;
    return TPreviewLanguage::Recognise;
}

TLabelPicture RenderPreview(std::string_view header, std::string_view label,
                            const TPreviewHints& hints)
{
    TPreviewLanguage language = hints.language;
    if (language == TPreviewLanguage::Recognise)
        language = RecogniseLanguage(header, label);
    switch (language) {
    case TPreviewLanguage::Zpl:
        return RenderZpl(header, label, hints);
    case TPreviewLanguage::Dpl:
        return RenderDpl(header, label, hints);
    case TPreviewLanguage::None:
        if (!hints.unknownLanguage.empty()) {
            TLabelPicture picture;
            picture.noPreview =
                QStringLiteral("Linguagem \"%1\" do modelo sem visualização: só zpl e dpl têm.")
                    .arg(QString::fromLatin1(hints.unknownLanguage));
            return picture;
        }
        return NoPreview("O modelo de etiqueta não tem visualização (preview=none).");
    case TPreviewLanguage::Recognise:
        break;
    }
    if (label.empty())
        return NoPreview("A etiqueta não tem dados: nada a visualizar.");
    return NoPreview("Linguagem de impressora não reconhecida: só ZPL II e DPL têm visualização.");
}

TLabelPicture PreviewProduto(const TPrinterLabel& label, const TProduto& produto, double date)
{
    std::string text;
    try {
        label.RenderSingle(produto, text, date);
    } catch (const EZevError& error) {
        TLabelPicture picture;
        picture.noPreview = QString::fromUtf8(error.what());
        return picture;
    }
    return RenderPreview(label.GetHeader(), text, label.PreviewHints());
}

QString GapText(const TPreviewGap& gap)
{
    const QString command = QString::fromLatin1(gap.command.data(),
                                                static_cast<qsizetype>(gap.command.size()));
    const QString where = gap.inHeader ? QStringLiteral("do cabeçalho") : QStringLiteral("da etiqueta");
    const QString reason = gap.reason.empty() ? QStringLiteral("não reconhecido")
                                              : QString::fromStdString(gap.reason);
    return QStringLiteral("%1 na posição %2 %3: %4").arg(command).arg(gap.offset).arg(where, reason);
}

} // namespace zev
