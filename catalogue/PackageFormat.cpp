#include "catalogue/PackageFormat.h"

#include "catalogue/Database.h"
#include "platform/Regional.h"

#include <QFileInfo>

#include <charconv>
#include <cmath>

namespace zev {

namespace package {

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

// Decimal only, blanks around allowed; must fit 32 bits.
std::optional<std::int64_t> ParseInteger(std::string_view text)
{
    text = TrimView(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !IsAsciiDigit(text[0]))
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
    if (text.empty() || !(IsAsciiDigit(text[0]) || text[0] == '-' || text[0] == '.'))
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
        if (!IsAsciiDigit(c))
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

bool NextRecord(TLineReader& package, int& type, std::string_view& data)
{
    std::string_view line;
    if (!package.Next(line))
        return false;
    const std::optional<int> found = RecordType(line, data);
    if (!found)
        ThrowBadType(package.LineNumber(), line);
    type = *found;
    return true;
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

} // namespace package

using namespace package;

TPackageContents ReadPackage(const QByteArray& bytes)
{
    TPackageContents contents;
    contents.version =
        VersionOfStart(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))
                           .substr(0, MaxLineLength));
    std::vector<TRowReader> rows(std::begin(Tables), std::end(Tables));
    TNoSink nowhere;
    TLineReader package(bytes, QString::fromLatin1(PackageName));
    int type = 0;
    std::string_view data;
    while (NextRecord(package, type, data)) {
        ++contents.rows[static_cast<std::size_t>(type)];
        if (type == 0)
            continue;
        const TTableDef& table = Tables[type - 1];
        try {
            rows[static_cast<std::size_t>(type - 1)].Read(data, nowhere);
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

} // namespace zev
