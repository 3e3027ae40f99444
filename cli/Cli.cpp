#include "cli/Cli.h"

#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "platform/ProgramDir.h"
#include "platform/Regional.h"

#include <QDir>
#include <QString>

#include <algorithm>
#include <array>
#include <charconv>
#include <ostream>

namespace zev::cli {

namespace {

constexpr std::array CommandTable = {
    TCliCommand{"import", "ARQUIVO",
                "importa o pacote do cadastro (ZEV.TXT): substitui o cadastro inteiro ou nada",
                &ImportCommand},
    TCliCommand{"produto", "CHAVE | produto --barra CODIGO",
                "mostra um produto do cadastro: preços, ofertas, códigos, pai e filhos",
                &ProdutoCommand},
    TCliCommand{"labels", "", "lista as etiquetas: nome, descrição, versão e impressora",
                &LabelsCommand},
    TCliCommand{"render",
                "--label NOME (--key CHAVE | --barra CODIGO) [--date DATA] "
                "[--first | --next | --single] [--header]",
                "escreve na saída os dados de impressão de uma etiqueta, sem conversão",
                &RenderCommand},
    TCliCommand{"preview",
                "--label NOME (--key CHAVE | --barra CODIGO) [--date DATA] (--png | --pdf) "
                "ARQUIVO | preview --label NOME --selection [--date DATA] --pdf ARQUIVO",
                "desenha o que a etiqueta imprime: um produto num PNG (um pixel por ponto da "
                "impressora) ou a seleção num PDF, uma etiqueta por página no tamanho real",
                &PreviewCommand},
    TCliCommand{"ports", "", "lista as portas de impressão com o driver e o dispositivo",
                &PortsCommand},
    TCliCommand{"send", "PORTA ARQUIVO [--output CAMINHO]",
                "envia um arquivo a uma porta como um trabalho de impressão", &SendCommand},
    TCliCommand{"select",
                "today | tomorrow | date DATA [--type all|normal|offers] | "
                "barcodes ARQUIVO [--tarvo9000] | tree D|S|G|U CHAVE | changed",
                "preenche a seleção: por data, de um arquivo de códigos, por agrupamento ou "
                "com os preços alterados na última importação",
                &SelectCommand},
    TCliCommand{"selection", "[add CODIGO | remove CHAVE]",
                "lista a seleção (código, descrição, data de alteração, preço), inclui ou "
                "exclui um produto",
                &SelectionCommand},
    TCliCommand{"print",
                "selection --label NOME [--yes] [--output CAMINHO] | "
                "file ARQUIVO --label NOME [--output CAMINHO] | "
                "sequence PRIMEIRO ULTIMO --label NOME [--date DATA] [--output CAMINHO] | "
                "item CODIGO... --label NOME [--count N] [--procon NOME CNPJ DATA] "
                "[--output CAMINHO]",
                "imprime a seleção, um arquivo de códigos, uma sequência de números ou "
                "produtos avulsos pela porta da etiqueta",
                &PrintCommand},
    TCliCommand{"history", "[--limit N] | history show TRABALHO",
                "lista o histórico de impressão, o trabalho mais novo primeiro (número, início, "
                "usuário, tipo, etiqueta, porta, etiquetas e fim), ou um trabalho com seus itens",
                &HistoryCommand},
    TCliCommand{"reprint", "TRABALHO [--from-stop] [--label NOME] [--yes] [--output CAMINHO]",
                "imprime de novo um trabalho do histórico, inteiro ou, com --from-stop, só as "
                "etiquetas que ele não enviou, com os preços de hoje do cadastro",
                &ReprintCommand},
    TCliCommand{"search", "TEXTO",
                "busca produtos pela descrição, sem distinguir maiúsculas nem acentos "
                "(código, descrição, preço)",
                &SearchCommand},
};

void PrintHelp(std::ostream& out)
{
    const QString builtIn = BuiltInDataDir();
    out << "uso: zev-cli [--home PASTA] COMANDO [ARGUMENTOS]\n"
           "\n"
           "Opções:\n"
           "  --home PASTA  pasta do zev.ini e do zev.mdb (padrão: "
        << (builtIn.isEmpty() ? std::string("a pasta do programa") : builtIn.toStdString())
        << ")\n"
           "  --help        mostra esta ajuda\n"
           "  --version     mostra a versão\n"
           "\n"
           "Comandos:\n";
    for (const TCliCommand& command : CommandTable) {
        out << "  " << command.name << " " << command.usage << "\n"
            << "      " << command.summary << "\n";
    }
}

const TCliCommand* FindCommand(std::string_view name)
{
    const auto found =
        std::find_if(CommandTable.begin(), CommandTable.end(),
                     [&](const TCliCommand& command) { return command.name == name; });
    return found == CommandTable.end() ? nullptr : &*found;
}

} // namespace

std::span<const TCliCommand> Commands()
{
    return CommandTable;
}

int UsageError(TCliContext& context, std::string_view command, std::string_view problem)
{
    context.err << "zev-cli: " << problem << "\n";
    if (const TCliCommand* found = FindCommand(command))
        context.err << "uso: zev-cli " << found->name << " " << found->usage << "\n";
    else
        context.err << "uso: zev-cli [--home PASTA] COMANDO [ARGUMENTOS] (veja zev-cli --help)\n";
    return WrongUsage;
}

std::unique_ptr<TProduto> FindNamedProduto(TCliContext& context, std::optional<std::int32_t> key,
                                           const std::optional<std::string>& barra)
{
    CreateDatabase();
    const auto connection = OpenDatabase();
    std::unique_ptr<TProduto> produto =
        key ? FindProdutoByKey(*connection, *key) : FindProdutoByBarra(*connection, *barra);
    if (!produto)
        context.err << "Produto não cadastrado\n";
    return produto;
}

std::optional<double> ParseDate(std::string_view text)
{
    int year = 0, month = 0, day = 0;
    const auto number = [&](std::size_t at, std::size_t width, int& out) {
        return std::from_chars(text.data() + at, text.data() + at + width, out).ptr ==
               text.data() + at + width;
    };
    if (text.size() == 10 && text[4] == '-' && text[7] == '-' && number(0, 4, year) &&
        number(5, 2, month) && number(8, 2, day))
        return TryEncodeDate(year, month, day);
    return TryStrToDate(text);
}

int RunCli(TCliContext& context, TArguments arguments)
{
    std::size_t next = 0;
    while (next < arguments.size() && arguments[next].starts_with("--")) {
        const std::string& option = arguments[next++];
        if (option == "--help") {
            PrintHelp(context.out);
            return Done;
        }
        if (option == "--version") {
            context.out << "zev-cli " << ZEV_VERSION << "\n";
            return Done;
        }
        if (option == "--home") {
            if (next == arguments.size())
                return UsageError(context, {}, "--home precisa de uma pasta");
            const QString home = QString::fromLocal8Bit(arguments[next++]);
            if (!QDir(home).exists())
                return UsageError(context, {}, "a pasta \"" + home.toStdString() + "\" não existe");
            SetProgramDir(home);
            continue;
        }
        return UsageError(context, {}, "opção desconhecida: " + option);
    }
    if (next == arguments.size())
        return UsageError(context, {}, "falta o comando");
    ShareNewFilesWithGroup();
    const TCliCommand* command = FindCommand(arguments[next]);
    if (command == nullptr)
        return UsageError(context, {}, "comando desconhecido: " + arguments[next]);
    return command->run(context, arguments.subspan(next + 1));
}

} // namespace zev::cli
