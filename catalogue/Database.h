#pragma once

// The catalogue database: "zev.mdb" in the program's directory, an SQLite
// file despite its name.
//
// Each operation opens its own connection (OpenDatabase), does its work and
// lets the connection go on every way out. A connection owns the queries
// prepared on it. Every connection has foreign keys on, a busy timeout and
// the Portuguese collation "ptbr" (names and descriptions sort as the
// operator expects: "Água" with A, case and accents ignored first), with
// ptbr_fold(text) for searches that ignore case and accents (FoldUtf8).
//
// Values: yes/no columns hold 0/1, dates ISO text "YYYY-MM-DD" (day numbers
// in the program), texts UTF-8 in the file and Windows-1252 bytes in the
// program. Every value reaches SQL as a bound parameter.
//
// A connection is opened, used and closed by one thread; never shared.

#include "platform/Error.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zev {

// A database failure. Code() is the engine's primary result code (SQLITE_BUSY,
// SQLITE_FULL, ...), 0 for a failure found by the program itself.
class EDatabaseError : public EZevError
{
public:
    explicit EDatabaseError(const std::string& message, int code = 0)
        : EZevError(message), m_code(code)
    {}
    int Code() const { return m_code; }

private:
    int m_code;
};

// The last failure on `handle` as the operator reads it. The engine's
// failures that are no fault of the data (busy, read-only, disk full,
// damaged file, input/output) name the file and say what to do, the
// engine's own text in parentheses; the others (a constraint, a type) carry
// the engine's text alone. Every engine failure is raised through here.
EDatabaseError EngineError(sqlite3* handle);
EDatabaseError EngineError(sqlite3* handle, const std::string& engineText);

// A file whose pages the engine cannot read as a database.
bool IsDamaged(const EDatabaseError& error);

// A prepared statement with positional parameters (0-based), run straight
// on the engine's handle: lookups and bulk loads run it thousands of times,
// and the data-access layer's per-run cost would triple theirs. Errors throw
// EDatabaseError. Columns are read by position or by name; NULL reads as 0,
// 0.0, day 0, false or the empty text.
class TQuery
{
public:
    TQuery(sqlite3* handle, std::string_view sql);
    TQuery(const TQuery&) = delete;
    TQuery& operator=(const TQuery&) = delete;

    TQuery& Bind(int position, std::int64_t value);
    TQuery& Bind(int position, int value) { return Bind(position, std::int64_t{value}); }
    TQuery& Bind(int position, double value);
    TQuery& BindText(int position, std::string_view ansiText); // Windows-1252 bytes
    TQuery& BindDate(int position, double day);
    TQuery& BindNull(int position);

    // Runs the statement; a query still positioned on a row is reset first.
    // Bindings stay for the next run.
    void Exec();
    bool Next();
    // Releases the rows of a query left before its end, so it holds no lock.
    void Finish() noexcept;

    int ColumnIndex(std::string_view name) const; // throws when the result has no such column
    bool IsNull(int column) const;
    std::int32_t Int(int column) const;
    double Double(int column) const;
    bool Bool(int column) const;
    double Date(int column) const;      // day number
    std::string Text(int column) const; // Windows-1252 bytes

    std::int32_t Int(std::string_view name) const { return Int(ColumnIndex(name)); }
    double Double(std::string_view name) const { return Double(ColumnIndex(name)); }
    bool Bool(std::string_view name) const { return Bool(ColumnIndex(name)); }
    double Date(std::string_view name) const { return Date(ColumnIndex(name)); }
    std::string Text(std::string_view name) const { return Text(ColumnIndex(name)); }

private:
    struct Finalizer
    {
        void operator()(sqlite3_stmt* statement) const;
    };

    [[noreturn]] void ThrowError() const;
    void Check(int result) const;
    void Step();
    void ReleaseRow();

    sqlite3* m_handle;
    std::unique_ptr<sqlite3_stmt, Finalizer> m_statement;
    std::string m_sql;
    bool m_rowPending = false; // Exec fetched the first row; Next hands it out
    bool m_onRow = false;
    mutable std::vector<std::pair<std::string, int>> m_columns; // filled on first use
};

// Finishes a query on every way out of the scope that runs it, so a read
// that failed half-way leaves no lock behind.
class TQueryScope
{
public:
    explicit TQueryScope(TQuery& query) : m_query(query) {}
    ~TQueryScope() { m_query.Finish(); }
    TQueryScope(const TQueryScope&) = delete;
    TQueryScope& operator=(const TQueryScope&) = delete;

private:
    TQuery& m_query;
};

// An open connection to one database file.
class TConnection
{
public:
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    enum class OpenMode
    {
        ExistingFile,
        CreateFile,
        ReadDamaged, // read only, without the first look at the schema
    };
    TConnection(const QString& path, OpenMode mode);

    const QString& Path() const { return m_path; }

    // Statements without parameters, separated by ";".
    void Execute(std::string_view sql);
    // The statement prepared once on this connection and kept with it. One
    // use of it must be finished before the same text runs again.
    TQuery& Query(std::string_view sql);

    // The engine's handle.
    sqlite3* Handle() const { return m_handle.get(); }
    // How long a statement waits for another program's write lock before it
    // fails with SQLITE_BUSY; DefaultBusyTimeoutMs unless set.
    void SetBusyTimeout(int milliseconds);

    struct TCloser
    {
        void operator()(sqlite3* handle) const;
    };

private:
    QString m_path;
    std::unique_ptr<sqlite3, TCloser> m_handle;
    // After the handle: its statements are finalized before it closes.
    std::map<std::string, std::unique_ptr<TQuery>, std::less<>> m_queries;
};

// A transaction that rolls back unless committed. It begins IMMEDIATE, so
// the write lock is taken up front instead of failing half-way.
class TTransaction
{
public:
    explicit TTransaction(TConnection& connection);
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;

    void Commit();

private:
    TConnection& m_connection;
    bool m_open = true;
};

// Several reads under one consistent view of the file, when no transaction
// is open on the connection yet (otherwise it adds nothing). The file is in
// write-ahead-log mode: the view holds no writer back, however long it
// lasts, and a writer's commit meanwhile stays out of it.
class TReadTransaction
{
public:
    explicit TReadTransaction(TConnection& connection);
    ~TReadTransaction();
    TReadTransaction(const TReadTransaction&) = delete;
    TReadTransaction& operator=(const TReadTransaction&) = delete;

    // False once the engine ended the transaction on its own (after an
    // input/output failure): reads would then see the file as it is now.
    bool Held() const;

private:
    TConnection& m_connection;
    bool m_began = false;
};

inline constexpr int DefaultBusyTimeoutMs = 5000;

// The database file: "zev.mdb" in the program's directory.
QString DatabaseConnectionString();

// The schema's version, the engine's user_version: 1 added selecao_data,
// 2 the print history.
inline constexpr int SchemaVersion = 2;

// A new connection to the catalogue. Throws EDatabaseError naming the file
// when it is missing, is not an SQLite database or lacks the catalogue tables,
// or was made by a newer program (its schema version is above ours). An older
// schema is brought up to ours in one transaction, and a file still in the
// rollback-journal mode is put in write-ahead-log mode; when the file cannot
// be written, both wait for a later opening (SchemaVersionOf tells).
std::unique_ptr<TConnection> OpenDatabase();

int SchemaVersionOf(TConnection& connection);

// Creates the file and its schema when the file is missing. The schema is
// built in a temporary file in one transaction and renamed into place only
// when complete. An existing file is checked, never changed: one that is not
// a catalogue database is reported, not overwritten; a damaged one passes,
// for the import to replace.
void CreateDatabase();

// An empty catalogue of the current schema in a new file at `path` (an old
// file of that name is replaced), in write-ahead-log mode, with pages of
// `pageSize` bytes (0: the engine's default).
void CreateCatalogueFile(const QString& path, int pageSize = 0);

// Removes a database file the program built, with the engine's files beside
// it (journal, write-ahead log and its index). Never for the catalogue.
void RemoveDatabaseFiles(const QString& path) noexcept;

// The page size written in a database file's header; 0 when it has none.
int PageSizeOfFile(const QString& path);

// Replaces the content of the damaged catalogue file with the complete
// catalogue at `replacementPath`, through the engine, under the catalogue's
// write lock, so a program reading the old catalogue meanwhile keeps its
// view and the next reader sees the new one. Before that, the damaged file's
// bytes (with its write-ahead log) are copied beside it, as
// "zev.mdb.danificado-YYYYMMDD-HHMMSS", for inspection. Returns the copy's
// path. A failure leaves the catalogue file as it was, without the copy.
QString ReplaceDamagedDatabase(const QString& replacementPath);

// Dates as the database holds them: ISO text "YYYY-MM-DD". Throw
// EDatabaseError for a year outside 1..9999 / a text that is no such date.
std::string IsoDate(double day);
double DayFromIsoDate(std::string_view text);

// The nine tables, in load order.
const std::vector<std::string_view>& CatalogueTables();

} // namespace zev
