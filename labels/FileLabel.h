#pragma once

// A label defined by a ".lbl" file: printer command text with placeholders
// such as "{Produto.preco}", in the settings-file format. The file is read
// once, at construction; rendering fills the placeholders of the body that
// fits the product (normal, on offer, box, box on offer) and appends the
// closing text.
//
// Sections of a file:
//   [geral]            name, description, version, printer, line length;
//                      for the preview: preview (zpl, dpl or none), preview
//                      width and preview height (mm), preview dpi
//   [pre_label]        header sent once per job
//   [normal] [oferta] [multiplo] [oferta_multiplo]   bodies
//   [bottom_middle]    closing text when more labels follow
//   [bottom_last]      closing text of the last or only label
//   [image]            preview picture: a BMP file in Base64
// A text section's values are its lines, ordered by their keys as text
// (1, 10, 2: write 01, 02 ... 10), each followed by CR LF.
// "{SOH}", "{STX}" and "{ESC}" stand for the bytes 0x01, 0x02 and 0x1B.

#include "labels/PrinterLabel.h"
#include "platform/Error.h"

#include <QString>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zev {

// A label definition that cannot be loaded, or a product that cannot be
// rendered; the message names the file or the product.
class ELabelError : public EZevError
{
public:
    using EZevError::EZevError;
};

// The most bytes one rendered label may hold. Descriptions that carry
// placeholders of their own next lines grow without bound through the
// sequential substitution; no real label comes near this.
inline constexpr std::size_t MaxRenderedLabel = 1024 * 1024;

// Ordered name=value pairs, substituted one after the other into a text.
using TSubstitutions = std::vector<std::pair<std::string, std::string>>;

class TFileLabel : public TBaseLabel
{
public:
    // Throws ELabelError when the picture does not load.
    explicit TFileLabel(const QString& path);

    // All four throw ELabelError for a product without any barcode, or a box
    // or standard package whose factor is zero.
    void RenderFirst(const TProduto& produto, std::string& text, double date) const override;
    void RenderNext(const TProduto& produto, std::string& text, double date) const override;
    void RenderSingle(const TProduto& produto, std::string& text, double date) const override;
    void RenderLast(const TProduto& produto, std::string& text, double date) const override;

    int LineLength() const { return m_lineLength; }
    TPreviewHints PreviewHints() const override { return m_previewHints; }

private:
    struct TDefinition;
    explicit TFileLabel(TDefinition definition);

    const std::string& BodySection(const TProduto& produto, double date) const;
    TSubstitutions Placeholders(const TProduto& produto, double date) const;
    void Render(const TProduto& produto, std::string& text, double date,
                const std::string& closing) const;

    std::string m_normal;
    std::string m_oferta;
    std::string m_multiplo;
    std::string m_ofertaMultiplo;
    std::string m_bottomMiddle; // escapes already replaced
    std::string m_bottomLast;   // escapes already replaced
    int m_lineLength = 0;
    TPreviewHints m_previewHints;
};

// Replaces every occurrence of each name by its value, entry after entry,
// each entry working on the result of the ones before it (case-sensitive).
// False, with `text` part substituted, once the text would pass `limit` bytes.
bool Substitute(std::string& text, const TSubstitutions& table,
                std::size_t limit = std::string::npos);

// The escape names and their bytes.
const TSubstitutions& LabelEscapes();

// Lines of a description wrapped at the line length, without the blank,
// hyphen or tab each was broken at.
std::vector<std::string> DescriptionLines(std::string_view descricao, int lineLength);

// The barcode to print: `barra`, or the first of `barras` when it is blank;
// odd lengths get a leading zero, at most 99 characters, trimmed, padded
// with zeros to 8. Throws ELabelError when the product has no barcode.
std::string BarcodeValue(const TProduto& produto);

// The preview keys of a "geral" section's values; an unknown language is
// kept by name, so the preview can say why it has no picture.
TPreviewHints ReadPreviewHints(const std::string& language, const std::string& width,
                               const std::string& height, const std::string& dpi);

// Standard Base64; "=" ends the data, blanks and line breaks are skipped.
// Throws ELabelError for other characters outside the alphabet.
std::string DecodeBase64(std::string_view text);

} // namespace zev
