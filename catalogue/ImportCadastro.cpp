#include "catalogue/ImportCadastro.h"

#include "app/Operator.h"
#include "app/Settings.h"
#include "catalogue/Database.h"
#include "catalogue/PackageFormat.h"
#include "catalogue/StagingFolder.h"
#include "catalogue/Produto.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/OutputFile.h"
#include "platform/Profile.h"
#include "platform/ProgramDir.h"
#include "platform/Regional.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zev {

namespace {

using namespace package;

constexpr const char* PackageFilter = "Arquivos do ZEV (ZEV.TXT)|ZEV.TXT";
// The operator hears of the progress once per this many bytes.
constexpr qint64 ProgressStep = 256 * 1024;

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
        int type = 0;
        std::string_view data;
        while (NextRecord(package, type, data)) {
            if (type != 0)
                files[static_cast<std::size_t>(type - 1)]->AppendLine(data);
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
