#pragma once

// "Histórico de impressão": the print history, newest job first, with its
// counts and how it ended. Enter on a job lists its items below;
// "Imprimir novamente" and "Continuar" close the window with the job
// chosen, for the main window to print it through the label chooser.

#include <QDialog>

#include <cstdint>
#include <optional>
#include <vector>

#include "printing/History.h"

class QPushButton;
class QTableWidget;

namespace zev {

class TOperator;

struct TReprintChoice
{
    std::int64_t job = 0;
    bool fromStop = false;
    std::string label; // the job's own, proposed by the chooser
};

class THistoricoFrm final : public QDialog
{
    Q_OBJECT

public:
    explicit THistoricoFrm(TOperator& op, QWidget* parent = nullptr);

    // Reads the history and shows the window modally; the job to print and
    // how, or nothing when it was closed.
    std::optional<TReprintChoice> Execute();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadJobs();
    void ShowItems();
    void CurrentJobChanged();
    void Choose(bool fromStop);
    const THistoryJob* CurrentJob() const;

    TOperator& m_operator;
    std::vector<THistoryJob> m_jobs;
    std::optional<TReprintChoice> m_choice;
    QTableWidget* m_trabalhos = nullptr;
    QTableWidget* m_itens = nullptr;
    QPushButton* m_novamente = nullptr;
    QPushButton* m_continuar = nullptr;
};

} // namespace zev
