#include "printing/History.h"

#include "app/Settings.h"
#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "platform/AnsiText.h"
#include "platform/Profile.h"
#include "platform/Regional.h"

#include <QDateTime>

#include <algorithm>
#include <array>

namespace zev {

namespace {

// A value, its name in the database and its text on the screen.
template <typename T> struct TNamed
{
    T value;
    std::string_view name;
    const char* text;
};

using TKindName = TNamed<TJobKind>;
using TEndingName = TNamed<TJobEnding>;

constexpr std::array KindNames = {
    TKindName{TJobKind::Selecao, "selecao", "seleção"},
    TKindName{TJobKind::Arquivo, "arquivo", "arquivo"},
    TKindName{TJobKind::Sequencial, "sequencial", "sequencial"},
    TKindName{TJobKind::Individual, "individual", "individual"},
    TKindName{TJobKind::Multipla, "multipla", "múltipla"},
    TKindName{TJobKind::Procom, "procom", "procom"},
};

constexpr std::array EndingNames = {
    TEndingName{TJobEnding::Interrompido, "", "interrompido"},
    TEndingName{TJobEnding::Concluido, "concluido", "concluído"},
    TEndingName{TJobEnding::Cancelado, "cancelado", "cancelado"},
    TEndingName{TJobEnding::Falhou, "falhou", "falhou"},
};

// Every value has its entry in the table.
template <typename TTable, typename TValue> const auto& EntryOf(const TTable& table, TValue value)
{
    return *std::find_if(table.begin(), table.end(),
                         [value](const auto& entry) { return entry.value == value; });
}

TJobKind KindNamed(std::string_view name)
{
    const auto found = std::find_if(KindNames.begin(), KindNames.end(),
                                    [name](const TKindName& k) { return k.name == name; });
    if (found == KindNames.end())
        throw EDatabaseError("O histórico tem um trabalho de tipo desconhecido: \"" +
                             std::string(name) + "\".");
    return found->value;
}

TJobEnding EndingNamed(std::string_view name)
{
    const auto found = std::find_if(EndingNames.begin(), EndingNames.end(),
                                    [name](const TEndingName& e) { return e.name == name; });
    return found == EndingNames.end() ? TJobEnding::Interrompido : found->value;
}

const char* const JobColumns =
    "select trabalho, inicio, fim, usuario, tipo, etiqueta, porta, data, planejadas, "
    "enviadas, recusadas, ausentes, parada_ordem, parada_copia, resultado, mensagem, "
    "origem, continuacao from historico ";

THistoryJob JobAt(const TQuery& query)
{
    THistoryJob job;
    job.number = query.Int(0);
    job.inicio = QString::fromStdString(query.Text(1));
    job.fim = QString::fromStdString(query.Text(2));
    job.usuario = AnsiToQString(query.Text(3));
    job.kind = KindNamed(query.Text(4));
    job.label = query.Text(5);
    job.port = query.Text(6);
    job.date = query.Date(7);
    job.planned = query.Int(8);
    job.sent = query.Int(9);
    job.refused = query.Int(10);
    job.missing = query.Int(11);
    job.stop = {query.Int(12), query.Int(13)};
    job.ending = EndingNamed(query.Text(14));
    job.message = AnsiToQString(query.Text(15));
    if (!query.IsNull(16))
        job.origem = query.Int(16);
    job.continuacao = query.Bool(17);
    return job;
}

} // namespace

std::string_view JobKindName(TJobKind kind)
{
    return EntryOf(KindNames, kind).name;
}

QString JobKindText(TJobKind kind)
{
    return QString::fromUtf8(EntryOf(KindNames, kind).text);
}

std::string_view JobEndingName(TJobEnding ending)
{
    return EntryOf(EndingNames, ending).name;
}

QString JobEndingText(TJobEnding ending)
{
    return QString::fromUtf8(EntryOf(EndingNames, ending).text);
}

TJobKind CounterJobKind(bool askCount, bool askProcon)
{
    if (askProcon)
        return TJobKind::Procom;
    return askCount ? TJobKind::Multipla : TJobKind::Individual;
}

std::int32_t THistoryDetail::SentOf(std::int32_t item) const
{
    const std::int32_t planned = items.at(static_cast<std::size_t>(item)).etiquetas;
    std::int32_t offered = 0;
    if (item < job.stop.item)
        offered = planned;
    else if (item == job.stop.item)
        offered = std::min(job.stop.copy, planned);
    const auto first = std::lower_bound(faltas.begin(), faltas.end(), TLabelPosition{item, 0});
    const auto last = std::lower_bound(faltas.begin(), faltas.end(), TLabelPosition{item + 1, 0});
    return offered - static_cast<std::int32_t>(last - first);
}

bool THistoryDetail::NotSent(TLabelPosition position) const
{
    return position >= job.stop || std::binary_search(faltas.begin(), faltas.end(), position);
}

std::int64_t THistoryDetail::NotSentCount() const
{
    std::int64_t count = 0;
    for (std::size_t item = 0; item < items.size(); ++item)
        count += items[item].etiquetas - SentOf(static_cast<std::int32_t>(item));
    return count;
}

int HistoryDays()
{
    const TIniFile ini(SettingsPath());
    const int days = ReadSetting(ini, settings::DiasHistorico);
    return days >= 1 ? days : settings::DiasHistorico.fallback;
}

std::vector<THistoryJob> ReadHistory(TConnection& connection, int limit)
{
    TQuery& query = connection.Query(std::string(JobColumns) + "order by trabalho desc limit ?");
    const TQueryScope scope(query);
    query.Bind(0, limit > 0 ? std::int64_t{limit} : std::int64_t{-1});
    query.Exec();
    std::vector<THistoryJob> jobs;
    while (query.Next())
        jobs.push_back(JobAt(query));
    return jobs;
}

std::optional<THistoryDetail> ReadHistoryJob(TConnection& connection, std::int64_t number)
{
    const TReadTransaction view(connection);
    THistoryDetail detail;
    {
        TQuery& query = connection.Query(std::string(JobColumns) + "where trabalho = ?");
        const TQueryScope scope(query);
        query.Bind(0, number);
        query.Exec();
        if (!query.Next())
            return std::nullopt;
        detail.job = JobAt(query);
    }
    {
        TQuery& query =
            connection.Query("select produto_key, barra, numero, fornecedor, fabricacao, etiquetas "
                             "from historico_item where trabalho = ? order by ordem");
        const TQueryScope scope(query);
        query.Bind(0, number);
        query.Exec();
        while (query.Next()) {
            THistoryItem item;
            if (!query.IsNull(0))
                item.produtoKey = query.Int(0);
            item.barra = query.Text(1);
            if (!query.IsNull(2))
                item.numero = query.Int(2);
            item.fornecedor = query.Text(3);
            item.fabricacao = query.Date(4);
            item.etiquetas = query.Int(5);
            detail.items.push_back(std::move(item));
        }
    }
    {
        TQuery& query = connection.Query("select ordem, copia from historico_falta "
                                         "where trabalho = ? order by ordem, copia");
        const TQueryScope scope(query);
        query.Bind(0, number);
        query.Exec();
        while (query.Next())
            detail.faltas.push_back({query.Int(0), query.Int(1)});
    }
    return detail;
}

std::optional<THistoryJob> LastJobOfDay(TConnection& connection, double day)
{
    TQuery& query = connection.Query(std::string(JobColumns) + "where inicio >= ? and inicio < ? "
                                                               "order by trabalho desc limit 1");
    const TQueryScope scope(query);
    query.BindText(0, IsoDate(day));
    query.BindText(1, IsoDate(day + 1));
    query.Exec();
    if (!query.Next())
        return std::nullopt;
    return JobAt(query);
}

QString JobCountsText(const THistoryJob& job)
{
    QString text = QString::fromUtf8("%1 planejada(s), %2 enviada(s), %3 recusada(s)")
                       .arg(job.planned)
                       .arg(job.sent)
                       .arg(job.refused);
    if (job.missing > 0)
        text += QString::fromUtf8(", %1 sem produto no cadastro").arg(job.missing);
    return text;
}

QString JobEndText(const THistoryJob& job)
{
    QString text = JobEndingText(job.ending);
    if (job.ending == TJobEnding::Falhou && !job.message.isEmpty())
        text += QStringLiteral(": ") + QString(job.message).replace(u'\r', u' ');
    if (job.origem)
        text += (job.continuacao ? QString::fromUtf8(" (continuação do %1)")
                                 : QString::fromUtf8(" (reimpressão do %1)"))
                    .arg(*job.origem);
    return text;
}

QString ItemCodeText(TJobKind kind, const THistoryItem& item)
{
    if (kind == TJobKind::Sequencial) {
        const std::int64_t first = item.numero.value_or(0);
        return QString::fromUtf8("%1 a %2").arg(first).arg(first + item.etiquetas - 1);
    }
    if (!item.barra.empty())
        return AnsiToQString(item.barra);
    return item.produtoKey ? QString::number(*item.produtoKey) : QString();
}

QString ItemDescricao(TConnection& connection, TJobKind kind, const THistoryItem& item)
{
    std::unique_ptr<TProduto> produto;
    if (item.produtoKey)
        produto = FindProdutoByKey(connection, *item.produtoKey);
    else if (kind == TJobKind::Arquivo)
        produto = FindProdutoByBarra(connection, item.barra);
    return produto ? AnsiToQString(produto->descricao) : QString();
}

QString NotInHistoryText(std::int64_t job)
{
    return QString::fromUtf8("O trabalho %1 não está no histórico.").arg(job);
}

QString HistoryTimeNow()
{
    return QDateTime::currentDateTime().toString(Qt::ISODate);
}

QString HistoryTimeText(const QString& isoTime)
{
    const QDateTime moment = QDateTime::fromString(isoTime, Qt::ISODate);
    return moment.isValid() ? DateTimeToStr(moment) : isoTime;
}

} // namespace zev
