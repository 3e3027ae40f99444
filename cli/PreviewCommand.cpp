// zev-cli preview: the picture of what a label prints, drawn from the bytes
// the printer gets: one product's single label after the header as a PNG,
// or the whole selection in print order as a PDF, one label a page at the
// label's own size. What the picture does not show goes to standard error.

#include "app/Settings.h"
#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "cli/Cli.h"
#include "labels/LabelRegistry.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Regional.h"
#include "preview/LabelPreview.h"
#include "printing/JobLabels.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <memory>
#include <optional>
#include <ostream>

namespace zev::cli {

namespace {

constexpr std::string_view Preview = "preview";
constexpr double MmPerInch = 25.4;

struct TPreviewRequest
{
    std::string label;
    std::optional<std::int32_t> key;
    std::optional<std::string> barra;
    bool selection = false;
    std::optional<double> date;
    QString png;
    QString pdf;
};

// The problem with the arguments, or nothing when they are right.
std::optional<std::string> ParsePreview(TArguments arguments, TPreviewRequest& request)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--selection") {
            request.selection = true;
            continue;
        }
        if (option != "--label" && option != "--key" && option != "--barra" &&
            option != "--date" && option != "--png" && option != "--pdf")
            return "opção desconhecida: " + option;
        if (++i == arguments.size())
            return option + " precisa de um valor";
        const std::string& value = arguments[i];
        if (option == "--label") {
            request.label = Utf8ToAnsi(value);
        } else if (option == "--key") {
            request.key = TryStrToInt(value);
            if (!request.key)
                return "chave inválida: '" + value + "'";
        } else if (option == "--barra") {
            request.barra = Utf8ToAnsi(value);
        } else if (option == "--date") {
            request.date = ParseDate(value);
            if (!request.date)
                return "data inválida: '" + value + "'";
        } else if (option == "--png") {
            request.png = QString::fromLocal8Bit(value);
        } else {
            request.pdf = QString::fromLocal8Bit(value);
        }
    }
    if (request.label.empty())
        return "informe a etiqueta com --label";
    const int products = (request.key ? 1 : 0) + (request.barra ? 1 : 0) + (request.selection ? 1 : 0);
    if (products != 1)
        return "informe o produto com --key ou --barra, ou a seleção com --selection";
    if (request.png.isEmpty() == request.pdf.isEmpty())
        return "informe o arquivo com --png ou com --pdf";
    if (request.selection && !request.png.isEmpty())
        return "a seleção vai para um PDF: use --pdf";
    return std::nullopt;
}

// `number`: the label's number in a PDF of several, 0 for none.
void ReportGaps(TCliContext& context, const TLabelPicture& picture, std::int64_t number)
{
    for (const TPreviewGap& gap : picture.gaps) {
        if (number > 0)
            context.err << "Etiqueta " << number << ": ";
        context.err << GapText(gap).toStdString() << "\n";
    }
}

int Dpi(const TLabelPicture& picture)
{
    return picture.dpi > 0 ? picture.dpi : DefaultPreviewDpi;
}

QSizeF SizeMm(const TLabelPicture& picture)
{
    const double dpi = Dpi(picture);
    return QSizeF(picture.image.width() * MmPerInch / dpi, picture.image.height() * MmPerInch / dpi);
}

// The pages of a PDF, each the size of its label, the picture filling it.
class TPdfPages
{
public:
    explicit TPdfPages(const QString& path) : m_writer(path)
    {
        m_writer.setCreator(QStringLiteral("ZEV"));
        m_writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    }

    bool Add(const TLabelPicture& picture)
    {
        const QPageSize size(SizeMm(picture), QPageSize::Millimeter);
        const int dpi = Dpi(picture);
        if (!m_painter) {
            m_writer.setPageSize(size);
            m_writer.setResolution(dpi);
            m_painter = std::make_unique<QPainter>();
            if (!m_painter->begin(&m_writer))
                return false;
        } else {
            m_writer.setPageSize(size);
            if (!m_writer.newPage())
                return false;
        }
        // Black on white: one bit a dot keeps a long job's file small.
        const QImage dots = picture.image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
        const QRect page = m_writer.pageLayout().fullRectPixels(m_writer.resolution());
        m_painter->drawImage(page, dots);
        return true;
    }

    bool End() { return m_painter && m_painter->end(); }

private:
    QPdfWriter m_writer;
    std::unique_ptr<QPainter> m_painter;
};

int PreviewProdutoPng(TCliContext& context, const TPrinterLabel& label,
                      const TPreviewRequest& request)
{
    const auto produto = FindNamedProduto(context, request.key, request.barra);
    if (!produto)
        return Failed;
    const TLabelPicture picture = PreviewProduto(label, *produto, request.date.value_or(Today()));
    ReportGaps(context, picture, 0);
    if (!picture.HasPicture()) {
        context.err << picture.noPreview.toStdString() << "\n";
        return Failed;
    }
    if (!request.pdf.isEmpty()) {
        TPdfPages pages(request.pdf);
        if (pages.Add(picture) && pages.End())
            return Done;
    } else {
        QImage image = picture.image;
        const int dotsPerMeter = qRound(Dpi(picture) * 1000 / MmPerInch);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        if (image.save(request.png, "PNG"))
            return Done;
    }
    const QString path = request.pdf.isEmpty() ? request.png : request.pdf;
    context.err << "Não foi possível gravar \"" << path.toStdString() << "\"\n";
    return Failed;
}

int PreviewSelecaoPdf(TCliContext& context, const TPrinterLabel& label,
                      const TPreviewRequest& request)
{
    CreateDatabase();
    const std::unique_ptr<TJobLabelList> labels = SelecaoJobLabels(label, request.date);
    if (labels->Count() == 0) {
        context.err << "Não há etiquetas selecionadas !!!\n";
        return Failed;
    }
    bool written = true;
    {
        TPdfPages pages(request.pdf);
        for (std::int64_t i = 0; i < labels->Count() && written; ++i) {
            const TJobLabel job = labels->At(i);
            const TLabelPicture picture =
                RenderPreview(label.GetHeader(), job.text, label.PreviewHints());
            ReportGaps(context, picture, i + 1);
            if (!picture.HasPicture()) {
                context.err << "Etiqueta " << i + 1 << ": " << picture.noPreview.toStdString()
                            << "\n";
                pages.End();
                QFile::remove(request.pdf);
                return Failed;
            }
            written = pages.Add(picture);
        }
        written = written && pages.End();
    }
    if (!written) {
        context.err << "Não foi possível gravar \"" << request.pdf.toStdString() << "\"\n";
        return Failed;
    }
    return Done;
}

} // namespace

bool NeedsGuiApplication(TArguments arguments)
{
    std::size_t next = 0;
    while (next < arguments.size() && arguments[next].starts_with("--"))
        next += arguments[next] == "--home" ? 2 : 1;
    return next < arguments.size() && arguments[next] == Preview;
}

int PreviewCommand(TCliContext& context, TArguments arguments)
{
    TPreviewRequest request;
    if (const std::optional<std::string> problem = ParsePreview(arguments, request))
        return UsageError(context, Preview, *problem);

    const auto registry = BuildLabelRegistry(SettingsPath());
    const TPrinterLabel& label = registry->LabelHash.Item(request.label);
    return request.selection ? PreviewSelecaoPdf(context, label, request)
                             : PreviewProdutoPng(context, label, request);
}

} // namespace zev::cli
