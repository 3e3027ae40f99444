#include "selection/SelecaoCommand.h"

#include "app/Operator.h"
#include "app/Settings.h"
#include "platform/Profile.h"

namespace zev {

namespace {

// "Selecao Data" written ahead of the commit, and put back unless kept: the
// selection and its date change together or not at all.
class TSelecaoDataChange
{
public:
    explicit TSelecaoDataChange(double day) : m_ini(SettingsPath())
    {
        m_existed = m_ini.ValueExists(settings::Geral, settings::SelecaoData);
        if (m_existed)
            m_previous = m_ini.ReadString(settings::Geral, settings::SelecaoData);
        m_ini.WriteDate(settings::Geral, settings::SelecaoData, day);
    }
    ~TSelecaoDataChange()
    {
        if (m_kept)
            return;
        try {
            if (m_existed)
                m_ini.WriteString(settings::Geral, settings::SelecaoData, m_previous);
            else
                m_ini.DeleteKey(settings::Geral, settings::SelecaoData);
        } catch (...) {
            // The commit's error is the one to report.
        }
    }
    TSelecaoDataChange(const TSelecaoDataChange&) = delete;
    TSelecaoDataChange& operator=(const TSelecaoDataChange&) = delete;

    void Keep() { m_kept = true; }

private:
    TIniFile m_ini;
    bool m_existed = false;
    std::string m_previous;
    bool m_kept = false;
};

} // namespace

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

    std::optional<TSelecaoDataChange> date;
    if (selecaoData)
        date.emplace(*selecaoData);
    m_transaction->Commit();
    if (date)
        date->Keep();

    m_transaction.reset();
    m_connection.reset();
    m_operator.ShowStatus({});
    m_operator.ShowNotice(QStringLiteral("Selecionado %1 item(s)").arg(selected));
}

} // namespace zev
