#pragma once

// The package file "ZEV.TXT" as the import reads it, without the database:
// its tables and their columns, the conversion of each field, the reading
// of its lines and of its rows. Pure: nothing here changes a file, so a
// package can be checked (ReadPackage) or fuzzed alone.

#include "catalogue/Produto.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Error.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zev {

// A package the import refuses. The message names the package's line and,
// for a row, the table, the column and the value.
class EImportError : public EZevError
{
public:
    using EZevError::EZevError;
};

// A package as the import reads it, without the database: the version and
// how many lines of each record type (0 to 6) it holds.
struct TPackageContents
{
    std::string version;
    std::array<qint64, 7> rows{};
};

// Reads every line and converts every row as the import does, for checking
// a package without loading it. Throws EImportError, with the import's own
// text, for the first line or value the import refuses; keys repeated or
// naming missing rows are found only by loading.
TPackageContents ReadPackage(const QByteArray& bytes);

// The staging folder's schema file, as the program carries it.
QByteArray SchemaIni();

namespace package {

inline constexpr std::string_view PackageVersion = "5";
inline constexpr const char* PackageName = "ZEV.TXT";

// No valid line comes near this; a longer one is garbage, refused before it
// can take the memory of the machine.
inline constexpr std::size_t MaxLineLength = 64 * 1024;
inline constexpr std::size_t ReadChunk = 1024 * 1024;

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

inline constexpr TColumn DeptoColumns[] = {
    {"depto_key", EKind::Integer, true},
    {"nome", EKind::Text, true, 40},
};
inline constexpr TColumn SecaoColumns[] = {
    {"secao_key", EKind::Integer, true},
    {"depto_key", EKind::Integer, true},
    {"nome", EKind::Text, true, 40},
};
inline constexpr TColumn GrupoColumns[] = {
    {"grupo_key", EKind::Integer, true},
    {"secao_key", EKind::Integer, true},
    {"nome", EKind::Text, true, 40},
};
inline constexpr TColumn SubGrupoColumns[] = {
    {"sub_grupo_key", EKind::Integer, true},
    {"grupo_key", EKind::Integer, true},
    {"nome", EKind::Text, true, 40},
};
// As "[produto.csv]" types them; dias_validade is read as text and stored as
// an integer, which comes to reading it as one.
inline constexpr TColumn ProdutoColumns[] = {
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
inline constexpr TColumn ItemColumns[] = {
    {"barra", EKind::Barcode, true, 14},
    {"produto_key", EKind::Integer, true},
};

// In load order: every row's parent is loaded before it.
inline const TTableDef Tables[] = {
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
inline constexpr int TableCount = 6;

// Reading the package's fields as the schema file has them read.
// Decimal only, blanks around allowed; must fit 32 bits.
std::optional<std::int64_t> ParseInteger(std::string_view text);
std::optional<double> ParseNumber(std::string_view text);
// The regional short date, a time after it ignored; or ISO yyyy-mm-dd.
bool ToIsoDate(std::string_view text, std::string& iso);
bool IsAscii(std::string_view text);

QString StagedFileName(const TTableDef& table);
[[noreturn]] void ThrowReadError(const QString& path, const QString& reason);

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
std::optional<int> RecordType(std::string_view line, std::string_view& data);
[[noreturn]] void ThrowBadType(qint64 lineNumber, std::string_view line);
// The package's next line: its record type and what follows the type;
// false after the last line. A line of no known type throws EImportError.
bool NextRecord(TLineReader& package, int& type, std::string_view& data);
// The package's line that holds the row-th record of a type.
qint64 PackageLineOf(const QString& packagePath, int type, qint64 row);
// The version: the text after the first ";" of the first line, or the
// whole line without one.
std::string VersionOfStart(std::string_view start);
std::string PackageVersionOf(const QString& packagePath);

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

[[noreturn]] inline void ThrowRefused(qint64 lineNumber, const TTableDef& table, const TRefusal& refusal)
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

} // namespace package

} // namespace zev
