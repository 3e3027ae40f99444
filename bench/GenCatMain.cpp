// zev-gencat: fills zev.mdb with a synthetic catalogue, or writes it as the
// store's package file for the import, for demonstrations and benchmarks.

#include "bench/CatalogueGenerator.h"
#include "catalogue/Database.h"
#include "platform/Conversions.h"
#include "platform/ProgramDir.h"

#include <QCoreApplication>

#include <iostream>
#include <string_view>

namespace {

constexpr const char* Usage = "uso: zev-gencat [--home PASTA | --package ARQUIVO] [--produtos N] [--seed N]\n";

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    zev::TCatalogueShape shape;
    QString package;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string_view option = argv[i];
            const bool hasValue = i + 1 < argc;
            if (option == "--home" && hasValue) {
                zev::SetProgramDir(QString::fromLocal8Bit(argv[++i]));
            } else if (option == "--package" && hasValue) {
                package = QString::fromLocal8Bit(argv[++i]);
            } else if (option == "--produtos" && hasValue) {
                shape.produtos = zev::StrToInt(argv[++i]);
            } else if (option == "--seed" && hasValue) {
                shape.seed = static_cast<std::uint32_t>(zev::StrToInt64(argv[++i]));
            } else {
                std::cerr << Usage;
                return 2;
            }
        }
        if (shape.produtos < 1) {
            std::cerr << Usage;
            return 2;
        }
        if (!package.isEmpty()) {
            const zev::TCatalogueSummary summary = zev::GeneratePackage(package, shape);
            std::cout << "Pacote gerado em " << package.toStdString() << ": " << summary.produtos
                      << " produtos (" << summary.caixas << " caixas, " << summary.ofertas
                      << " em oferta), " << summary.barras << " códigos de barras\n";
            return 0;
        }
        zev::CreateDatabase();
        const auto connection = zev::OpenDatabase();
        const zev::TCatalogueSummary summary = zev::GenerateCatalogue(*connection, shape);
        std::cout << "Catálogo gerado em " << connection->Path().toStdString() << ": "
                  << summary.produtos << " produtos (" << summary.caixas << " caixas, "
                  << summary.ofertas << " em oferta), " << summary.barras
                  << " códigos de barras\n";
        return 0;
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
}
