#include "catalogue/Database.h"

#include "platform/AnsiText.h"
#include "platform/OutputFile.h"
#include "platform/ProgramDir.h"
#include "platform/Regional.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <optional>

namespace zev {

namespace {

constexpr int BusyTimeoutMs = DefaultBusyTimeoutMs;

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

// What each schema version adds to the one before; Migrations[v] brings a
// file of version v to v + 1. A new file gets the base schema and all of them.
const char* const Migrations[] = {
    // 1: the selection's date, written in the selection's own transaction
    // (zev.ini's "Selecao Data" follows the commit), and what zev.ini said
    // before: finding that still there tells a change that never reached it.
    "create table selecao_data (id integer primary key check (id = 1), "
    "data text not null " ZEV_ISO_DATE("data") ", anterior text) strict",

    // 2: the print history, which no import touches. A job's items are its
    // rows in print order (a product, a code, a run of numbers) with the
    // labels planned for each; the job's stop is the first label never
    // handed to the port, and "historico_falta" the labels before it the
    // port refused or whose product was gone. A job that never ended has
    // no "resultado". Numbers are never reused, pruned or not.
    "create table historico (trabalho integer primary key autoincrement, "
    "inicio text not null, fim text, usuario text not null, "
    "tipo text not null check (tipo in "
    "('selecao', 'arquivo', 'sequencial', 'individual', 'multipla', 'procom')), "
    "etiqueta text not null, porta text not null, "
    "data text not null " ZEV_ISO_DATE("data") ", "
    "planejadas integer not null default 0, enviadas integer not null default 0, "
    "recusadas integer not null default 0, ausentes integer not null default 0, "
    "parada_ordem integer not null default 0, parada_copia integer not null default 0, "
    "resultado text check (resultado in ('concluido', 'cancelado', 'falhou')), "
    "mensagem text, origem integer, "
    "continuacao integer not null default 0 check (continuacao in (0, 1))) strict;"
    "create index hi_inicio on historico(inicio);"
    "create table historico_item (trabalho integer not null "
    "references historico on delete cascade, ordem integer not null, "
    "produto_key integer, barra text, numero integer, fornecedor text, "
    "fabricacao text " ZEV_ISO_DATE("fabricacao") ", "
    "etiquetas integer not null check (etiquetas >= 0), "
    "primary key (trabalho, ordem)) strict, without rowid;"
    "create table historico_falta (trabalho integer not null "
    "references historico on delete cascade, ordem integer not null, "
    "copia integer not null, primary key (trabalho, ordem, copia)) strict, without rowid",
};
// clang-format on
static_assert(static_cast<int>(std::size(Migrations)) == SchemaVersion);

#undef ZEV_ISO_DATE
#undef ZEV_INT32

QString Quoted(const QString& path)
{
    return QStringLiteral("\"") + path + QStringLiteral("\"");
}

std::string QuotedText(const QString& path)
{
    return Quoted(QDir::toNativeSeparators(path)).toStdString();
}

QString FolderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

bool Writable(const QString& path)
{
    return access(QFile::encodeName(path).constData(), W_OK) == 0;
}

bool OnReadOnlyDisk(const QString& path)
{
    struct statvfs disk = {};
    return statvfs(QFile::encodeName(path).constData(), &disk) == 0 &&
           (disk.f_flag & ST_RDONLY) != 0;
}

// The engine's write-ahead log or its index, when one is there and may not be written.
QString UnwritableCompanion(const QString& path)
{
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString companion = path + QLatin1String(suffix);
        if (QFile::exists(companion) && !Writable(companion))
            return companion;
    }
    return {};
}

std::string ReadOnlyText(const QString& path, int extendedCode, const std::string& engineText)
{
    const QString folder = FolderOf(path);
    std::string why;
    std::string todo;
    if (extendedCode == SQLITE_READONLY_DBMOVED) {
        why = "o arquivo foi movido ou apagado enquanto o ZEV o usava";
        todo = "Tente de novo.";
    } else if (OnReadOnlyDisk(folder)) {
        why = "o disco da pasta " + QuotedText(folder) + " está montado somente para leitura";
        todo = "Monte-o para leitura e gravação, ou use o ZEV numa pasta em que se possa gravar.";
    } else if (QFile::exists(path) && !Writable(path)) {
        why = "o arquivo não tem permissão de gravação";
        todo = "Dê ao usuário da loja permissão de gravar no arquivo.";
    } else if (const QString companion = UnwritableCompanion(path); !companion.isEmpty()) {
        // Left by a program that could only read the catalogue.
        why = "o arquivo " + QuotedText(companion) +
              ", que o acompanha, não tem permissão de gravação";
        todo = "Dê ao usuário da loja permissão de gravar nele (não o apague).";
    } else if (!Writable(folder)) {
        why = "a pasta " + QuotedText(folder) +
              " não tem permissão de gravação, e o ZEV grava nela os arquivos " +
              QFileInfo(path).fileName().toStdString() + "-wal e " +
              QFileInfo(path).fileName().toStdString() + "-shm";
        todo = "Dê ao usuário da loja permissão de gravar na pasta.";
    } else {
        why = "o arquivo foi aberto somente para leitura";
        todo = "Verifique as permissões do arquivo e da pasta e tente de novo.";
    }
    return "Não foi possível gravar no banco de dados " + QuotedText(path) + ": " + why + " (" +
           engineText + "). " + todo;
}

std::string DiskFullText(const QString& path, const std::string& engineText)
{
    return "O disco da pasta " + QuotedText(FolderOf(path)) +
           " está cheio: não foi possível gravar no banco de dados " + QuotedText(path) + " (" +
           engineText + "). Libere espaço no disco e tente de novo.";
}

std::string BusyText(const QString& path, const std::string& engineText)
{
    return "O banco de dados " + QuotedText(path) + " está em uso por outro programa (" +
           engineText + "). Tente de novo quando ele terminar.";
}

std::string DamagedText(const QString& path, const std::string& engineText)
{
    return "O banco de dados " + QuotedText(path) + " está danificado (" + engineText +
           "). Importe o cadastro de novo (Ferramentas › Importar, ou zev-cli import): a "
           "importação cria um banco novo e guarda o danificado na mesma pasta, para análise.";
}

std::string NotADatabaseText(const QString& path, const std::string& engineText)
{
    const std::string name = QFileInfo(path).fileName().toStdString();
    return "O arquivo " + QuotedText(path) + " não é um banco de dados válido (" + engineText +
           "). Ele não foi alterado: mova-o para outra pasta, com os arquivos " + name + "-wal e " +
           name + "-shm se houver, para que o ZEV crie um banco novo.";
}

// The one translation of the engine's failures.
EDatabaseError Translate(const QString& path, int extendedCode, int systemError,
                         const std::string& engineText)
{
    int code = extendedCode & 0xff;
    // Input/output failures whose cause the system named.
    if (code == SQLITE_IOERR && systemError == ENOSPC)
        code = SQLITE_FULL;
    else if (code == SQLITE_IOERR && (systemError == EROFS || systemError == EACCES))
        code = SQLITE_READONLY;
    switch (code) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return EDatabaseError(BusyText(path, engineText), code);
    case SQLITE_READONLY:
        return EDatabaseError(ReadOnlyText(path, extendedCode, engineText), code);
    case SQLITE_FULL:
        return EDatabaseError(DiskFullText(path, engineText), code);
    case SQLITE_CORRUPT:
        return EDatabaseError(DamagedText(path, engineText), code);
    case SQLITE_NOTADB:
        return EDatabaseError(NotADatabaseText(path, engineText), code);
    case SQLITE_IOERR:
        return EDatabaseError("Erro de leitura ou gravação no banco de dados " + QuotedText(path) +
                                  " (" + engineText + "). Verifique o disco e tente de novo.",
                              code);
    case SQLITE_CANTOPEN:
        if (!Writable(FolderOf(path)))
            return EDatabaseError(ReadOnlyText(path, extendedCode, engineText), SQLITE_READONLY);
        return EDatabaseError("Não foi possível abrir o banco de dados " + QuotedText(path) + " (" +
                                  engineText + ").",
                              code);
    default:
        return EDatabaseError(engineText, code);
    }
}

QString PathOf(sqlite3* handle)
{
    const char* file = sqlite3_db_filename(handle, "main");
    return file != nullptr ? QFile::decodeName(file) : QString();
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

// The engine's count of its own memory takes a lock shared by every
// connection at each allocation; nothing here reads it. Only possible
// before the engine's first use.
void ConfigureEngine()
{
    static const int configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    static_cast<void>(configured);
}

// No program can change a file in a folder where none can create its
// write-ahead log or journal, and the engine cannot read a write-ahead-log
// file without creating its index beside it: such a file is read as it is.
bool ReadAsItIs(const QString& path)
{
    return !Writable(FolderOf(path)) && !QFile::exists(path + QStringLiteral("-wal")) &&
           !QFile::exists(path + QStringLiteral("-journal"));
}

// SQLite's URI form lets us refuse to create a missing file ("mode=rw").
QString DatabaseUri(const QString& path, TConnection::OpenMode mode)
{
    const QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    switch (mode) {
    case TConnection::OpenMode::CreateFile:
        return url + QStringLiteral("?mode=rwc");
    case TConnection::OpenMode::ReadDamaged:
        return url + QStringLiteral("?mode=ro");
    case TConnection::OpenMode::ExistingFile:
        break;
    }
    return url +
           (ReadAsItIs(path) ? QStringLiteral("?mode=ro&immutable=1") : QStringLiteral("?mode=rw"));
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

// Readers never wait for writers in this mode. The switch needs the file to
// itself: when another program has it open, a later opening makes it.
void UseWriteAheadLog(TConnection& connection)
{
    TQuery& mode = connection.Query("pragma journal_mode");
    mode.Exec();
    const bool inWal = mode.Next() && mode.Text(0) == "wal";
    mode.Finish();
    if (inWal)
        return;
    sqlite3_busy_timeout(connection.Handle(), 0);
    ExecuteQuietly(connection, "pragma journal_mode = wal");
    sqlite3_busy_timeout(connection.Handle(), BusyTimeoutMs);
}

void ApplyMigrations(TConnection& connection, int from)
{
    for (int version = from; version < SchemaVersion; ++version)
        connection.Execute(Migrations[version]);
    connection.Execute("pragma user_version = " + std::to_string(SchemaVersion));
}

void UpgradeSchema(TConnection& connection)
{
    const int version = SchemaVersionOf(connection);
    if (version > SchemaVersion)
        throw EDatabaseError("O banco de dados " + QuotedText(connection.Path()) +
                             " foi gravado por uma versão mais nova do ZEV (esquema " +
                             std::to_string(version) + "; esta versão conhece até o " +
                             std::to_string(SchemaVersion) +
                             "). Ele não foi alterado: atualize o ZEV.");
    if (version == SchemaVersion)
        return;
    try {
        TTransaction transaction(connection);
        // Read again under the write lock: another program may have done it.
        ApplyMigrations(connection, std::min(SchemaVersionOf(connection), SchemaVersion));
        transaction.Commit();
    } catch (const EDatabaseError& error) {
        // A catalogue nobody may write is read as it stands.
        if (error.Code() != SQLITE_READONLY)
            throw;
    }
}

using THandle = std::unique_ptr<sqlite3, TConnection::TCloser>;

// `name` is the file's path, or its URI when `flags` has SQLITE_OPEN_URI.
THandle OpenHandle(const QString& path, const QByteArray& name, int flags)
{
    sqlite3* handle = nullptr;
    const int result = sqlite3_open_v2(name.constData(), &handle, flags, nullptr);
    THandle owned(handle);
    if (result != SQLITE_OK) {
        const std::string engineText = handle ? sqlite3_errmsg(handle) : sqlite3_errstr(result);
        EDatabaseError error = Translate(path, handle ? sqlite3_extended_errcode(handle) : result,
                                         handle ? sqlite3_system_errno(handle) : 0, engineText);
        // A failure the translation has no words for is still an opening's.
        if (error.what() == engineText)
            throw EDatabaseError("Não foi possível abrir o banco de dados " + QuotedText(path) +
                                     ": " + engineText,
                                 error.Code());
        throw error;
    }
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_timeout(handle, BusyTimeoutMs);
    // Its -wal and -shm take the catalogue's own permissions.
    if ((flags & SQLITE_OPEN_CREATE) != 0)
        ShareFileWithGroup(path);
    return owned;
}

THandle OpenHandle(const QString& path, int flags)
{
    return OpenHandle(path, QFile::encodeName(path), flags);
}

struct TBackupFinisher
{
    void operator()(sqlite3_backup* backup) const { sqlite3_backup_finish(backup); }
};

// Copies a file's bytes to a new file; the copy goes on failure.
void CopyFileBytes(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        throw EInOutError(0, "Não foi possível ler o arquivo " + QuotedText(from) + ": " +
                                 source.errorString().toStdString());
    try {
        const TOpened<TOutputFile> opened = TOutputFile::Open(to, TOutputFile::Mode::Replace,
                                                              "cópia do banco de dados danificado");
        if (!opened)
            throw EInOutError(opened.failure);
        TOutputFile& copy = *opened.device;
        QByteArray chunk;
        while (!(chunk = source.read(1 << 20)).isEmpty())
            if (copy.Write(std::string_view(chunk.constData(),
                                            static_cast<std::size_t>(chunk.size()))) !=
                TWriteResult::Written)
                throw EInOutError(copy.Failure());
        if (source.error() != QFileDevice::NoError)
            throw EInOutError(0, "Não foi possível ler o arquivo " + QuotedText(from) + ": " +
                                     source.errorString().toStdString());
        if (!copy.Close())
            throw EInOutError(copy.Failure());
    } catch (...) {
        QFile::remove(to);
        throw;
    }
}

// "zev.mdb.danificado-YYYYMMDD-HHMMSS", with its write-ahead log when it has one.
QString KeepDamagedAside(const QString& path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".danificado-") + stamp;
    for (int n = 2; QFile::exists(aside) || QFile::exists(aside + QStringLiteral("-wal")); ++n)
        aside = path + QStringLiteral(".danificado-") + stamp + QStringLiteral("-%1").arg(n);
    CopyFileBytes(path, aside);
    const QString wal = path + QStringLiteral("-wal");
    if (QFileInfo(wal).size() > 0) {
        try {
            CopyFileBytes(wal, aside + QStringLiteral("-wal"));
        } catch (...) {
            QFile::remove(aside);
            throw;
        }
    }
    return aside;
}

} // namespace

void RemoveDatabaseFiles(const QString& path) noexcept
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

EDatabaseError EngineError(sqlite3* handle)
{
    return EngineError(handle, sqlite3_errmsg(handle));
}

EDatabaseError EngineError(sqlite3* handle, const std::string& engineText)
{
    return Translate(PathOf(handle), sqlite3_extended_errcode(handle), sqlite3_system_errno(handle),
                     engineText);
}

bool IsDamaged(const EDatabaseError& error)
{
    return error.Code() == SQLITE_CORRUPT;
}

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
    throw EngineError(m_handle);
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
    EDatabaseError error = EngineError(m_handle);
    sqlite3_reset(m_statement.get());
    throw error;
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

TConnection::TConnection(const QString& path, OpenMode mode) : m_path(path)
{
    ConfigureEngine();
    // The URI's mode says whether the file may be created or written.
    m_handle = OpenHandle(path, DatabaseUri(path, mode).toUtf8(),
                          SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI |
                              SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE);
    if (sqlite3_create_collation_v2(Handle(), "ptbr", SQLITE_UTF8, nullptr, &CollatePtBr,
                                    nullptr) != SQLITE_OK ||
        sqlite3_create_function_v2(Handle(), "ptbr_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                   nullptr, &FoldPtBr, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw EngineError(Handle());
    // Outside any transaction: the engine ignores it inside one.
    Execute("pragma foreign_keys = on");
    Execute("pragma cache_size = -16000");
    // The first real look at the file; a damaged one is read as far as it
    // goes.
    if (mode != OpenMode::ReadDamaged)
        Execute("select count(*) from sqlite_master");
}

TConnection::~TConnection() = default;

void TConnection::TCloser::operator()(sqlite3* handle) const
{
    sqlite3_close_v2(handle);
}

void TConnection::SetBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(Handle(), milliseconds);
}

void TConnection::Execute(std::string_view sql)
{
    char* message = nullptr;
    if (sqlite3_exec(Handle(), std::string(sql).c_str(), nullptr, nullptr, &message) ==
        SQLITE_OK)
        return;
    const std::string text = message != nullptr ? message : sqlite3_errmsg(Handle());
    sqlite3_free(message);
    throw EngineError(Handle(), text);
}

TQuery& TConnection::Query(std::string_view sql)
{
    const auto found = m_queries.find(sql);
    if (found != m_queries.end())
        return *found->second;
    auto query = std::make_unique<TQuery>(Handle(), sql);
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

bool TReadTransaction::Held() const
{
    return sqlite3_get_autocommit(m_connection.Handle()) == 0;
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
    UseWriteAheadLog(*connection);
    UpgradeSchema(*connection);
    return connection;
}

int SchemaVersionOf(TConnection& connection)
{
    TQuery& query = connection.Query("pragma user_version");
    const TQueryScope scope(query);
    query.Exec();
    return query.Next() ? query.Int(0) : 0;
}

void CreateCatalogueFile(const QString& path, int pageSize)
{
    RemoveDatabaseFiles(path);
    TConnection connection(path, TConnection::OpenMode::CreateFile);
    if (pageSize > 0)
        connection.Execute("pragma page_size = " + std::to_string(pageSize));
    TTransaction transaction(connection);
    for (const char* statement : SchemaStatements)
        connection.Execute(statement);
    ApplyMigrations(connection, 0);
    transaction.Commit();
    connection.Execute("pragma journal_mode = wal");
}

int PageSizeOfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return 0;
    const int size =
        (static_cast<unsigned char>(header[16]) << 8) | static_cast<unsigned char>(header[17]);
    return size == 1 ? 65536 : size;
}

void CreateDatabase()
{
    const QString path = DatabaseConnectionString();
    if (QFile::exists(path)) {
        // Checks it: a file that is no catalogue is reported. A damaged one
        // is left for the import to replace, which start-up must reach.
        try {
            OpenDatabase();
        } catch (const EDatabaseError& error) {
            if (!IsDamaged(error))
                throw;
        }
        return;
    }

    const QString buildPath =
        path + QStringLiteral(".%1.new").arg(QCoreApplication::applicationPid());
    try {
        CreateCatalogueFile(buildPath);
        // No-replace rename: a file another start created meanwhile wins.
        if (!QFile::rename(buildPath, path) && !QFile::exists(path))
            throw EDatabaseError("Não foi possível criar o banco de dados " +
                                 Quoted(path).toStdString());
    } catch (...) {
        RemoveDatabaseFiles(buildPath);
        throw;
    }
    RemoveDatabaseFiles(buildPath);
}

QString ReplaceDamagedDatabase(const QString& replacementPath)
{
    const QString path = DatabaseConnectionString();
    // Handles of their own: the damaged file fails an ordinary opening.
    const THandle source = OpenHandle(replacementPath, SQLITE_OPEN_READWRITE);
    const THandle target = OpenHandle(path, SQLITE_OPEN_READWRITE);
    std::unique_ptr<sqlite3_backup, TBackupFinisher> backup(
        sqlite3_backup_init(target.get(), "main", source.get(), "main"));
    if (!backup)
        throw EngineError(target.get());
    const auto fail = [&](int result) {
        backup.reset();
        const int code = sqlite3_errcode(target.get()) != SQLITE_OK
                             ? sqlite3_extended_errcode(target.get())
                             : result;
        return Translate(path, code, sqlite3_system_errno(target.get()), sqlite3_errstr(code));
    };
    // The first step takes the write lock and copies nothing: the damaged
    // bytes stand still while they are copied aside.
    const int locked = sqlite3_backup_step(backup.get(), 0);
    if (locked != SQLITE_OK && locked != SQLITE_DONE)
        throw fail(locked);
    const QString aside = KeepDamagedAside(path);
    const int copied = sqlite3_backup_step(backup.get(), -1);
    if (copied != SQLITE_DONE) {
        QFile::remove(aside);
        QFile::remove(aside + QStringLiteral("-wal"));
        throw fail(copied);
    }
    return aside;
}

} // namespace zev
