#pragma once

// "Visualizar etiquetas": the labels of the job about to print, one at a
// time, in the order the job sends them, each drawn from the bytes the job
// sends for it after the header. "Anterior" and "Próxima" (PgUp, PgDn) turn
// the pages; "Imprimir" closes the window for the job to print, "Fechar"
// goes back without printing.

#include <QDialog>

#include <cstdint>

class QLabel;
class QPushButton;

namespace zev {

class TJobLabelList;
class TLabelPreviewView;

class TPreviewFrm final : public QDialog
{
    Q_OBJECT

public:
    // `labels` outlives the window.
    explicit TPreviewFrm(const TJobLabelList& labels, QWidget* parent = nullptr);

    // Shows the window modally from the first label; true on "Imprimir".
    bool Execute();
    // The label shown, from 0.
    std::int64_t Shown() const { return m_shown; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowLabel(std::int64_t index);
    void Turn(int step);

    const TJobLabelList& m_labels;
    std::int64_t m_shown = 0;
    TLabelPreviewView* m_previewView = nullptr;
    QLabel* m_produtoLbl = nullptr;
    QLabel* m_paginaLbl = nullptr;
    QPushButton* m_anteriorBtn = nullptr;
    QPushButton* m_proximaBtn = nullptr;
    QPushButton* m_imprimirBtn = nullptr;
    QPushButton* m_fecharBtn = nullptr;
};

} // namespace zev
