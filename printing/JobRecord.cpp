#include "printing/JobRecord.h"

#include "catalogue/Database.h"
#include "platform/AnsiText.h"

#include <QDateTime>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace zev {

namespace {

// Often enough that a stop loses at most half a second of progress, seldom
// enough that a fast printer does not wait for the disk.
constexpr auto SaveInterval = std::chrono::milliseconds(500);

// The account the program runs as; the environment's name when the system
// has no entry for it (a container's numeric user).
QString SystemUser()
{
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr)
        return QString::fromLocal8Bit(entry->pw_name);
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? QString::number(geteuid()) : user;
}

std::string PruneBefore()
{
    return QDateTime::currentDateTime().addDays(-HistoryDays()).toString(Qt::ISODate).toStdString();
}

} // namespace

TJobRecord::TJobRecord(TJobStart start, std::vector<THistoryItem> plan)
    : m_start(std::move(start)), m_inicio(HistoryTimeNow()), m_items(std::move(plan))
{
    m_itemCount = static_cast<std::int32_t>(m_items.size());
    for (const THistoryItem& item : m_items)
        m_planned += item.etiquetas;
    Write(false);
}

TJobRecord::~TJobRecord() = default;

void TJobRecord::Append(THistoryItem item)
{
    m_planned += item.etiquetas;
    m_items.push_back(std::move(item));
    ++m_itemCount;
}

void TJobRecord::Offered(TLabelPosition position)
{
    m_stop = std::max(m_stop, TLabelPosition{position.item, position.copy + 1});
    SaveNowAndThen();
}

void TJobRecord::Taken(TLabelPosition position)
{
    ++m_sent;
    m_taken.push_back(position);
    Offered(position);
}

void TJobRecord::Refused(TLabelPosition position)
{
    ++m_refused;
    m_faltas.push_back(position);
    Offered(position);
}

void TJobRecord::Missing(TLabelPosition position)
{
    ++m_missing;
    m_faltas.push_back(position);
    Offered(position);
}

void TJobRecord::Skipped(std::int32_t item)
{
    m_skipped.push_back(item);
}

void TJobRecord::Undelivered(std::int64_t count)
{
    count = std::min<std::int64_t>(count, static_cast<std::int64_t>(m_taken.size()));
    if (count <= 0)
        return;
    const auto first = m_taken.end() - count;
    m_stop = *first;
    m_taken.erase(first, m_taken.end());
    m_sent -= count;
    std::erase_if(m_faltas, [this](const TLabelPosition& p) { return p >= m_stop; });
}

void TJobRecord::Save()
{
    Write(false);
}

void TJobRecord::SaveNowAndThen()
{
    if (Clock::now() - m_lastSave >= SaveInterval)
        Write(false);
}

void TJobRecord::End(TJobEnding ending, const QString& message, std::int64_t sent,
                     std::int64_t refused, std::int64_t missing)
{
    if (m_ended)
        return;
    m_ended = true;
    m_ending = ending;
    m_message = message;
    m_fim = HistoryTimeNow();
    m_sent = sent;
    m_refused = refused;
    m_missing = missing;
    Write(true);
    m_connection.reset();
}

std::optional<QString> TJobRecord::Failure() const
{
    if (!m_ended || m_error.isEmpty())
        return std::nullopt;
    return QString::fromUtf8("A impressão não pôde ser registrada no histórico: ") + m_error;
}

// Everything pending in one transaction; on a failure nothing of it is
// kept, and it is all tried again next time.
bool TJobRecord::Write(bool last)
{
    m_lastSave = Clock::now();
    const std::int64_t number = m_number;
    try {
        if (!m_connection)
            m_connection = OpenDatabase();
        // Printing never waits for another program's lock; the end may.
        m_connection->SetBusyTimeout(last ? DefaultBusyTimeoutMs : 0);
        TTransaction transaction(*m_connection);
        if (m_number == 0)
            WriteStart(*m_connection);
        WriteItems(*m_connection);
        WriteProgress(*m_connection, last);
        transaction.Commit();
    } catch (const std::exception& error) {
        m_number = number;
        m_error = QString::fromUtf8(error.what());
        // A connection left in a bad state is opened afresh next time.
        if (last || m_connection == nullptr)
            m_connection.reset();
        return false;
    }
    const auto writtenItems = static_cast<std::ptrdiff_t>(m_items.size());
    m_items.erase(m_items.begin(), m_items.begin() + writtenItems);
    m_faltas.clear();
    m_skipped.clear();
    m_error.clear();
    return true;
}

void TJobRecord::WriteStart(TConnection& connection)
{
    {
        TQuery& prune = connection.Query("delete from historico where inicio < ?");
        const TQueryScope scope(prune);
        prune.BindText(0, PruneBefore());
        prune.Exec();
    }
    TQuery& insert = connection.Query(
        "insert into historico (inicio, usuario, tipo, etiqueta, porta, data, origem, "
        "continuacao) values (?, ?, ?, ?, ?, ?, ?, ?) returning trabalho");
    const TQueryScope scope(insert);
    insert.BindText(0, m_inicio.toStdString());
    insert.BindText(1, QStringToAnsi(SystemUser()));
    insert.BindText(2, JobKindName(m_start.kind));
    insert.BindText(3, m_start.label);
    insert.BindText(4, m_start.port);
    insert.BindDate(5, m_start.date);
    if (m_start.origem)
        insert.Bind(6, *m_start.origem);
    else
        insert.BindNull(6);
    insert.Bind(7, m_start.continuacao ? 1 : 0);
    insert.Exec();
    insert.Next();
    m_number = insert.Int(0);
}

void TJobRecord::WriteItems(TConnection& connection)
{
    if (m_items.empty())
        return;
    TQuery& insert = connection.Query(
        "insert into historico_item (trabalho, ordem, produto_key, barra, numero, fornecedor, "
        "fabricacao, etiquetas) values (?, ?, ?, ?, ?, ?, ?, ?)");
    const TQueryScope scope(insert);
    insert.Bind(0, m_number);
    std::int32_t ordem = m_itemCount - static_cast<std::int32_t>(m_items.size());
    for (const THistoryItem& item : m_items) {
        insert.Bind(1, ordem++);
        if (item.produtoKey)
            insert.Bind(2, *item.produtoKey);
        else
            insert.BindNull(2);
        if (item.barra.empty())
            insert.BindNull(3);
        else
            insert.BindText(3, item.barra);
        if (item.numero)
            insert.Bind(4, *item.numero);
        else
            insert.BindNull(4);
        if (item.fornecedor.empty()) {
            insert.BindNull(5);
            insert.BindNull(6);
        } else {
            insert.BindText(5, item.fornecedor);
            insert.BindDate(6, item.fabricacao);
        }
        insert.Bind(7, item.etiquetas);
        insert.Exec();
    }
}

void TJobRecord::WriteProgress(TConnection& connection, bool last)
{
    if (!m_skipped.empty()) {
        TQuery& skip = connection.Query(
            "update historico_item set etiquetas = 0 where trabalho = ? and ordem = ?");
        const TQueryScope scope(skip);
        skip.Bind(0, m_number);
        for (const std::int32_t item : m_skipped) {
            skip.Bind(1, item);
            skip.Exec();
        }
    }
    if (!m_faltas.empty()) {
        TQuery& falta = connection.Query(
            "insert or ignore into historico_falta (trabalho, ordem, copia) values (?, ?, ?)");
        const TQueryScope scope(falta);
        falta.Bind(0, m_number);
        for (const TLabelPosition& position : m_faltas) {
            falta.Bind(1, position.item);
            falta.Bind(2, position.copy);
            falta.Exec();
        }
    }
    {
        // Labels the stop went back over are simply not sent.
        TQuery& after =
            connection.Query("delete from historico_falta where trabalho = ? and (ordem > ? or "
                             "(ordem = ? and copia >= ?))");
        const TQueryScope scope(after);
        after.Bind(0, m_number);
        after.Bind(1, m_stop.item);
        after.Bind(2, m_stop.item);
        after.Bind(3, m_stop.copy);
        after.Exec();
    }
    TQuery& update = connection.Query(
        "update historico set planejadas = (select coalesce(sum(etiquetas), 0) "
        "from historico_item where trabalho = ?1), enviadas = ?2, recusadas = ?3, "
        "ausentes = ?4, parada_ordem = ?5, parada_copia = ?6, fim = ?7, resultado = ?8, "
        "mensagem = ?9 where trabalho = ?1");
    const TQueryScope scope(update);
    update.Bind(0, m_number);
    update.Bind(1, m_sent);
    update.Bind(2, m_refused);
    update.Bind(3, m_missing);
    update.Bind(4, m_stop.item);
    update.Bind(5, m_stop.copy);
    if (last) {
        update.BindText(6, m_fim.toStdString());
        update.BindText(7, JobEndingName(m_ending));
        if (m_message.isEmpty())
            update.BindNull(8);
        else
            update.BindText(8, QStringToAnsi(m_message));
    } else {
        update.BindNull(6);
        update.BindNull(7);
        update.BindNull(8);
    }
    update.Exec();
}

} // namespace zev
