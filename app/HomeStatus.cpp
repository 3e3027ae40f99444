#include "app/HomeStatus.h"

#include "app/Registries.h"
#include "app/Settings.h"
#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "platform/AnsiText.h"
#include "platform/Error.h"
#include "platform/Profile.h"
#include "platform/Regional.h"
#include "printing/JobLabels.h"
#include "selection/SelecaoCommand.h"

#include <algorithm>
#include <memory>

namespace zev {

namespace {

// Products that print nothing (no barcode, a scale code) are passed over;
// a selection of nothing else stops being looked through here.
constexpr std::int64_t RowsLookedAtPerShown = 50;

const char* const WhereToChoose = "em Ferramentas › Configuração, aba Etiquetas";

std::int64_t CountOf(TConnection& connection, std::string_view sql)
{
    TQuery& query = connection.Query(sql);
    const TQueryScope scope(query);
    query.Exec();
    return query.Next() ? query.Int(0) : 0;
}

std::vector<THomeRow> FirstRows(TConnection& connection, const TIniFile& ini, double date,
                                std::size_t limit)
{
    const std::unique_ptr<TJobLabels> selecao =
        SelecaoLabels(connection, ReadSelecaoRules(ini), date);
    const std::int64_t lookedAt =
        std::min(selecao->RowCount(), static_cast<std::int64_t>(limit) * RowsLookedAtPerShown);
    std::vector<THomeRow> rows;
    for (std::int64_t row = 0; row < lookedAt && rows.size() < limit; ++row) {
        const TJobRow jobRow = selecao->Row(row);
        if (jobRow.produto && jobRow.copies > 0)
            rows.push_back(
                {jobRow.produto->key, jobRow.produto->descricao, jobRow.produto->preco(date)});
    }
    return rows;
}

void ReadImportNote(const TIniFile& ini, TCatalogueStatus& catalogue)
{
    const QDateTime at = QDateTime::fromString(
        ReadSetting(ini, settings::UltimaImportacao), Qt::ISODate);
    if (at.isValid())
        catalogue.importedAt = at;
    catalogue.importedFrom = ReadSetting(ini, settings::ArquivoImportado);
}

void ReadCatalogue(const TIniFile& ini, std::size_t rowLimit, THomeStatus& status)
{
    try {
        const std::unique_ptr<TConnection> connection = OpenDatabase();
        const TReadTransaction view(*connection);
        status.catalogue.produtos = CountOf(*connection, "select count(*) from produto");
        status.selection.count = CountOf(*connection, "select count(*) from selecao");
        status.selection.date = SelecaoDataOf(*connection, ini);
        status.selection.rows = FirstRows(*connection, ini, status.selection.date, rowLimit);
        status.lastJob = LastJobOfDay(*connection, Today());
    } catch (const EZevError& error) {
        status.catalogue.error = QString::fromUtf8(error.what());
    }
}

QString PortProblem(const TPortRegistry& ports, const std::string& port)
{
    if (port.empty())
        return QStringLiteral("Sem porta: escolha uma %1.").arg(QString::fromUtf8(WhereToChoose));
    const QString device = ports.AbsentDevice(port);
    if (!device.isEmpty())
        return QStringLiteral("A impressora da porta %1 não está conectada (o dispositivo %2 "
                              "não existe): conecte-a, verifique o cabo e abra o ZEV de novo.")
            .arg(AnsiToQString(port), device);
    return QStringLiteral("A porta %1 não existe mais: escolha outra %2.")
        .arg(AnsiToQString(port), QString::fromUtf8(WhereToChoose));
}

THomeLabel LabelOf(const TRegistries& registries, std::string name, std::string port,
                   const std::string& defaultLabel)
{
    THomeLabel label;
    label.isDefault = name == defaultLabel;
    const TLabelRegistry& labels = *registries.Labels;
    if (labels.LabelHash.Exists(name))
        label.description = labels.LabelHash.Item(name).GetDescription();
    else
        label.problem = QStringLiteral("O modelo desta etiqueta não está mais na pasta dos "
                                       "modelos (\"Path Modelos\"): remova-a %1.")
                            .arg(QString::fromUtf8(WhereToChoose));
    const TPortRegistry& ports = *registries.Ports;
    if (!port.empty() && ports.PortHash().Exists(port))
        label.kind = ports.DriverOf(ports.PortHash().Item(port)).Kind();
    else if (label.problem.isEmpty())
        label.problem = PortProblem(ports, port);
    label.name = std::move(name);
    label.port = std::move(port);
    return label;
}

void ReadLabels(const TRegistries& registries, const TIniFile& ini, THomeStatus& status)
{
    status.defaultLabel = ReadSetting(ini, settings::LabelDefault);
    if (!registries.Labels || !registries.Ports)
        return;
    bool defaultListed = false;
    for (TConfiguredLabel& entry : LoadConfiguredLabels(ini.Path())) {
        defaultListed |= entry.LabelName == status.defaultLabel;
        status.labels.push_back(LabelOf(registries, std::move(entry.LabelName),
                                        std::move(entry.PortName), status.defaultLabel));
    }
    if (!status.defaultLabel.empty() && !defaultListed)
        status.labels.insert(status.labels.begin(),
                             LabelOf(registries, status.defaultLabel, {}, status.defaultLabel));
}

} // namespace

TNextStep NextStep(const TCatalogueStatus& catalogue, const TSelectionStatus& selection,
                   const double today)
{
    if (catalogue.produtos == 0)
        return TNextStep::Importar;
    if (selection.count == 0 || selection.date != today)
        return TNextStep::Hoje;
    return TNextStep::ImprimirSelecao;
}

THomeStatus ReadHomeStatus(const TRegistries& registries, const std::size_t rowLimit)
{
    THomeStatus status;
    const TIniFile ini(SettingsPath());
    ReadImportNote(ini, status.catalogue);
    ReadCatalogue(ini, rowLimit, status);
    ReadLabels(registries, ini, status);
    status.next = NextStep(status.catalogue, status.selection, Today());
    return status;
}

} // namespace zev
