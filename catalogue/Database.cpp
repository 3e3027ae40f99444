#include "catalogue/Database.h"

#include "platform/AnsiText.h"
#include "platform/ProgramDir.h"
#include "platform/Regional.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <optional>

namespace zev {

namespace {

constexpr int BusyTimeoutMs = 5000;

// The catalogue schema. Types follow the engine: yes/no is an integer 0/1
// that may not be NULL, dates are ISO text, and declared text lengths are
// enforced so an over-long value is refused instead of stored. Primary keys
// are declared "int", not "integer": an "integer" key would turn a NULL key
// into a fresh row number instead of refusing it. The engine's integers
// have 64 bits, the program's keys and counts 32: a wider value is refused
// here rather than cut on its way into a record.
#define ZEV_ISO_DATE(column)                                                                   \
    "check (" column " is null or " column " glob '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]')"
#define ZEV_INT32(column) "check (" column " between -2147483648 and 2147483647)"

// clang-format off
const char* const SchemaStatements[] = {
    "create table depto (depto_key int not null " ZEV_INT32("depto_key") ", "
    "nome text not null collate ptbr check (length(nome) <= 40), primary key (depto_key)) strict",

    "create table secao (secao_key int not null " ZEV_INT32("secao_key") ", "
    "depto_key integer not null " ZEV_INT32("depto_key") ", nome text not null "
    "collate ptbr check (length(nome) <= 40), primary key (secao_key), "
    "foreign key (depto_key) references depto) strict",

    "create table grupo (grupo_key int not null " ZEV_INT32("grupo_key") ", "
    "secao_key integer not null " ZEV_INT32("secao_key") ", nome text not null "
    "collate ptbr check (length(nome) <= 40), primary key (grupo_key), "
    "foreign key (secao_key) references secao) strict",

    "create table sub_grupo (sub_grupo_key int not null " ZEV_INT32("sub_grupo_key") ", "
    "grupo_key integer not null " ZEV_INT32("grupo_key") ", "
    "nome text not null collate ptbr check (length(nome) <= 40), primary key (sub_grupo_key), "
    "foreign key (grupo_key) references grupo) strict",

    "create table produto (produto_key int not null " ZEV_INT32("produto_key") ", "
    "descricao text collate ptbr check (length(descricao) <= 80), "
    "pai integer " ZEV_INT32("pai") ", fator_preco real, "
    "data_alteracao text " ZEV_ISO_DATE("data_alteracao") ", "
    "preco_normal real, "
    "data_inicial text " ZEV_ISO_DATE("data_inicial") ", "
    "data_final text " ZEV_ISO_DATE("data_final") ", "
    "preco_oferta real, "
    "sub_grupo_key integer " ZEV_INT32("sub_grupo_key") " references sub_grupo, "
    "compra integer not null default 0 check (compra in (0, 1)), "
    "divisor_preco integer " ZEV_INT32("divisor_preco") ", "
    "divisor_preco_descricao text check (length(divisor_preco_descricao) <= 30), "
    "preco_normal_key integer " ZEV_INT32("preco_normal_key") ", "
    "preco_oferta_key integer " ZEV_INT32("preco_oferta_key") ", "
    "quantidade_etiquetas integer " ZEV_INT32("quantidade_etiquetas") ", "
    "embalagem_key text check (length(embalagem_key) <= 2), "
    "dias_validade integer " ZEV_INT32("dias_validade") ", "
    "embalagem_padrao_key text check (length(embalagem_padrao_key) <= 2), "
    "embalagem_padrao_fator real, "
    "caixa integer not null default 0 check (caixa in (0, 1)), "
    "primary key (produto_key)) strict",

    "create table item (barra text not null check (length(barra) <= 14), "
    "produto_key integer not null " ZEV_INT32("produto_key") ", primary key (barra), "
    "foreign key (produto_key) references produto) strict",

    "create table selecao (produto_key integer " ZEV_INT32("produto_key") ", "
    "foreign key (produto_key) references produto) strict",

    "create table selecao_barra (barra text check (length(barra) <= 14)) strict",

    "create table produto_antigo (produto_key int not null " ZEV_INT32("produto_key") ", "
    "preco_normal real, preco_oferta real, primary key (produto_key)) strict",

    "create index pr_alt on produto(data_alteracao)",
    "create index pr_ini on produto(data_inicial)",
    "create index pr_fin on produto(data_final)",
    "create index pr_pai on produto(pai)",
    "create index it_pro on item(produto_key)",
};
// clang-format on

#undef ZEV_ISO_DATE
#undef ZEV_INT32

QString Quoted(const QString& path)
{
    return QStringLiteral("\"") + path + QStringLiteral("\"");
}

std::string EngineText(const QSqlError& error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.toStdString();
}

int CollatePtBr(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    return CollateUtf8(
        std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(lengthA)),
        std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lengthB)));
}

// ptbr_fold(text): the text as the product search compares it.
void FoldPtBr(sqlite3_context* context, int, sqlite3_value** values)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
    if (text == nullptr) {
        sqlite3_result_null(context);
        return;
    }
    const std::string folded = FoldUtf8(
        std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(values[0]))));
    sqlite3_result_text(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

QString NewConnectionName()
{
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("zev-%1").arg(++counter);
}

// SQLite's URI form lets us refuse to create a missing file ("mode=rw").
QString DatabaseUri(const QString& path, TConnection::OpenMode mode)
{
    const QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    return url + (mode == TConnection::OpenMode::CreateFile ? QStringLiteral("?mode=rwc")
                                                            : QStringLiteral("?mode=rw"));
}

// For destructors, which end transactions and must not throw.
bool ExecuteQuietly(TConnection& connection, std::string_view sql) noexcept
{
    try {
        connection.Execute(sql);
        return true;
    } catch (...) {
        return false;
    }
}

void CheckCatalogueTables(TConnection& connection)
{
    TQuery& query = connection.Query("select name from sqlite_master where type = 'table'");
    query.Exec();
    std::vector<std::string> present;
    while (query.Next())
        present.push_back(query.Text(0));
    std::string missing;
    for (const std::string_view table : CatalogueTables()) {
        if (std::find(present.begin(), present.end(), table) == present.end())
            missing += (missing.empty() ? "" : ", ") + std::string(table);
    }
    if (!missing.empty())
        throw EDatabaseError("O arquivo " + Quoted(connection.Path()).toStdString() +
                             " não é um banco de dados do ZEV (faltam as tabelas " + missing +
                             "). Ele não foi alterado: mova-o para outra pasta para que o "
                             "ZEV crie um banco novo.");
}

} // namespace

std::string IsoDate(double day)
{
    int year = 0, month = 0, dayOfMonth = 0;
    DecodeDate(day, year, month, dayOfMonth);
    char buffer[16];
    const auto put = [&](char* at, int value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10)
            at[i] = static_cast<char>('0' + value % 10);
    };
    if (year < 1 || year > 9999)
        throw EDatabaseError("Data fora do intervalo: " + std::to_string(year));
    put(buffer, year, 4);
    buffer[4] = '-';
    put(buffer + 5, month, 2);
    buffer[7] = '-';
    put(buffer + 8, dayOfMonth, 2);
    return std::string(buffer, 10);
}

double DayFromIsoDate(std::string_view text)
{
    int year = 0, month = 0, day = 0;
    const auto number = [&](std::size_t at, std::size_t width, int& out) {
        return text.size() >= at + width &&
               std::from_chars(text.data() + at, text.data() + at + width, out).ptr ==
                   text.data() + at + width;
    };
    if (text.size() < 10 || text[4] != '-' || text[7] != '-' || !number(0, 4, year) ||
        !number(5, 2, month) || !number(8, 2, day))
        throw EDatabaseError("Data inválida no banco de dados: \"" + std::string(text) + "\"");
    const std::optional<double> encoded = TryEncodeDate(year, month, day);
    if (!encoded)
        throw EDatabaseError("Data inválida no banco de dados: \"" + std::string(text) + "\"");
    return *encoded;
}

// ---------------------------------------------------------------------------
// TQuery

void TQuery::Finalizer::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

TQuery::TQuery(sqlite3* handle, std::string_view sql) : m_handle(handle), m_sql(sql)
{
    sqlite3_stmt* statement = nullptr;
    const char* rest = nullptr;
    const int result = sqlite3_prepare_v3(m_handle, sql.data(), static_cast<int>(sql.size()),
                                          SQLITE_PREPARE_PERSISTENT, &statement, &rest);
    m_statement.reset(statement);
    Check(result);
    // The engine compiles only the first statement; the rest would be lost.
    const std::string_view tail(rest, static_cast<std::size_t>(sql.data() + sql.size() - rest));
    if (tail.find_first_not_of(" \t\r\n;") != std::string_view::npos)
        throw EDatabaseError("Uma consulta só pode ter um comando: " + m_sql);
}

void TQuery::ThrowError() const
{
    throw EDatabaseError(sqlite3_errmsg(m_handle));
}

// The engine takes new bindings only between runs.
void TQuery::ReleaseRow()
{
    if (m_onRow)
        Finish();
}

void TQuery::Check(int result) const
{
    if (result != SQLITE_OK)
        ThrowError();
}

TQuery& TQuery::Bind(int position, std::int64_t value)
{
    ReleaseRow();
    Check(sqlite3_bind_int64(m_statement.get(), position + 1, value));
    return *this;
}

TQuery& TQuery::Bind(int position, double value)
{
    ReleaseRow();
    Check(sqlite3_bind_double(m_statement.get(), position + 1, value));
    return *this;
}

TQuery& TQuery::BindText(int position, std::string_view ansiText)
{
    ReleaseRow();
    const std::string utf8 = AnsiToUtf8(ansiText);
    Check(sqlite3_bind_text(m_statement.get(), position + 1, utf8.data(),
                            static_cast<int>(utf8.size()), SQLITE_TRANSIENT));
    return *this;
}

TQuery& TQuery::BindDate(int position, double day)
{
    ReleaseRow();
    const std::string iso = IsoDate(day);
    Check(sqlite3_bind_text(m_statement.get(), position + 1, iso.data(),
                            static_cast<int>(iso.size()), SQLITE_TRANSIENT));
    return *this;
}

TQuery& TQuery::BindNull(int position)
{
    ReleaseRow();
    Check(sqlite3_bind_null(m_statement.get(), position + 1));
    return *this;
}

// One step; at the end of the rows the statement is reset at once, so a
// finished query holds no read lock.
void TQuery::Step()
{
    const int result = sqlite3_step(m_statement.get());
    if (result == SQLITE_ROW) {
        m_onRow = true;
        return;
    }
    m_onRow = false;
    if (result == SQLITE_DONE) {
        sqlite3_reset(m_statement.get());
        return;
    }
    const std::string message = sqlite3_errmsg(m_handle);
    sqlite3_reset(m_statement.get());
    throw EDatabaseError(message);
}

void TQuery::Exec()
{
    Finish();
    Step();
    m_rowPending = m_onRow;
}

bool TQuery::Next()
{
    if (m_rowPending) {
        m_rowPending = false;
        return true;
    }
    if (!m_onRow)
        return false;
    Step();
    return m_onRow;
}

void TQuery::Finish() noexcept
{
    sqlite3_reset(m_statement.get());
    m_onRow = false;
    m_rowPending = false;
}

int TQuery::ColumnIndex(std::string_view name) const
{
    if (m_columns.empty()) {
        const int count = sqlite3_column_count(m_statement.get());
        for (int i = 0; i < count; ++i)
            m_columns.emplace_back(sqlite3_column_name(m_statement.get(), i), i);
    }
    for (const auto& [column, index] : m_columns)
        if (column == name)
            return index;
    throw EDatabaseError("Coluna \"" + std::string(name) + "\" não existe na consulta: " + m_sql);
}

bool TQuery::IsNull(int column) const
{
    return sqlite3_column_type(m_statement.get(), column) == SQLITE_NULL;
}

std::int32_t TQuery::Int(int column) const
{
    const sqlite3_int64 value = sqlite3_column_int64(m_statement.get(), column);
    if (value >= INT32_MIN && value <= INT32_MAX)
        return static_cast<std::int32_t>(value);
    // A file written by another tool, without the schema's checks: a cut
    // value would be another product's key.
    sqlite3_stmt* const statement = m_statement.get();
    const char* table = sqlite3_column_table_name(statement, column);
    const char* name = sqlite3_column_origin_name(statement, column);
    const std::string where = table != nullptr && name != nullptr
                                  ? std::string("da coluna ") + table + "." + name
                                  : std::string("da consulta: ") + m_sql;
    throw EDatabaseError("O valor " + std::to_string(value) + " " + where +
                         " não cabe num inteiro de 32 bits.");
}

double TQuery::Double(int column) const
{
    return sqlite3_column_double(m_statement.get(), column);
}

bool TQuery::Bool(int column) const
{
    return sqlite3_column_int64(m_statement.get(), column) != 0;
}

double TQuery::Date(int column) const
{
    if (IsNull(column))
        return 0;
    const auto* text =
        reinterpret_cast<const char*>(sqlite3_column_text(m_statement.get(), column));
    return DayFromIsoDate(std::string_view(
        text, static_cast<std::size_t>(sqlite3_column_bytes(m_statement.get(), column))));
}

std::string TQuery::Text(int column) const
{
    const auto* text =
        reinterpret_cast<const char*>(sqlite3_column_text(m_statement.get(), column));
    if (text == nullptr)
        return {};
    return Utf8ToAnsi(std::string_view(
        text, static_cast<std::size_t>(sqlite3_column_bytes(m_statement.get(), column))));
}

// ---------------------------------------------------------------------------
// TConnection

TConnection::TConnection(const QString& path, OpenMode mode)
    : m_connectionName(NewConnectionName()), m_path(path)
{
    m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_database.setDatabaseName(DatabaseUri(path, mode));
    m_database.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    try {
        if (!m_database.open())
            throw EDatabaseError("Não foi possível abrir o banco de dados " +
                                 Quoted(path).toStdString() + ": " +
                                 EngineText(m_database.lastError()));
        // Debian's Qt driver uses the system's libsqlite3, the one we link:
        // the handle it hands out is valid for our calls.
        const QVariant handle = m_database.driver()->handle();
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
            m_handle = *static_cast<sqlite3* const*>(handle.constData());
        if (m_handle == nullptr)
            throw EDatabaseError("O driver do banco de dados não é o SQLite");
        if (sqlite3_create_collation_v2(m_handle, "ptbr", SQLITE_UTF8, nullptr, &CollatePtBr,
                                        nullptr) != SQLITE_OK ||
            sqlite3_create_function_v2(m_handle, "ptbr_fold", 1,
                                       SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, &FoldPtBr,
                                       nullptr, nullptr, nullptr) != SQLITE_OK)
            throw EDatabaseError(sqlite3_errmsg(m_handle));
        // The first statements are the first real look at the file.
        try {
            // Outside any transaction: the engine ignores it inside one.
            Execute("pragma foreign_keys = on");
            Execute("pragma cache_size = -16000");
            Execute("select count(*) from sqlite_master");
        } catch (const EDatabaseError& error) {
            // Only a file that is really no database gets the advice to
            // move it: following it with a busy catalogue would throw the
            // store's catalogue away.
            switch (sqlite3_errcode(m_handle)) {
            case SQLITE_NOTADB:
            case SQLITE_CORRUPT:
                throw EDatabaseError("O arquivo " + Quoted(path).toStdString() +
                                     " não é um banco de dados válido (" + error.what() +
                                     "). Ele não foi alterado: mova-o para outra pasta para "
                                     "que o ZEV crie um banco novo.");
            case SQLITE_BUSY:
            case SQLITE_LOCKED:
                throw EDatabaseError("O banco de dados " + Quoted(path).toStdString() +
                                     " está em uso por outro programa (" + error.what() +
                                     "). Tente de novo quando ele terminar.");
            default:
                throw EDatabaseError("Não foi possível abrir o banco de dados " +
                                     Quoted(path).toStdString() + " (" + error.what() + ").");
            }
        }
    } catch (...) {
        m_queries.clear();
        m_database.close();
        m_database = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw;
    }
}

TConnection::~TConnection()
{
    m_queries.clear();
    m_database.close();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void TConnection::Execute(std::string_view sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_handle, std::string(sql).c_str(), nullptr, nullptr, &message) ==
        SQLITE_OK)
        return;
    const std::string text = message != nullptr ? message : sqlite3_errmsg(m_handle);
    sqlite3_free(message);
    throw EDatabaseError(text);
}

TQuery& TConnection::Query(std::string_view sql)
{
    const auto found = m_queries.find(sql);
    if (found != m_queries.end())
        return *found->second;
    auto query = std::make_unique<TQuery>(m_handle, sql);
    TQuery& prepared = *query;
    m_queries.emplace(std::string(sql), std::move(query));
    return prepared;
}

// ---------------------------------------------------------------------------
// TTransaction

TTransaction::TTransaction(TConnection& connection) : m_connection(connection)
{
    m_connection.Execute("begin immediate");
}

TTransaction::~TTransaction()
{
    // The engine may already have rolled back on its own (disk full, I/O
    // error); nothing is left to undo then.
    if (m_open)
        ExecuteQuietly(m_connection, "rollback");
}

void TTransaction::Commit()
{
    m_connection.Execute("commit");
    m_open = false;
}

TReadTransaction::TReadTransaction(TConnection& connection) : m_connection(connection)
{
    if (sqlite3_get_autocommit(m_connection.Handle()) == 0)
        return;
    m_connection.Execute("begin");
    m_began = true;
}

TReadTransaction::~TReadTransaction()
{
    // Commit, not rollback: a write made meanwhile by the caller is kept.
    if (m_began && !ExecuteQuietly(m_connection, "commit"))
        ExecuteQuietly(m_connection, "rollback");
}

// ---------------------------------------------------------------------------

const std::vector<std::string_view>& CatalogueTables()
{
    static const std::vector<std::string_view> tables = {
        "depto",   "secao",          "grupo",   "sub_grupo",     "produto",
        "item",    "selecao",        "selecao_barra", "produto_antigo"};
    return tables;
}

QString DatabaseConnectionString()
{
    return ProgramFilePath(QStringLiteral("zev.mdb"));
}

std::unique_ptr<TConnection> OpenDatabase()
{
    const QString path = DatabaseConnectionString();
    if (!QFile::exists(path))
        throw EDatabaseError("O banco de dados " + Quoted(path).toStdString() +
                             " não existe.");
    auto connection = std::make_unique<TConnection>(path, TConnection::OpenMode::ExistingFile);
    CheckCatalogueTables(*connection);
    return connection;
}

void CreateDatabase()
{
    const QString path = DatabaseConnectionString();
    if (QFile::exists(path)) {
        OpenDatabase(); // checks it; a file that is no catalogue is reported
        return;
    }

    const QString buildPath =
        path + QStringLiteral(".%1.new").arg(QCoreApplication::applicationPid());
    QFile::remove(buildPath);
    try {
        {
            TConnection connection(buildPath, TConnection::OpenMode::CreateFile);
            TTransaction transaction(connection);
            for (const char* statement : SchemaStatements)
                connection.Execute(statement);
            transaction.Commit();
        }
        // No-replace rename: a file another start created meanwhile wins.
        if (!QFile::rename(buildPath, path) && !QFile::exists(path))
            throw EDatabaseError("Não foi possível criar o banco de dados " +
                                 Quoted(path).toStdString());
    } catch (...) {
        QFile::remove(buildPath);
        QFile::remove(buildPath + QStringLiteral("-journal"));
        throw;
    }
    QFile::remove(buildPath);
}

} // namespace zev
