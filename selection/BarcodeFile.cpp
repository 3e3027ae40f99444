#include "selection/BarcodeFile.h"

#include "app/Operator.h"
#include "app/Settings.h"
#include "platform/AnsiText.h"
#include "platform/Error.h"
#include "platform/Profile.h"
#include "platform/Regional.h"
#include "selection/SelecaoCommand.h"

#include <QFile>

#include <cerrno>

namespace zev {

namespace {

constexpr std::size_t BarraWidth = 14; // item.barra and selecao_barra.barra
constexpr std::size_t Tarvo9000First = 4;
constexpr std::size_t Tarvo9000Length = 13;

const char* const InsertOwners = "insert into selecao                    \n"
                                 "  select distinct produto_key          \n"
                                 "  from   item i, selecao_barra sb      \n"
                                 "  where  i.barra = sb.barra            ";

// Only the children of the products the file named, not theirs.
const char* const InsertFilhos = "insert into selecao                    \n"
                                 "select distinct p.produto_key          \n"
                                 "from selecao s, produto p              \n"
                                 "where s.produto_key = p.pai            ";

std::string Entry(std::string_view line, TBarcodeFileFormat format)
{
    if (format == TBarcodeFileFormat::Barras)
        return std::string(line);
    if (line.size() <= Tarvo9000First)
        return {};
    return std::string(line.substr(Tarvo9000First, Tarvo9000Length));
}

// Before anything changes: the engine would refuse the entry half-way,
// with a text that names neither the line nor the code.
void CheckEntries(const std::vector<std::string>& entries)
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].size() > BarraWidth)
            throw EZevError("Linha " + std::to_string(i + 1) + " do arquivo: o código \"" +
                            Shown(entries[i]) + "\" tem mais de " + std::to_string(BarraWidth) +
                            " caracteres. Nada foi selecionado.");
    }
}

} // namespace

std::vector<std::string> BarcodeFileEntries(std::string_view bytes, TBarcodeFileFormat format)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            entries.push_back(Entry(bytes.substr(start), format));
            break;
        }
        entries.push_back(Entry(bytes.substr(start, end - start), format));
        start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return entries;
}

std::optional<std::vector<std::string>> ReadBarcodeFile(TOperator& op, TBarcodeFileFormat format)
{
    TFileRequest request;
    request.fileName = QStringLiteral("PLU.TXT");
    request.filter = QStringLiteral("Arquivos de seleção (*.TXT)|*.TXT");
    const std::optional<QString> path = op.ChooseOpenFile(request);
    if (!path)
        return std::nullopt;
    QFile file(*path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(errno, "Não foi possível ler o arquivo \"" + path->toStdString() +
                                     "\": " + file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(errno, "Não foi possível ler o arquivo \"" + path->toStdString() +
                                     "\": " + file.errorString().toStdString());
    return BarcodeFileEntries(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), format);
}

void SelectFromBarcodeFile(TOperator& op, TBarcodeFileFormat format)
{
    const std::optional<std::vector<std::string>> entries = ReadBarcodeFile(op, format);
    if (!entries)
        return;
    CheckEntries(*entries);
    const bool atacado = ReadSetting(TIniFile(SettingsPath()), settings::Atacado);

    TSelecaoCommand command(op, QStringLiteral("Limpando seleção"));
    command.Connection().Execute("delete from selecao_barra");
    op.ShowStatus(QStringLiteral("Selecionando..."));
    TQuery& insert = command.Query("insert into selecao_barra values (?)");
    for (const std::string& entry : *entries)
        if (!entry.empty()) // an empty line names no product
            insert.BindText(0, entry).Exec();
    command.Query(InsertOwners).Exec();
    if (atacado)
        command.Query(InsertFilhos).Exec();
    command.Connection().Execute("delete from selecao_barra");
    command.Finish(Today());
}

} // namespace zev
