// The catalogue import against the sqlite3 shell's bulk load.
//
// Two packages from the generator, yesterday's and today's. Each run imports
// today's package into a database holding yesterday's catalogue (the whole
// import: old prices saved, catalogue emptied, package staged, read back,
// converted, loaded and fixed up, one transaction); then the shell loads the
// same rows in their stored form (UTF-8, ISO dates, 0/1) with ".import" into
// an empty copy of the same schema, six tables in one transaction. Both are
// wall times, taken in turn; the medians and their ratio are printed.
//
// The shell reads no NULL from a CSV file: the stored form gives an empty
// column a value of its type instead (0, the empty text, the day 1899-12-30).

#include "bench/BenchOperator.h"
#include "bench/CatalogueGenerator.h"
#include "catalogue/Database.h"
#include "catalogue/ImportCadastro.h"
#include "platform/Conversions.h"
#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

double Seconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Copy(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        throw zev::EZevError("cannot copy " + from.toStdString());
}

std::string CsvValue(const char* text, const std::string& column, const char* declared)
{
    if (text == nullptr) {
        if (column.starts_with("data_"))
            return "1899-12-30";
        return std::string(declared) == "text" ? "" : "0";
    }
    const std::string value = text;
    if (value.find_first_of(",\"\n\r") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (const char c : value)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The table's rows as the shell's CSV import reads them, with a header line.
void ExportTable(zev::TConnection& connection, const std::string& table, const QString& path)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    sqlite3_stmt* statement = nullptr;
    const std::string sql = "select * from " + table;
    if (sqlite3_prepare_v2(connection.Handle(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        throw zev::EZevError(sqlite3_errmsg(connection.Handle()));
    const int columns = sqlite3_column_count(statement);
    for (int i = 0; i < columns; ++i)
        out << (i ? "," : "") << sqlite3_column_name(statement, i);
    out << "\n";
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i)
            out << (i ? "," : "")
                << CsvValue(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)),
                            sqlite3_column_name(statement, i),
                            sqlite3_column_decltype(statement, i));
        out << "\n";
    }
    sqlite3_finalize(statement);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    int produtos = 100000;
    int runs = 3;
    std::string shell = "sqlite3";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--produtos")
            produtos = zev::StrToInt(argv[i + 1]);
        else if (option == "--repeticoes")
            runs = zev::StrToInt(argv[i + 1]);
        else if (option == "--sqlite3")
            shell = argv[i + 1];
    }
    try {
        QTemporaryDir work;
        const QDir dir(work.path());
        for (const char* sub : {"zev", "shell", "csv"})
            dir.mkdir(sub);

        zev::TCatalogueShape yesterday;
        yesterday.produtos = produtos;
        yesterday.seed = 1;
        yesterday.today = zev::Today() - 1;
        yesterday.barrasPorProduto = 2.0;
        zev::TCatalogueShape today = yesterday;
        today.seed = 2;
        today.today = zev::Today();
        const QString oldPackage = dir.filePath("ontem.txt");
        const QString package = dir.filePath("ZEV.TXT");
        zev::GeneratePackage(oldPackage, yesterday);
        const zev::TCatalogueSummary summary = zev::GeneratePackage(package, today);
        std::cout << "pacote: " << summary.produtos << " produtos, " << summary.barras
                  << " códigos de barras, " << QFileInfo(package).size() << " bytes\n";

        zev::bench::TBenchOperator op;
        // Yesterday's catalogue, and today's rows in their stored form.
        zev::SetProgramDir(dir.filePath("zev"));
        zev::CreateDatabase();
        const QString database = zev::DatabaseConnectionString();
        zev::ImportCadastroFile(op, package);
        {
            const auto connection = zev::OpenDatabase();
            for (const char* table : {"depto", "secao", "grupo", "sub_grupo", "produto", "item"})
                ExportTable(*connection, table, dir.filePath(QString("csv/%1.csv").arg(table)));
        }
        zev::ImportCadastroFile(op, oldPackage);
        const QString base = dir.filePath("ontem.mdb");
        Copy(database, base);

        // An empty copy of the schema, and the shell's script.
        zev::SetProgramDir(dir.filePath("shell"));
        zev::CreateDatabase();
        const QString empty = dir.filePath("vazio.mdb");
        Copy(zev::DatabaseConnectionString(), empty);
        const QString shellDatabase = dir.filePath("shell.mdb");
        std::string script = ".bail on\nbegin;\n";
        for (const char* table : {"depto", "secao", "grupo", "sub_grupo", "produto", "item"})
            script += ".import --csv --skip 1 " +
                      dir.filePath(QString("csv/%1.csv").arg(table)).toStdString() + " " + table +
                      "\n";
        script += "commit;\n";

        std::vector<double> imports;
        std::vector<double> loads;
        for (int run = 0; run < runs; ++run) {
            zev::SetProgramDir(dir.filePath("zev"));
            Copy(base, database);
            auto start = std::chrono::steady_clock::now();
            if (zev::ImportCadastroFile(op, package) != zev::TImportResult::Imported)
                throw zev::EZevError("import did not complete");
            imports.push_back(Seconds(std::chrono::steady_clock::now() - start));

            Copy(empty, shellDatabase);
            QProcess process;
            start = std::chrono::steady_clock::now();
            process.start(QString::fromStdString(shell), {shellDatabase});
            process.write(script.data(), static_cast<qint64>(script.size()));
            process.closeWriteChannel();
            process.waitForFinished(-1);
            loads.push_back(Seconds(std::chrono::steady_clock::now() - start));
            if (process.exitCode() != 0)
                throw zev::EZevError("sqlite3: " + process.readAllStandardError().toStdString());
            std::printf("run %d: import %.3f s, sqlite3 .import %.3f s\n", run + 1, imports.back(),
                        loads.back());
        }
        const double import = Median(imports);
        const double load = Median(loads);
        std::printf("median: import %.3f s, sqlite3 .import %.3f s, ratio %.2f\n", import, load,
                    import / load);
        return 0;
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
}
