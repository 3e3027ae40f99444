#include "printing/HistoryWriter.h"

#include "catalogue/Database.h"

#include <iterator>
#include <utility>

namespace zev {

namespace {

template <typename T>
void PutBefore(std::vector<T>& older, std::vector<T>& newer)
{
    older.insert(older.end(), std::make_move_iterator(newer.begin()),
                 std::make_move_iterator(newer.end()));
    newer = std::move(older);
}

template <typename T>
void Append(std::vector<T>& to, std::vector<T>& from)
{
    if (to.empty()) {
        to = std::move(from);
        return;
    }
    to.insert(to.end(), std::make_move_iterator(from.begin()),
              std::make_move_iterator(from.end()));
}

void BindTextOrNull(TQuery& query, int index, const std::string& text)
{
    if (text.empty())
        query.BindNull(index);
    else
        query.BindText(index, text);
}

} // namespace

THistoryWriter::THistoryWriter(THistoryStart start)
    : m_start(std::move(start)), m_thread([this](std::stop_token stop) { Run(stop); })
{}

THistoryWriter::~THistoryWriter() = default;

void THistoryWriter::Hand(THistoryProgress progress)
{
    {
        const std::lock_guard lock(m_mutex);
        Append(m_pending.items, progress.items);
        Append(m_pending.faltas, progress.faltas);
        Append(m_pending.skipped, progress.skipped);
        m_pending.sent = progress.sent;
        m_pending.refused = progress.refused;
        m_pending.missing = progress.missing;
        m_pending.stop = progress.stop;
        m_pending.end = std::move(progress.end);
        m_handed = true;
    }
    m_wake.notify_one();
}

QString THistoryWriter::Finish(THistoryProgress last)
{
    if (!last.end)
        last.end.emplace();
    Hand(std::move(last));
    std::unique_lock lock(m_mutex);
    m_written.wait(lock, [this] { return m_finished; });
    return m_error;
}

void THistoryWriter::Run(std::stop_token stop)
{
    std::unique_lock lock(m_mutex);
    while (!m_finished) {
        // Once stopped, what is still pending is written once more.
        if (!m_wake.wait(lock, stop, [this] { return m_handed; }))
            break;
        m_handed = false;
        THistoryProgress batch = std::exchange(m_pending, {});
        lock.unlock();
        QString error = Write(batch);
        lock.lock();
        if (!error.isEmpty()) {
            PutBefore(batch.items, m_pending.items);
            PutBefore(batch.faltas, m_pending.faltas);
            PutBefore(batch.skipped, m_pending.skipped);
        }
        m_error = std::move(error);
        if (batch.end) {
            m_finished = true;
            m_written.notify_all();
        }
    }
    lock.unlock();
    m_connection.reset();
}

// On a failure nothing of the batch is kept, and the caller keeps it all
// for the next time.
QString THistoryWriter::Write(THistoryProgress& batch)
{
    const std::int64_t number = m_number;
    try {
        if (!m_connection)
            m_connection = OpenDatabase();
        // Between labels nobody waits for another program's lock: the next
        // hand-over tries again. The end has none after it.
        m_connection->SetBusyTimeout(batch.end ? DefaultBusyTimeoutMs : 0);
        TTransaction transaction(*m_connection);
        if (m_number == 0)
            WriteStart(*m_connection);
        WriteItems(*m_connection, batch.items);
        WriteProgress(*m_connection, batch);
        transaction.Commit();
    } catch (const std::exception& error) {
        m_number = number;
        // A connection left in a bad state is opened afresh next time.
        m_connection.reset();
        return QString::fromUtf8(error.what());
    }
    m_itemsWritten += static_cast<std::int32_t>(batch.items.size());
    return {};
}

void THistoryWriter::WriteStart(TConnection& connection)
{
    {
        TQuery& prune = connection.Query("delete from historico where inicio < ?");
        const TQueryScope scope(prune);
        prune.BindText(0, m_start.pruneBefore);
        prune.Exec();
    }
    TQuery& insert = connection.Query(
        "insert into historico (inicio, usuario, tipo, etiqueta, porta, data, origem, "
        "continuacao) values (?, ?, ?, ?, ?, ?, ?, ?) returning trabalho");
    const TQueryScope scope(insert);
    insert.BindText(0, m_start.inicio);
    insert.BindText(1, m_start.usuario);
    insert.BindText(2, m_start.tipo);
    insert.BindText(3, m_start.etiqueta);
    insert.BindText(4, m_start.porta);
    insert.BindDate(5, m_start.data);
    if (m_start.origem)
        insert.Bind(6, *m_start.origem);
    else
        insert.BindNull(6);
    insert.Bind(7, m_start.continuacao ? 1 : 0);
    insert.Exec();
    insert.Next();
    m_number = insert.Int(0);
}

void THistoryWriter::WriteItems(TConnection& connection, const std::vector<THistoryItem>& items)
{
    if (items.empty())
        return;
    TQuery& insert = connection.Query(
        "insert into historico_item (trabalho, ordem, produto_key, barra, numero, fornecedor, "
        "fabricacao, etiquetas) values (?, ?, ?, ?, ?, ?, ?, ?)");
    const TQueryScope scope(insert);
    insert.Bind(0, m_number);
    std::int32_t ordem = m_itemsWritten;
    for (const THistoryItem& item : items) {
        insert.Bind(1, ordem++);
        if (item.produtoKey)
            insert.Bind(2, *item.produtoKey);
        else
            insert.BindNull(2);
        BindTextOrNull(insert, 3, item.barra);
        if (item.numero)
            insert.Bind(4, *item.numero);
        else
            insert.BindNull(4);
        BindTextOrNull(insert, 5, item.fornecedor);
        if (item.fornecedor.empty())
            insert.BindNull(6);
        else
            insert.BindDate(6, item.fabricacao);
        insert.Bind(7, item.etiquetas);
        insert.Exec();
    }
}

void THistoryWriter::WriteProgress(TConnection& connection, const THistoryProgress& batch)
{
    if (!batch.skipped.empty()) {
        TQuery& skip = connection.Query(
            "update historico_item set etiquetas = 0 where trabalho = ? and ordem = ?");
        const TQueryScope scope(skip);
        skip.Bind(0, m_number);
        for (const std::int32_t item : batch.skipped) {
            skip.Bind(1, item);
            skip.Exec();
        }
    }
    if (!batch.faltas.empty()) {
        TQuery& falta = connection.Query(
            "insert or ignore into historico_falta (trabalho, ordem, copia) values (?, ?, ?)");
        const TQueryScope scope(falta);
        falta.Bind(0, m_number);
        for (const TLabelPosition& position : batch.faltas) {
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
        after.Bind(1, batch.stop.item);
        after.Bind(2, batch.stop.item);
        after.Bind(3, batch.stop.copy);
        after.Exec();
    }
    TQuery& update = connection.Query(
        "update historico set planejadas = (select coalesce(sum(etiquetas), 0) "
        "from historico_item where trabalho = ?1), enviadas = ?2, recusadas = ?3, "
        "ausentes = ?4, parada_ordem = ?5, parada_copia = ?6, fim = ?7, resultado = ?8, "
        "mensagem = ?9 where trabalho = ?1");
    const TQueryScope scope(update);
    update.Bind(0, m_number);
    update.Bind(1, batch.sent);
    update.Bind(2, batch.refused);
    update.Bind(3, batch.missing);
    update.Bind(4, batch.stop.item);
    update.Bind(5, batch.stop.copy);
    if (batch.end) {
        update.BindText(6, batch.end->fim);
        update.BindText(7, batch.end->resultado);
        BindTextOrNull(update, 8, batch.end->mensagem);
    } else {
        update.BindNull(6);
        update.BindNull(7);
        update.BindNull(8);
    }
    update.Exec();
}

} // namespace zev
