#include "catalogue/ImportCadastro.h"

#include "app/Operator.h"
#include "app/Settings.h"
#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/OutputFile.h"
#include "platform/Profile.h"
#include "platform/ProgramDir.h"
#include "platform/Regional.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zev {

namespace {

constexpr std::string_view PackageVersion = "5";
constexpr const char* PackageFilter = "Arquivos do ZEV (ZEV.TXT)|ZEV.TXT";
constexpr const char* PackageName = "ZEV.TXT";
constexpr const char* StagingFolderName = "tmp";
constexpr const char* SchemaFileName = "schema.ini";

// No valid line comes near this; a longer one is garbage, refused before it
// can take the memory of the machine.
constexpr std::size_t MaxLineLength = 64 * 1024;
constexpr std::size_t ReadChunk = 1024 * 1024;
constexpr std::size_t WriteChunk = 256 * 1024;
// The operator hears of the progress once per this many bytes.
constexpr qint64 ProgressStep = 256 * 1024;

// ---------------------------------------------------------------------------
// The staged tables and what the schema file makes of their columns.

enum class EKind
{
    Integer, // 32 bits
    Double,
    Date,
    Text,
    YesNo,   // empty is no, any number other than 0 yes
    Barcode, // text; digits only: the number, without leading zeros
};

struct TColumn
{
    std::string_view name;
    EKind kind;
    bool required = false;
    int maxLength = 0; // texts
};

struct TTableDef
{
    std::string_view name;
    int packageType;
    std::string_view header;
    std::span<const TColumn> columns; // the first is the key
    int foreignKey;                   // column index, -1 for none
    std::string_view parent;
    const char* insert;
    const char* parentLookup; // nullptr without a foreign key
};

constexpr TColumn DeptoColumns[] = {
    {"depto_key", EKind::Integer, true},
    {"nome", EKind::Text, true, 40},
};
constexpr TColumn SecaoColumns[] = {
    {"secao_key", EKind::Integer, true},
    {"depto_key", EKind::Integer, true},
    {"nome", EKind::Text, true, 40},
};
constexpr TColumn GrupoColumns[] = {
    {"grupo_key", EKind::Integer, true},
    {"secao_key", EKind::Integer, true},
    {"nome", EKind::Text, true, 40},
};
constexpr TColumn SubGrupoColumns[] = {
    {"sub_grupo_key", EKind::Integer, true},
    {"grupo_key", EKind::Integer, true},
    {"nome", EKind::Text, true, 40},
};
// As "[produto.csv]" types them; dias_validade is read as text and stored as
// an integer, which comes to reading it as one.
constexpr TColumn ProdutoColumns[] = {
    {"produto_key", EKind::Integer, true},
    {"descricao", EKind::Text, false, 80},
    {"pai", EKind::Integer},
    {"fator_preco", EKind::Double},
    {"data_alteracao", EKind::Date},
    {"preco_normal", EKind::Double},
    {"data_inicial", EKind::Date},
    {"data_final", EKind::Date},
    {"preco_oferta", EKind::Double},
    {"sub_grupo_key", EKind::Integer},
    {"compra", EKind::YesNo},
    {"divisor_preco", EKind::Integer},
    {"divisor_preco_descricao", EKind::Text, false, 30},
    {"preco_normal_key", EKind::Integer},
    {"preco_oferta_key", EKind::Integer},
    {"quantidade_etiquetas", EKind::Integer},
    {"embalagem_key", EKind::Text, false, 2},
    {"dias_validade", EKind::Integer},
    {"embalagem_padrao_key", EKind::Text, false, 2},
    {"embalagem_padrao_fator", EKind::Double},
    {"caixa", EKind::YesNo},
};
constexpr TColumn ItemColumns[] = {
    {"barra", EKind::Barcode, true, 14},
    {"produto_key", EKind::Integer, true},
};

// In load order: every row's parent is loaded before it.
const TTableDef Tables[] = {
    {"depto", 1, "depto_key;nome", DeptoColumns, -1, {}, "insert into depto values (?, ?)",
     nullptr},
    {"secao", 2, "secao_key;depto_key;nome", SecaoColumns, 1, "depto",
     "insert into secao values (?, ?, ?)", "select 1 from depto where depto_key = ?"},
    {"grupo", 3, "grupo_key;secao_key;nome", GrupoColumns, 1, "secao",
     "insert into grupo values (?, ?, ?)", "select 1 from secao where secao_key = ?"},
    {"sub_grupo", 4, "sub_grupo_key;grupo_key;nome", SubGrupoColumns, 1, "grupo",
     "insert into sub_grupo values (?, ?, ?)", "select 1 from grupo where grupo_key = ?"},
    {"produto", 5,
     "produto_key;descricao;pai;fator_preco;data_alteracao;preco_normal;data_inicial;"
     "data_final;preco_oferta;sub_grupo_key;compra;divisor_preco;divisor_preco_descricao;"
     "preco_normal_key;preco_oferta_key;quantidade_etiquetas;embalagem_key;dias_validade;"
     "embalagem_padrao_key;embalagem_padrao_fator;caixa",
     ProdutoColumns, 9, "sub_grupo",
     "insert into produto (produto_key, descricao, pai, fator_preco, data_alteracao, "
     "preco_normal, data_inicial, data_final, preco_oferta, sub_grupo_key, compra, "
     "divisor_preco, divisor_preco_descricao, preco_normal_key, preco_oferta_key, "
     "quantidade_etiquetas, embalagem_key, dias_validade, embalagem_padrao_key, "
     "embalagem_padrao_fator, caixa) "
     "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
     "select 1 from sub_grupo where sub_grupo_key = ?"},
    {"item", 6, "barra;produto_key", ItemColumns, 1, "produto", "insert into item values (?, ?)",
     "select 1 from produto where produto_key = ?"},
};
constexpr int TableCount = 6;

QString StagedFileName(const TTableDef& table)
{
    return QString::fromLatin1(table.name.data(), static_cast<qsizetype>(table.name.size())) +
           QStringLiteral(".csv");
}

[[noreturn]] void ThrowReadError(const QString& path, const QString& reason)
{
    throw EInOutError(0, "Não foi possível ler o arquivo \"" + path.toStdString() +
                             "\": " + reason.toStdString());
}

// ---------------------------------------------------------------------------
// Conversions, as the schema file has them read.

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decimal only, blanks around allowed; must fit 32 bits.
std::optional<std::int64_t> ParseInteger(std::string_view text)
{
    text = TrimView(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !IsDigit(text[0]))
        return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    value = negative ? -value : value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return value;
}

std::optional<double> ParseNumber(std::string_view text)
{
    text = TrimView(text);
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    if (text.empty() || !(IsDigit(text[0]) || text[0] == '-' || text[0] == '.'))
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool Digits(std::string_view text, int& value)
{
    value = 0;
    for (const char c : text) {
        if (!IsDigit(c))
            return false;
        value = value * 10 + (c - '0');
    }
    return !text.empty();
}

// The regional short date, a time after it ignored; or ISO yyyy-mm-dd.
bool ToIsoDate(std::string_view text, std::string& iso)
{
    std::string_view date = TrimView(text);
    date = date.substr(0, date.find(' '));
    int year = 0, month = 0, day = 0;
    if (date.size() == 10 && date[4] == '-' && date[7] == '-' && Digits(date.substr(0, 4), year) &&
        Digits(date.substr(5, 2), month) && Digits(date.substr(8, 2), day)) {
        if (!TryEncodeDate(year, month, day))
            return false;
        iso.assign(date);
        return true;
    }
    const std::optional<double> regional = TryStrToDate(date);
    if (!regional)
        return false;
    iso = IsoDate(*regional);
    return true;
}

bool IsAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// ---------------------------------------------------------------------------
// Reading a file line by line; lines end in CR LF, LF or CR.

class TLineReader
{
public:
    explicit TLineReader(const QString& path) : m_file(path), m_device(&m_file), m_path(path)
    {
        if (QFileInfo(path).isDir())
            ThrowReadError(path, QStringLiteral("é uma pasta"));
        if (!m_file.open(QIODevice::ReadOnly))
            ThrowReadError(path, m_file.errorString());
        m_buffer.resize(MaxLineLength + 1 + ReadChunk);
    }
    // Bytes already in memory, called `name` in messages.
    TLineReader(const QByteArray& bytes, const QString& name) : m_device(&m_memory), m_path(name)
    {
        m_memory.setData(bytes);
        m_memory.open(QIODevice::ReadOnly);
        // Room for the longest line and the whole of a short text.
        m_buffer.resize(MaxLineLength + 1 +
                        std::min(ReadChunk, static_cast<std::size_t>(bytes.size()) + 1));
    }
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    // The next line without its end; false after the last one. A line is
    // good until the next call.
    bool Next(std::string_view& line)
    {
        std::size_t scan = m_begin;
        for (;;) {
            const char* data = m_buffer.data();
            std::size_t i = scan;
            for (; i < m_end; ++i) {
                const char c = data[i];
                if (c != '\n' && c != '\r')
                    continue;
                // A CR at the end of what was read: whether an LF follows
                // decides where the next line starts.
                if (c == '\r' && i + 1 == m_end && !m_eof)
                    break;
                std::size_t next = i + 1;
                if (c == '\r' && next < m_end && data[next] == '\n')
                    ++next;
                return Take(line, i, next);
            }
            if (m_eof)
                return m_begin < m_end && Take(line, m_end, m_end);
            if (m_end - m_begin > MaxLineLength)
                ThrowTooLong();
            scan = i - m_begin;
            Fill();
        }
    }

    qint64 LineNumber() const { return m_lineNumber; }
    qint64 Position() const { return m_position; }

private:
    [[noreturn]] void ThrowTooLong() const
    {
        throw EImportError("Linha " + std::to_string(m_lineNumber + 1) + " do arquivo \"" +
                           m_path.toStdString() + "\": mais de " + std::to_string(MaxLineLength) +
                           " caracteres");
    }

    bool Take(std::string_view& line, std::size_t lineEnd, std::size_t next)
    {
        if (lineEnd - m_begin > MaxLineLength)
            ThrowTooLong();
        line = std::string_view(m_buffer.data() + m_begin, lineEnd - m_begin);
        m_position += static_cast<qint64>(next - m_begin);
        m_begin = next;
        ++m_lineNumber;
        return true;
    }

    void Fill()
    {
        const std::size_t rest = m_end - m_begin;
        if (m_begin > 0 && rest > 0)
            std::memmove(m_buffer.data(), m_buffer.data() + m_begin, rest);
        m_begin = 0;
        m_end = rest;
        const qint64 read =
            m_device->read(m_buffer.data() + m_end, static_cast<qint64>(m_buffer.size() - m_end));
        if (read < 0)
            ThrowReadError(m_path, m_device->errorString());
        if (read == 0)
            m_eof = true;
        m_end += static_cast<std::size_t>(read);
    }

    QFile m_file;
    QBuffer m_memory;
    QIODevice* m_device;
    QString m_path;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    qint64 m_lineNumber = 0;
    qint64 m_position = 0;
};

// The record type: the integer before the first ";", or the whole line
// without one. `data` is what follows that ";".
std::optional<int> RecordType(std::string_view line, std::string_view& data)
{
    const std::size_t semicolon = line.find(';');
    const std::string_view type = line.substr(0, semicolon);
    data = semicolon == std::string_view::npos ? std::string_view() : line.substr(semicolon + 1);
    const std::optional<std::int64_t> value = ParseInteger(type);
    if (!value || *value < 0 || *value > TableCount)
        return std::nullopt;
    return static_cast<int>(*value);
}

[[noreturn]] void ThrowBadType(qint64 lineNumber, std::string_view line)
{
    const std::string found = line.empty()
                                  ? std::string("linha vazia")
                                  : "\"" + Shown(line.substr(0, line.find(';'))) + "\"";
    throw EImportError("Linha " + std::to_string(lineNumber) +
                       " do arquivo de importação: tipo de registro inválido: " + found +
                       " (os tipos vão de 0 a 6)");
}

// The package's line that holds the row-th record of a type.
qint64 PackageLineOf(const QString& packagePath, int type, qint64 row)
{
    TLineReader reader(packagePath);
    std::string_view line;
    std::string_view data;
    qint64 seen = 0;
    while (reader.Next(line)) {
        if (RecordType(line, data) == type && ++seen == row)
            return reader.LineNumber();
    }
    return 0;
}

// The version: the text after the first ";" of the first line, or the
// whole line without one.
std::string VersionOfStart(std::string_view start)
{
    const std::string_view line = start.substr(0, start.find_first_of("\r\n"));
    const std::size_t semicolon = line.find(';');
    return std::string(semicolon == std::string_view::npos ? line : line.substr(semicolon + 1));
}

std::string PackageVersionOf(const QString& packagePath)
{
    QFile file(packagePath);
    if (QFileInfo(packagePath).isDir())
        ThrowReadError(packagePath, QStringLiteral("é uma pasta"));
    if (!file.open(QIODevice::ReadOnly))
        ThrowReadError(packagePath, file.errorString());
    const QByteArray start = file.read(static_cast<qint64>(MaxLineLength));
    if (start.isNull() && file.error() != QFileDevice::NoError)
        ThrowReadError(packagePath, file.errorString());
    return VersionOfStart(
        std::string_view(start.constData(), static_cast<std::size_t>(start.size())));
}

// ---------------------------------------------------------------------------
// Loading a staged file's rows into its table.

// Why a row was refused; the caller adds where it stood in the package.
struct TRefusal
{
    std::string column;
    std::string problem;
    std::string value;
};

// One staged line's fields converted to their columns' types. Each value
// goes to a sink, in column order, through Null, Integer, Real and Text
// (UTF-8; dates as ISO text): the database's statement, or nothing at all
// when a package is only read.
class TRowReader
{
public:
    explicit TRowReader(const TTableDef& table)
        : m_table(table), m_fields(table.columns.size() + 1), m_converted(table.columns.size())
    {
    }

    // A refused row throws TRefusal. Text values stay good until the next row.
    template <typename Sink> void Read(std::string_view line, Sink& sink)
    {
        const std::size_t count = Split(line);
        const std::size_t columns = m_table.columns.size();
        if (count > columns)
            throw TRefusal{"campo " + std::to_string(columns + 1),
                           "campo a mais (a tabela tem " + std::to_string(columns) + " colunas)",
                           m_fields[columns]};
        m_foreignValue.reset();
        for (std::size_t i = 0; i < columns; ++i)
            Convert(static_cast<int>(i),
                    i < count ? std::string_view(m_fields[i]) : std::string_view(), sink);
    }

    // The row's foreign key, when the table has one and the row fills it.
    const std::optional<std::int64_t>& ForeignValue() const { return m_foreignValue; }

    [[noreturn]] void Refuse(std::size_t column, std::string problem) const
    {
        throw TRefusal{std::string(m_table.columns[column].name), std::move(problem),
                       column < m_fields.size() ? m_fields[column] : std::string()};
    }

private:
    // Fields separated by ";"; one that begins with a double quote runs to
    // its closing quote (a doubled quote stands for one) and may hold ";".
    // Returns the number of fields, stopping at one more than the table has.
    std::size_t Split(std::string_view line)
    {
        std::size_t count = 0;
        std::size_t at = 0;
        for (;;) {
            std::string& field = m_fields[count];
            field.clear();
            if (at < line.size() && line[at] == '"') {
                ++at;
                for (;;) {
                    const std::size_t quote = line.find('"', at);
                    if (quote == std::string_view::npos) {
                        field.append(line.substr(at));
                        at = line.size();
                        break;
                    }
                    field.append(line.substr(at, quote - at));
                    at = quote + 1;
                    if (at < line.size() && line[at] == '"') {
                        field.push_back('"');
                        ++at;
                        continue;
                    }
                    break;
                }
            }
            const std::size_t separator = line.find(';', at);
            field.append(line.substr(at, separator == std::string_view::npos
                                             ? std::string_view::npos
                                             : separator - at));
            ++count;
            if (separator == std::string_view::npos || count == m_fields.size())
                return count;
            at = separator + 1;
        }
    }

    template <typename Sink> void ConvertText(int index, std::string_view ansi, Sink& sink)
    {
        std::string_view utf8 = ansi;
        if (!IsAscii(ansi)) {
            std::string& converted = m_converted[static_cast<std::size_t>(index)];
            converted = AnsiToUtf8(ansi);
            utf8 = converted;
        }
        sink.Text(index, utf8);
    }

    template <typename Sink> void Convert(int index, std::string_view field, Sink& sink)
    {
        const auto column = static_cast<std::size_t>(index);
        const TColumn& def = m_table.columns[column];
        const bool blank = def.kind == EKind::Text ? field.empty() : TrimView(field).empty();
        if (blank) {
            if (def.required)
                Refuse(column, "falta o valor");
            if (def.kind == EKind::YesNo)
                sink.Integer(index, 0);
            else
                sink.Null(index);
            return;
        }
        switch (def.kind) {
        case EKind::Integer: {
            const auto value = ParseInteger(field);
            if (!value)
                Refuse(column, "não é um número inteiro de 32 bits");
            if (index == m_table.foreignKey)
                m_foreignValue = *value;
            sink.Integer(index, *value);
            return;
        }
        case EKind::YesNo: {
            const auto value = ParseInteger(field);
            if (!value)
                Refuse(column, "não é um número inteiro");
            sink.Integer(index, *value != 0 ? 1 : 0);
            return;
        }
        case EKind::Double: {
            const auto value = ParseNumber(field);
            if (!value)
                Refuse(column, "não é um número (o separador decimal é o ponto)");
            sink.Real(index, *value);
            return;
        }
        case EKind::Date: {
            std::string& iso = m_converted[column];
            if (!ToIsoDate(field, iso))
                Refuse(column, "não é uma data");
            sink.Text(index, iso);
            return;
        }
        case EKind::Barcode: {
            const std::string_view barra = BarcodeAsStored(field);
            if (barra.size() > static_cast<std::size_t>(def.maxLength))
                Refuse(column, "mais de " + std::to_string(def.maxLength) + " caracteres");
            ConvertText(index, barra, sink);
            return;
        }
        case EKind::Text:
            // Windows-1252: one byte, one character.
            if (field.size() > static_cast<std::size_t>(def.maxLength))
                Refuse(column, "mais de " + std::to_string(def.maxLength) + " caracteres");
            ConvertText(index, field, sink);
            return;
        }
    }

    const TTableDef& m_table;
    std::vector<std::string> m_fields;
    std::vector<std::string> m_converted;
    std::optional<std::int64_t> m_foreignValue; // of the row being read
};

// A package only read: the values go nowhere.
struct TNoSink
{
    void Null(int) {}
    void Integer(int, std::int64_t) {}
    void Real(int, double) {}
    void Text(int, std::string_view) {}
};

[[noreturn]] void ThrowRefused(qint64 lineNumber, const TTableDef& table, const TRefusal& refusal)
{
    std::string message = "Linha " + std::to_string(lineNumber) +
                          " do arquivo de importação, tabela " + std::string(table.name) + " (" +
                          StagedFileName(table).toStdString() + ")";
    if (!refusal.column.empty())
        message += ", coluna " + refusal.column;
    message += ": " + refusal.problem;
    if (!refusal.column.empty())
        message += ": \"" + Shown(refusal.value) + "\"";
    throw EImportError(message);
}

class TTableLoader
{
public:
    TTableLoader(sqlite3* handle, const TTableDef& table)
        : m_handle(handle), m_table(table), m_statement(Prepare(table.insert)),
          m_parent(table.parentLookup ? Prepare(table.parentLookup) : nullptr), m_row(table)
    {}

    // One data line of the staged file; a refused row throws TRefusal.
    void Load(std::string_view line)
    {
        TBinder binder{m_statement.get()};
        m_row.Read(line, binder);
        if (m_row.ForeignValue() && !ParentExists(*m_row.ForeignValue()))
            m_row.Refuse(static_cast<std::size_t>(m_table.foreignKey),
                         "não existe na tabela " + std::string(m_table.parent));
        sqlite3_stmt* statement = m_statement.get();
        const int result = sqlite3_step(statement);
        if (result == SQLITE_DONE) {
            sqlite3_reset(statement);
            return;
        }
        const int code = sqlite3_extended_errcode(m_handle);
        const std::string message = sqlite3_errmsg(m_handle);
        EDatabaseError failure = EngineError(m_handle);
        sqlite3_reset(statement);
        if (code == SQLITE_CONSTRAINT_PRIMARYKEY)
            m_row.Refuse(0, "chave repetida");
        if (!RowsFault(code))
            throw failure; // the database's, not the row's: a full disk, a lock
        throw TRefusal{"", message, ""};
    }

private:
    struct Finalizer
    {
        void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
    };
    using TStatement = std::unique_ptr<sqlite3_stmt, Finalizer>;

    // The row's values straight into the insert; texts stay with the row
    // reader until the statement has run.
    struct TBinder
    {
        sqlite3_stmt* statement;

        void Null(int index) { sqlite3_bind_null(statement, index + 1); }
        void Integer(int index, std::int64_t value)
        {
            sqlite3_bind_int64(statement, index + 1, value);
        }
        void Real(int index, double value) { sqlite3_bind_double(statement, index + 1, value); }
        void Text(int index, std::string_view utf8)
        {
            sqlite3_bind_text(statement, index + 1, utf8.data(), static_cast<int>(utf8.size()),
                              SQLITE_STATIC);
        }
    };

    // What the row itself is refused for.
    static bool RowsFault(int code)
    {
        switch (code & 0xff) {
        case SQLITE_CONSTRAINT:
        case SQLITE_MISMATCH:
        case SQLITE_TOOBIG:
        case SQLITE_RANGE:
            return true;
        default:
            return false;
        }
    }

    TStatement Prepare(const char* sql) const
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_handle, sql, -1, &statement, nullptr) != SQLITE_OK)
            throw EngineError(m_handle);
        return TStatement(statement);
    }

    bool ParentExists(std::int64_t key) const
    {
        sqlite3_stmt* lookup = m_parent.get();
        sqlite3_bind_int64(lookup, 1, key);
        const int result = sqlite3_step(lookup);
        sqlite3_reset(lookup);
        if (result != SQLITE_ROW && result != SQLITE_DONE)
            throw EngineError(m_handle);
        return result == SQLITE_ROW;
    }

    sqlite3* m_handle;
    const TTableDef& m_table;
    TStatement m_statement;
    TStatement m_parent;
    TRowReader m_row;
};

// ---------------------------------------------------------------------------
// The staging folder.

// A staged file, written in large blocks.
class TStagedWriter
{
public:
    TStagedWriter(const QString& path, std::string_view header)
        : m_file(path, TOutputFile::Mode::Replace, "arquivo temporário da importação")
    {
        m_buffer.reserve(WriteChunk + MaxLineLength + 2);
        AppendLine(header);
    }

    void AppendLine(std::string_view data)
    {
        m_buffer.append(data).append("\r\n");
        if (m_buffer.size() >= WriteChunk)
            Flush();
    }

    void Close()
    {
        Flush();
        m_file.Close();
    }

private:
    void Flush()
    {
        m_file.Write(m_buffer);
        m_buffer.clear();
    }

    TOutputFile m_file;
    std::string m_buffer;
};

// "tmp" under the program's directory, with "schema.ini". Whoever holds it
// holds the catalogue's write lock too, so no other import uses the folder
// meanwhile. Its files go on every way out; the folder goes when nothing
// else is left in it.
class TStagingFolder
{
public:
    TStagingFolder() : m_dir(ProgramFilePath(QString::fromLatin1(StagingFolderName)))
    {
        QDir(ProgramDir()).mkdir(QString::fromLatin1(StagingFolderName));
        const QString schema = File(QString::fromLatin1(SchemaFileName));
        if (!QFile::exists(schema)) {
            TOutputFile file(schema, TOutputFile::Mode::Replace, "arquivo temporário da importação");
            const QByteArray text = SchemaIni();
            file.Write(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
            file.Close();
        }
    }
    ~TStagingFolder() { Remove(); }
    TStagingFolder(const TStagingFolder&) = delete;
    TStagingFolder& operator=(const TStagingFolder&) = delete;

    QString File(const QString& name) const { return QDir(m_dir).filePath(name); }

    void Remove() noexcept
    {
        for (const TTableDef& table : Tables)
            QFile::remove(File(StagedFileName(table)));
        QFile::remove(File(QString::fromLatin1(SchemaFileName)));
        QDir(ProgramDir()).rmdir(QString::fromLatin1(StagingFolderName));
    }

private:
    QString m_dir;
};

// ---------------------------------------------------------------------------
// A damaged catalogue.

struct TSalvage
{
    qint64 prices = 0;
    bool complete = false;
};

struct TRebuilt
{
    QString damagedCopy;
    TSalvage oldPrices;
};

// A database file being built, gone with its companions on every way out.
class TBuildFile
{
public:
    explicit TBuildFile(QString path) : m_path(std::move(path)) { RemoveDatabaseFiles(m_path); }
    ~TBuildFile() { RemoveDatabaseFiles(m_path); }
    TBuildFile(const TBuildFile&) = delete;
    TBuildFile& operator=(const TBuildFile&) = delete;

    const QString& Path() const { return m_path; }

private:
    QString m_path;
};

struct TOldPrice
{
    std::int32_t key = 0;
    std::optional<double> normal;
    std::optional<double> oferta;
};

std::optional<double> PriceOf(const TQuery& row, int column)
{
    return row.IsNull(column) ? std::nullopt : std::optional<double>(row.Double(column));
}

void BindPrice(TQuery& insert, int position, const std::optional<double>& price)
{
    if (price)
        insert.Bind(position, *price);
    else
        insert.BindNull(position);
}

// The prices before this import, as far as the damaged file still gives
// them, with the selection's date record; the rows before the first
// unreadable page when not all.
TSalvage SalvageOldPrices(TConnection& build, const QString& damagedPath)
{
    TSalvage salvage;
    std::vector<TOldPrice> prices;
    std::optional<std::pair<std::string, std::optional<std::string>>> selecaoData;
    try {
        TConnection damaged(damagedPath, TConnection::OpenMode::ReadDamaged);
        TQuery& rows = damaged.Query("select produto_key, preco_normal, preco_oferta from produto");
        const TQueryScope scope(rows);
        rows.Exec();
        while (rows.Next())
            prices.push_back({rows.Int(0), PriceOf(rows, 1), PriceOf(rows, 2)});
        salvage.complete = true;
        if (SchemaVersionOf(damaged) >= 1) {
            TQuery& record = damaged.Query("select data, anterior from selecao_data");
            const TQueryScope recordScope(record);
            record.Exec();
            if (record.Next())
                selecaoData.emplace(record.Text(0), record.IsNull(1)
                                                        ? std::nullopt
                                                        : std::optional(record.Text(1)));
        }
    } catch (const EDatabaseError&) {
        // Whatever the damage let through is kept.
    }
    TQuery& insert = build.Query("insert or ignore into produto_antigo values (?, ?, ?)");
    for (const TOldPrice& price : prices) {
        insert.Bind(0, price.key);
        BindPrice(insert, 1, price.normal);
        BindPrice(insert, 2, price.oferta);
        insert.Exec();
    }
    salvage.prices = static_cast<qint64>(prices.size());
    if (selecaoData) {
        TQuery& record = build.Query("insert into selecao_data values (1, ?, ?)");
        record.BindText(0, selecaoData->first);
        if (selecaoData->second)
            record.BindText(1, *selecaoData->second);
        else
            record.BindNull(1);
        record.Exec();
    }
    return salvage;
}

QString RebuiltText(const QString& damagedPath, const TRebuilt& rebuilt)
{
    QString text = Text("O banco de dados \"%1\" estava danificado. O cadastro foi importado num "
                        "banco novo, e o arquivo danificado foi guardado em \"%2\", para análise.")
                       .arg(QDir::toNativeSeparators(damagedPath),
                            QDir::toNativeSeparators(rebuilt.damagedCopy));
    if (!rebuilt.oldPrices.complete)
        text += Text(" Dos preços anteriores à importação, só os de %1 produto(s) puderam ser "
                     "lidos: \"Ultima Importação\" compara só esses.")
                    .arg(rebuilt.oldPrices.prices);
    return text;
}

// ---------------------------------------------------------------------------
// The import.

class TImport
{
public:
    TImport(TOperator& op, const QString& packagePath)
        : m_operator(op), m_packagePath(packagePath), m_progress(op)
    {
    }

    // False when the person stopped it.
    bool Run()
    {
        m_packageSize = QFileInfo(m_packagePath).size();
        m_total = std::max<qint64>(1, 2 * m_packageSize);
        if (!m_progress.Show(0, m_total))
            return false;
        try {
            const auto connection = OpenDatabase();
            return Replace(*connection, [](TConnection& c) {
                c.Execute("delete from produto_antigo");
                c.Execute("insert into produto_antigo "
                          "select produto_key, preco_normal, preco_oferta from produto");
            });
        } catch (const EDatabaseError& error) {
            if (!IsDamaged(error))
                throw;
        }
        return RebuildDamaged();
    }

    // When the catalogue was damaged: where its file was kept, and how many
    // of its prices could be kept as the ones before the import.
    const std::optional<TRebuilt>& Rebuilt() const { return m_rebuilt; }

private:
    // Replaces the catalogue on `connection` in one transaction; the rest
    // stays as it was when anything fails or the person stops it.
    bool Replace(TConnection& connection, const std::function<void(TConnection&)>& saveOldPrices)
    {
        // The import checks every foreign key itself, naming the line,
        // column and value of a dangling one. The engine's own check is off
        // for this connection alone (it can only be switched outside a
        // transaction), so that emptying the catalogue frees its pages at
        // once instead of deleting it row by row, in time and memory growing
        // with the old catalogue. Every table holding a foreign key is
        // emptied and loaded here, so none is left dangling.
        connection.Execute("pragma foreign_keys = off");
        TTransaction transaction(connection);

        m_operator.ShowStatus(Text("Gravando importação antiga"));
        saveOldPrices(connection);

        m_operator.ShowStatus(Text("Limpando o Cadastro"));
        for (const char* statement :
             {"delete from selecao", "delete from item", "delete from produto",
              "delete from sub_grupo", "delete from grupo", "delete from secao",
              "delete from depto"})
            connection.Execute(statement);

        m_operator.ShowStatus(Text("Carregando o arquivo"));
        TStagingFolder staging;
        if (!Stage(staging))
            return false;

        for (const TTableDef& table : Tables) {
            m_operator.ShowStatus(Text("Carregando o arquivo - ") +
                                  QString::fromLatin1(table.name.data(),
                                                      static_cast<qsizetype>(table.name.size())));
            if (!Load(connection, table, staging.File(StagedFileName(table))))
                return false;
        }

        m_operator.ShowStatus(Text("Finalizando..."));
        // One level: the values of the join are taken before any row
        // changes, so a box whose parent gets its subgroup here does not
        // pass it on to its own children.
        connection.Execute("update produto as p1 set sub_grupo_key = p2.sub_grupo_key "
                           "from produto as p2 "
                           "where p1.pai = p2.produto_key and p1.sub_grupo_key is null");
        // The last moment to stop.
        if (!m_progress.Show(m_total, m_total))
            return false;
        transaction.Commit();

        // The catalogue is in: what follows cannot undo it.
        m_operator.ShowStatus(Text("Limpando..."));
        staging.Remove();
        return true;
    }

    // A damaged file cannot be emptied page by page: the package is loaded
    // into a new file, which then replaces the damaged one's content (kept
    // aside first).
    bool RebuildDamaged()
    {
        const QString damaged = DatabaseConnectionString();
        m_operator.ShowStatus(Text("Banco de dados danificado: importando num banco novo"));
        const TBuildFile build(damaged +
                               QStringLiteral(".%1.novo").arg(QCoreApplication::applicationPid()));
        CreateCatalogueFile(build.Path(), PageSizeOfFile(damaged));
        TRebuilt rebuilt;
        {
            TConnection connection(build.Path(), TConnection::OpenMode::ExistingFile);
            m_reported = 0;
            const bool replaced = Replace(connection, [&](TConnection& c) {
                rebuilt.oldPrices = SalvageOldPrices(c, damaged);
            });
            if (!replaced)
                return false;
        }
        m_operator.ShowStatus(Text("Substituindo o banco de dados danificado"));
        rebuilt.damagedCopy = ReplaceDamagedDatabase(build.Path());
        m_rebuilt = rebuilt;
        return true;
    }

private:
    bool Report(qint64 done)
    {
        if (done - m_reported < ProgressStep)
            return true;
        m_reported = done;
        return m_progress.Show(std::min(done, m_total), m_total);
    }

    // One pass over the package, the six staged files open.
    bool Stage(const TStagingFolder& staging)
    {
        std::vector<std::unique_ptr<TStagedWriter>> files;
        for (const TTableDef& table : Tables)
            files.push_back(std::make_unique<TStagedWriter>(staging.File(StagedFileName(table)),
                                                            table.header));
        TLineReader package(m_packagePath);
        std::string_view line;
        std::string_view data;
        while (package.Next(line)) {
            const std::optional<int> type = RecordType(line, data);
            if (!type)
                ThrowBadType(package.LineNumber(), line);
            if (*type != 0)
                files[static_cast<std::size_t>(*type - 1)]->AppendLine(data);
            if (!Report(package.Position()))
                return false;
        }
        for (const auto& file : files)
            file->Close();
        m_stagedTotal = 0;
        for (const TTableDef& table : Tables)
            m_stagedTotal += QFileInfo(staging.File(StagedFileName(table))).size();
        m_stagedDone = 0;
        return true;
    }

    bool Load(TConnection& connection, const TTableDef& table, const QString& stagedPath)
    {
        TTableLoader loader(connection.Handle(), table);
        TLineReader staged(stagedPath);
        std::string_view line;
        staged.Next(line); // the header
        qint64 row = 0;
        while (staged.Next(line)) {
            ++row;
            try {
                loader.Load(line);
            } catch (const TRefusal& refusal) {
                ThrowRefused(PackageLineOf(m_packagePath, table.packageType, row), table, refusal);
            }
            const qint64 done =
                m_packageSize + (m_stagedDone + staged.Position()) * m_packageSize /
                                    std::max<qint64>(1, m_stagedTotal);
            if (!Report(done))
                return false;
        }
        m_stagedDone += staged.Position();
        return true;
    }

    TOperator& m_operator;
    QString m_packagePath;
    TProgressScope m_progress;
    std::optional<TRebuilt> m_rebuilt;
    qint64 m_packageSize = 0;
    qint64 m_total = 1;
    qint64 m_reported = 0;
    qint64 m_stagedTotal = 0;
    qint64 m_stagedDone = 0;
};

} // namespace

TPackageContents ReadPackage(const QByteArray& bytes)
{
    TPackageContents contents;
    contents.version =
        VersionOfStart(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))
                           .substr(0, MaxLineLength));
    std::vector<TRowReader> rows(std::begin(Tables), std::end(Tables));
    TNoSink nowhere;
    TLineReader package(bytes, QString::fromLatin1(PackageName));
    std::string_view line;
    std::string_view data;
    while (package.Next(line)) {
        const std::optional<int> type = RecordType(line, data);
        if (!type)
            ThrowBadType(package.LineNumber(), line);
        ++contents.rows[static_cast<std::size_t>(*type)];
        if (*type == 0)
            continue;
        const TTableDef& table = Tables[*type - 1];
        try {
            rows[static_cast<std::size_t>(*type - 1)].Read(data, nowhere);
        } catch (const TRefusal& refusal) {
            ThrowRefused(package.LineNumber(), table, refusal);
        }
    }
    return contents;
}

QByteArray SchemaIni()
{
    QFile resource(QStringLiteral(":/catalogue/schema.ini"));
    if (!resource.open(QIODevice::ReadOnly))
        throw EZevError("O programa não tem o recurso schema.ini");
    return resource.readAll();
}

TImportResult ImportCadastro(TOperator& op)
{
    QString folder;
    try {
        folder = ReadSetting(TIniFile(SettingsPath()), settings::PathCadastro);
    } catch (const EZevError&) {
        // Only where the chooser starts: no reason to refuse the import.
    }
    if (folder.isEmpty())
        folder = QDir::currentPath();
    TFileRequest request;
    request.fileName = QDir(folder).filePath(QString::fromLatin1(PackageName));
    request.filter = Text(PackageFilter);
    const std::optional<QString> chosen = op.ChooseOpenFile(request);
    if (!chosen)
        return TImportResult::NotChosen;
    return ImportCadastroFile(op, *chosen);
}

TImportResult ImportCadastroFile(TOperator& op, const QString& packagePath)
{
    const std::string version = PackageVersionOf(packagePath);
    if (version != PackageVersion) {
        op.ShowError(Text("Versão do arquivo de importação inválida: ") +
                     QString::fromStdString(Shown(version)) + Text(" <> ") +
                     QString::fromLatin1(PackageVersion.data(),
                                         static_cast<qsizetype>(PackageVersion.size())) +
                     u'\r' + Text("Atualize a versão do ZEV"));
        return TImportResult::Refused;
    }
    // The folder of the package, with its trailing separator.
    const QString folder = QDir::toNativeSeparators(QFileInfo(packagePath).absolutePath() + u'/');
    const QDateTime startedAt = QDateTime::currentDateTime();
    std::optional<TRebuilt> rebuilt;
    {
        TStatusScope status(op);
        TImport import(op, packagePath);
        const char* const unchanged = " O cadastro não foi alterado.";
        try {
            if (!import.Run())
                return TImportResult::Cancelled;
        } catch (const EDatabaseError& error) {
            throw EDatabaseError(error.what() + std::string(unchanged), error.Code());
        } catch (const EInOutError& error) {
            if (error.Code() != ENOSPC)
                throw EInOutError(error.Code(), error.what() + std::string(unchanged));
            throw EInOutError(ENOSPC, "O disco da pasta \"" +
                                          QDir::toNativeSeparators(ProgramDir()).toStdString() +
                                          "\" está cheio (" + error.what() +
                                          "). Libere espaço no disco e tente de novo." + unchanged);
        }
        rebuilt = import.Rebuilt();
    }
    if (rebuilt)
        op.ShowWarning(RebuiltText(DatabaseConnectionString(), *rebuilt));
    try {
        TIniFile ini(SettingsPath());
        WriteSetting(ini, settings::PathCadastro, folder);
        WriteSetting(ini, settings::UltimaImportacao, startedAt.toString(Qt::ISODate));
        WriteSetting(ini, settings::ArquivoImportado,
                     QDir::toNativeSeparators(QFileInfo(packagePath).absoluteFilePath()));
    } catch (const EZevError& error) {
        // The catalogue is in; only what is remembered of it is lost.
        op.ShowWarning(QString::fromUtf8(error.what()));
    }
    op.ShowNotice(Text("Arquivo importado com sucesso"));
    return TImportResult::Imported;
}

} // namespace zev
