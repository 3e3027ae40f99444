#include "labels/FileLabel.h"

#include "catalogue/Produto.h"
#include "platform/AnsiText.h"
#include "platform/BitmapImage.h"
#include "platform/Conversions.h"
#include "platform/Profile.h"
#include "platform/Regional.h"

#include <QByteArray>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>

namespace zev {

namespace {

constexpr std::string_view DateFormat = "dd/mm/yyyy";
constexpr std::string_view PriceFormat = "%4.2f";
constexpr std::size_t DescriptionPlaceholderLines = 10;
constexpr std::size_t MaxBarcodeLength = 99;
constexpr std::size_t MinBarcodeLength = 8;
// Fewer decoded bytes cannot be a picture: the label simply has none.
constexpr std::size_t MinImageBytes = 16;

bool IsBlank(std::string_view text)
{
    return TrimView(text).empty();
}

// The section's values ordered by key as text.
std::vector<std::pair<std::string, std::string>> SectionLines(const TIniFile& file,
                                                               std::string_view section)
{
    auto lines = file.ReadSectionValues(section);
    const auto byKey = [](const auto& a, const auto& b) { return AnsiCompareText(a.first, b.first) < 0; };
    // Files are usually written in order; checking is cheaper than sorting.
    if (!std::is_sorted(lines.begin(), lines.end(), byKey))
        std::stable_sort(lines.begin(), lines.end(), byKey);
    return lines;
}

// The section's lines joined, each followed by `separator`.
std::string SectionText(const TIniFile& file, std::string_view section,
                        std::string_view separator = "\r\n")
{
    const auto lines = SectionLines(file, section);
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.second.size() + separator.size();
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line.second;
        text += separator;
    }
    return text;
}

std::string WithEscapes(std::string text)
{
    Substitute(text, LabelEscapes());
    return text;
}

std::string FileNameForMessage(const QString& path)
{
    return QFileInfo(path).fileName().toStdString();
}

QImage LoadPreview(const TIniFile& file)
{
    std::string bytes;
    try {
        // The lines joined without their line breaks.
        bytes = DecodeBase64(SectionText(file, "image", ""));
    } catch (const ELabelError& error) {
        throw ELabelError("O modelo de etiqueta \"" + FileNameForMessage(file.Path()) +
                          "\" tem uma imagem inválida: " + error.what());
    }
    if (bytes.size() < MinImageBytes)
        return {};
    try {
        return DecodeBitmap(bytes);
    } catch (const EConvertError& error) {
        throw ELabelError("O modelo de etiqueta \"" + FileNameForMessage(file.Path()) +
                          "\" tem uma imagem que não pode ser lida. " + error.what());
    }
}

[[noreturn]] void CannotRender(const TProduto& produto, std::string_view reason)
{
    throw ELabelError("Não é possível imprimir a etiqueta do produto " + std::to_string(produto.key) +
                      ": " + std::string(reason));
}

double Divided(const TProduto& produto, double value, double divisor, std::string_view divisorName)
{
    const double quotient = value / divisor;
    if (divisor == 0 || !std::isfinite(quotient))
        CannotRender(produto, std::string(divisorName) + " é zero.");
    return quotient;
}

std::string ProductDate(const TProduto& produto, double day)
{
    try {
        return FormatDate(DateFormat, day);
    } catch (const EConvertError& error) {
        CannotRender(produto, error.what());
    }
}

// Name=value list where an empty value means "no entry", so the placeholder
// stays in the label as written.
class TPlaceholderTable
{
public:
    explicit TPlaceholderTable(TSubstitutions initial) : m_entries(std::move(initial)) {}

    void Set(std::string name, std::string value)
    {
        const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                        [&](const auto& entry) { return entry.first == name; });
        if (found == m_entries.end()) {
            if (!value.empty())
                m_entries.emplace_back(std::move(name), std::move(value));
        } else if (value.empty()) {
            m_entries.erase(found);
        } else {
            found->second = std::move(value);
        }
    }

    TSubstitutions Release() { return std::move(m_entries); }

private:
    TSubstitutions m_entries;
};

void SetDescriptionLines(TPlaceholderTable& table, std::string_view prefix,
                         const std::vector<std::string>& lines)
{
    for (std::size_t i = 0; i < DescriptionPlaceholderLines; ++i) {
        std::string name = std::string(prefix) + "[" + std::to_string(i) + "]}";
        table.Set(std::move(name), i < lines.size() ? lines[i] : std::string(" "));
    }
}

std::string FormatFator(double fator)
{
    return FormatFloat(fator == std::trunc(fator) ? "%3.0f" : "%3.2f", fator);
}

std::string FormatKey(std::int32_t key)
{
    std::string text = FormatInt("%6d", key);
    std::replace(text.begin(), text.end(), ' ', '0');
    return text;
}

} // namespace

namespace {

// Millimetres as people write them, "60", "60.5" or "60,5"; 0 when it is none.
double Millimetres(const std::string& text)
{
    bool ok = false;
    const double value = QString::fromStdString(text).trimmed().replace(u',', u'.').toDouble(&ok);
    return ok && value > 0 && value < 10000 ? value : 0;
}

} // namespace

TPreviewHints ReadPreviewHints(const std::string& language, const std::string& width,
                               const std::string& height, const std::string& dpi)
{
    TPreviewHints hints;
    const QString name = QString::fromStdString(language).trimmed().toLower();
    if (name == u"zpl")
        hints.language = TPreviewLanguage::Zpl;
    else if (name == u"dpl")
        hints.language = TPreviewLanguage::Dpl;
    else if (name == u"none")
        hints.language = TPreviewLanguage::None;
    else if (!name.isEmpty()) {
        hints.language = TPreviewLanguage::None;
        hints.unknownLanguage = language;
    }
    hints.widthMm = Millimetres(width);
    hints.heightMm = Millimetres(height);
    const int resolution = QString::fromStdString(dpi).trimmed().toInt();
    hints.dpi = resolution >= 100 && resolution <= 1200 ? resolution : 0;
    return hints;
}

struct TFileLabel::TDefinition
{
    std::string name;
    std::string description;
    std::string version;
    std::string printer;
    int lineLength = 0;
    TPreviewHints previewHints;
    QImage image;
    std::string header;
    std::string normal;
    std::string oferta;
    std::string multiplo;
    std::string ofertaMultiplo;
    std::string bottomMiddle;
    std::string bottomLast;

    explicit TDefinition(const QString& path)
    {
        const TIniFile file(path);
        name = file.ReadString("geral", "name");
        description = file.ReadString("geral", "description");
        version = file.ReadString("geral", "version");
        printer = file.ReadString("geral", "printer");
        lineLength = file.ReadInteger("geral", "line length", 0);
        previewHints = ReadPreviewHints(
            file.ReadString("geral", "preview"), file.ReadString("geral", "preview width"),
            file.ReadString("geral", "preview height"), file.ReadString("geral", "preview dpi"));
        header = WithEscapes(SectionText(file, "pre_label"));
        normal = SectionText(file, "normal");
        oferta = SectionText(file, "oferta");
        multiplo = SectionText(file, "multiplo");
        ofertaMultiplo = SectionText(file, "oferta_multiplo");
        bottomMiddle = WithEscapes(SectionText(file, "bottom_middle"));
        bottomLast = WithEscapes(SectionText(file, "bottom_last"));
        image = LoadPreview(file);
    }
};

TFileLabel::TFileLabel(const QString& path) : TFileLabel(TDefinition(path)) {}

TFileLabel::TFileLabel(TDefinition definition)
    : TBaseLabel(std::move(definition.name), std::move(definition.printer), std::move(definition.image),
                 std::move(definition.header), std::move(definition.description),
                 std::move(definition.version))
    , m_normal(std::move(definition.normal))
    , m_oferta(std::move(definition.oferta))
    , m_multiplo(std::move(definition.multiplo))
    , m_ofertaMultiplo(std::move(definition.ofertaMultiplo))
    , m_bottomMiddle(std::move(definition.bottomMiddle))
    , m_bottomLast(std::move(definition.bottomLast))
    , m_lineLength(definition.lineLength)
    , m_previewHints(std::move(definition.previewHints))
{
}

void TFileLabel::RenderFirst(const TProduto& produto, std::string& text, double date) const
{
    Render(produto, text, date, m_bottomMiddle);
}

void TFileLabel::RenderNext(const TProduto& produto, std::string& text, double date) const
{
    Render(produto, text, date, m_bottomMiddle);
}

void TFileLabel::RenderSingle(const TProduto& produto, std::string& text, double date) const
{
    Render(produto, text, date, m_bottomLast);
}

void TFileLabel::RenderLast(const TProduto& produto, std::string& text, double date) const
{
    Render(produto, text, date, m_bottomLast);
}

void TFileLabel::Render(const TProduto& produto, std::string& text, double date,
                        const std::string& closing) const
{
    // The table is built first: a product that cannot be rendered leaves the
    // caller's text as it was.
    const TSubstitutions placeholders = Placeholders(produto, date);
    const std::string& section = BodySection(produto, date);
    if (IsBlank(section)) {
        text.clear();
        return;
    }
    std::string body = section;
    if (!Substitute(body, placeholders, MaxRenderedLabel) ||
        body.size() + closing.size() > MaxRenderedLabel)
        CannotRender(produto, "a etiqueta teria mais de " +
                                  std::to_string(MaxRenderedLabel / (1024 * 1024)) +
                                  " MB; veja se a descrição contém marcadores como "
                                  "{Produto.descricao[1]}.");
    body += closing;
    text = std::move(body);
}

// A box is a product whose `pai` is set; it is never followed, so a box
// renders without its unit product.
const std::string& TFileLabel::BodySection(const TProduto& produto, double date) const
{
    const bool isBox = produto.pai != nullptr;
    const std::string* chosen = &m_normal;
    if (produto.emOferta(date))
        chosen = isBox ? &m_ofertaMultiplo : &m_oferta;
    else if (isBox)
        chosen = &m_multiplo;
    return IsBlank(*chosen) ? m_normal : *chosen;
}

TSubstitutions TFileLabel::Placeholders(const TProduto& produto, double date) const
{
    TPlaceholderTable table(LabelEscapes());
    const std::vector<std::string> lines = DescriptionLines(produto.descricao, m_lineLength);
    const double preco = produto.preco(date);

    SetDescriptionLines(table, "{Produto.descricao", lines);
    table.Set("{Produto.key}", FormatKey(produto.key));
    table.Set("{Produto.data}", FormatDate(DateFormat, date));
    table.Set("{Produto.embalagem}", produto.embalagem);
    table.Set("{Produto.preco}", FormatFloat(PriceFormat, preco));
    table.Set("{Produto.precoNormal}", FormatFloat(PriceFormat, produto.precoNormal));
    table.Set("{Produto.precoOferta}", FormatFloat(PriceFormat, produto.precoOferta));
    if (!produto.fornecedorDescricao.empty()) {
        table.Set("{Produto.fornecedorDescricao}", produto.fornecedorDescricao);
        table.Set("{Produto.fabricacao}", ProductDate(produto, produto.fabricacao));
        table.Set("{Produto.validade}", ProductDate(produto, produto.fabricacao + produto.diasValidade));
    }
    // The standard package is the record's own, box or not: its price per
    // package unit is computed from its own price and factor, so the test
    // and the values always agree.
    const bool hasStandardPackage = !produto.embalagemPadrao.empty();
    table.Set("{Produto.embalagemPadrao}", hasStandardPackage ? produto.embalagemPadrao : "Un");
    table.Set("{Produto.embalagemPadraoPreco}",
              FormatFloat(PriceFormat, hasStandardPackage
                                           ? Divided(produto, preco, produto.embalagemPadraoFator,
                                                     "o fator da embalagem padrão")
                                           : preco));
    table.Set("{Produto.barra}", BarcodeValue(produto));

    if (produto.pai != nullptr) {
        SetDescriptionLines(table, "{Caixa.descricao", lines);
        table.Set("{Caixa.embalagem}", produto.embalagem);
        table.Set("{Caixa.preco}", FormatFloat(PriceFormat, preco));
        table.Set("{Caixa.precoUnitario}",
                  FormatFloat(PriceFormat,
                              Divided(produto, preco, produto.fatorPreco, "o fator de preço da caixa")));
        table.Set("{Caixa.fator}", FormatFator(produto.fatorPreco));
    }
    return table.Release();
}

bool Substitute(std::string& text, const TSubstitutions& table, std::size_t limit)
{
    for (const auto& [name, value] : table) {
        if (name.empty())
            continue;
        std::size_t found = text.find(name);
        if (found == std::string::npos)
            continue;
        std::string replaced;
        replaced.reserve(std::min(text.size() + value.size(), limit));
        std::size_t from = 0;
        while (found != std::string::npos) {
            if (replaced.size() + (found - from) + value.size() > limit)
                return false;
            replaced.append(text, from, found - from);
            replaced += value;
            from = found + name.size();
            found = text.find(name, from);
        }
        if (replaced.size() + (text.size() - from) > limit)
            return false;
        replaced.append(text, from);
        text = std::move(replaced);
    }
    return true;
}

const TSubstitutions& LabelEscapes()
{
    static const TSubstitutions escapes = {
        {"{SOH}", "\x01"},
        {"{STX}", "\x02"},
        {"{ESC}", "\x1b"},
    };
    return escapes;
}

std::vector<std::string> DescriptionLines(std::string_view descricao, int lineLength)
{
    const std::string wrapped = WrapText(descricao, lineLength);
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t lf = wrapped.find('\n'); lf != std::string::npos; lf = wrapped.find('\n', from)) {
        std::string_view line(wrapped.data() + from, lf - from);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!line.empty() && (line.back() == ' ' || line.back() == '-' || line.back() == '\t'))
            line.remove_suffix(1);
        lines.emplace_back(line);
        from = lf + 1;
    }
    lines.emplace_back(wrapped.substr(from));
    return lines;
}

std::string BarcodeValue(const TProduto& produto)
{
    std::string code;
    if (!IsBlank(produto.barra))
        code = produto.barra;
    else if (!produto.barras.empty())
        code = produto.barras.front();
    else
        CannotRender(produto, "ele não tem código de barras.");

    if (code.size() % 2 != 0)
        code.insert(0, 1, '0');
    code.resize(std::min(code.size(), MaxBarcodeLength));
    code = Trim(code);
    if (code.size() < MinBarcodeLength)
        code.insert(0, MinBarcodeLength - code.size(), '0');
    return code;
}

std::string DecodeBase64(std::string_view text)
{
    static constexpr std::int8_t Skipped = -1;
    static constexpr std::int8_t Invalid = -2;
    static const std::array<std::int8_t, 256> values = [] {
        std::array<std::int8_t, 256> table;
        table.fill(Invalid);
        constexpr std::string_view alphabet =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (std::size_t i = 0; i < alphabet.size(); ++i)
            table[static_cast<unsigned char>(alphabet[i])] = std::int8_t(i);
        for (const char blank : {' ', '\t', '\r', '\n'})
            table[static_cast<unsigned char>(blank)] = Skipped;
        return table;
    }();

    std::string bytes(text.size() / 4 * 3 + 3, '\0');
    std::size_t length = 0;
    std::uint32_t bits = 0;
    int bitCount = 0;
    for (const char c : text) {
        if (c == '=')
            break;
        const std::int8_t value = values[static_cast<unsigned char>(c)];
        if (value == Skipped)
            continue;
        if (value == Invalid)
            throw ELabelError("caractere fora do Base64 na seção [image]");
        bits = (bits << 6) | std::uint32_t(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes[length++] = char((bits >> bitCount) & 0xFF);
        }
    }
    bytes.resize(length);
    return bytes;
}

} // namespace zev
