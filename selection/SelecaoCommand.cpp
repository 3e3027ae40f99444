#include "selection/SelecaoCommand.h"

#include "app/Operator.h"
#include "app/Settings.h"
#include "platform/FaultPoint.h"
#include "platform/Profile.h"
#include "platform/Regional.h"

namespace zev {

namespace {

struct TSelecaoDataRecord
{
    double data = 0;
    std::optional<std::string> anterior; // zev.ini's text before the change; none: no key
};

std::optional<std::string> IniText(const TIniFile& ini)
{
    return ReadSettingText(ini, settings::SelecaoData);
}

std::optional<TSelecaoDataRecord> ReadRecord(TConnection& connection)
{
    // A catalogue nobody could bring up to date has no record.
    if (SchemaVersionOf(connection) < 1)
        return std::nullopt;
    TQuery& query = connection.Query("select data, anterior from selecao_data where id = 1");
    const TQueryScope scope(query);
    query.Exec();
    if (!query.Next())
        return std::nullopt;
    TSelecaoDataRecord record;
    record.data = query.Date(0);
    if (!query.IsNull(1))
        record.anterior = query.Text(1);
    return record;
}

// Inside the selection's transaction: the date commits with the selection.
void RecordSelecaoData(TConnection& connection, double day)
{
    const std::optional<std::string> anterior = IniText(TIniFile(SettingsPath()));
    TQuery& insert = connection.Query(
        "insert or replace into selecao_data (id, data, anterior) values (1, ?, ?)");
    insert.BindDate(0, day);
    if (anterior)
        insert.BindText(1, *anterior);
    else
        insert.BindNull(1);
    insert.Exec();
}

// After the commit. Once zev.ini holds the date, the record says so, and a
// later hand edit back to the old date is not taken for a lost write.
void WriteSelecaoDataToIni(TConnection& connection, double day)
{
    TIniFile ini(SettingsPath());
    WriteSetting(ini, settings::SelecaoData, day);
    FaultPoint("selecao-data-no-ini");
    try {
        TTransaction transaction(connection);
        TQuery& update =
            connection.Query("update selecao_data set anterior = ? where id = 1 and data = ?");
        update.BindText(0, DateToStr(day)).BindDate(1, day).Exec();
        transaction.Commit();
    } catch (const EDatabaseError&) {
        // Only a hand edit back to the old date could be misread now.
    }
}

} // namespace

double SelecaoDataOf(TConnection& connection, const TIniFile& ini)
{
    const double iniDate = ReadSetting(ini, settings::SelecaoData);
    const std::optional<TSelecaoDataRecord> record = ReadRecord(connection);
    // zev.ini changed since the selection did: the program's own write, or
    // someone's hand, which zev.ini is there for.
    if (!record || IniText(ini) != record->anterior)
        return iniDate;
    // zev.ini still says what it said before the selection's commit: the
    // program stopped before writing it.
    if (iniDate != record->data || !IniText(ini)) {
        try {
            TIniFile written(SettingsPath());
            WriteSetting(written, settings::SelecaoData, record->data);
        } catch (const EZevError&) {
            // The next reading tries again; this one has the right date.
        }
    }
    return record->data;
}

TSelecaoCommand::TSelecaoCommand(TOperator& op, const QString& status) : m_operator(op)
{
    m_operator.ShowStatus(status);
    try {
        m_connection = OpenDatabase();
        m_transaction.emplace(*m_connection);
        m_connection->Execute("delete from selecao");
    } catch (...) {
        m_operator.ShowStatus({});
        throw;
    }
}

TSelecaoCommand::~TSelecaoCommand()
{
    if (!m_connection)
        return; // finished
    m_transaction.reset();
    m_connection.reset();
    m_operator.ShowStatus({});
}

void TSelecaoCommand::Finish(std::optional<double> selecaoData)
{
    // Counted before the commit: once committed, nothing may fail.
    TQuery& count = m_connection->Query("select count(*) from selecao");
    count.Exec();
    count.Next();
    const std::int32_t selected = count.Int(0);
    count.Finish();

    if (selecaoData)
        RecordSelecaoData(*m_connection, *selecaoData);
    FaultPoint("selecao-antes-do-commit");
    m_transaction->Commit();
    m_transaction.reset();
    FaultPoint("selecao-gravada");

    std::optional<QString> iniFailure;
    if (selecaoData) {
        try {
            WriteSelecaoDataToIni(*m_connection, *selecaoData);
        } catch (const EZevError& error) {
            iniFailure = QString::fromUtf8(error.what());
        }
    }
    m_connection.reset();
    m_operator.ShowStatus({});
    if (iniFailure)
        m_operator.ShowWarning(
            QStringLiteral("A seleção foi gravada com a data %1, mas \"Selecao Data\" não pôde ser "
                           "gravada no zev.ini (%2). O ZEV usa a data gravada no banco de dados "
                           "até que o zev.ini possa ser gravado.")
                .arg(QString::fromLatin1(DateToStr(*selecaoData)), *iniFailure));
    m_operator.ShowNotice(QStringLiteral("Selecionado %1 item(s)").arg(selected));
}

} // namespace zev
