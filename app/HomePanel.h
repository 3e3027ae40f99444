#pragma once

// The main window's client area: the day at a glance. What is loaded
// (Catálogo), what is selected and how it prints (Seleção, with the
// default label drawn for the highlighted row), where each label prints
// (Etiquetas), and the day's road as three large buttons, the next one to
// press holding the focus. Everything is read again on Refresh; the panel
// keeps only what it shows.

#include "app/HomeStatus.h"

#include <QWidget>

#include <array>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace zev {

class TLabelPreviewView;
struct TRegistries;

// The menu's items the road's buttons trigger, in the day's order.
struct THomeRoad
{
    QAction* importar = nullptr;
    QAction* hoje = nullptr;
    QAction* imprimirSelecao = nullptr;
};

class THomePanel final : public QWidget
{
    Q_OBJECT

public:
    // The selection's rows shown at most.
    static constexpr std::size_t RowLimit = 8;

    THomePanel(const TRegistries& registries, THomeRoad road, QWidget* parent = nullptr);

    // Reads the day again and shows it; unless the operator is in the
    // selection's list, the next step's button takes the focus.
    void Refresh();

private:
    QPushButton* RoadButton(const QString& objectName, const QString& caption, QAction* action);
    QGroupBox* CatalogueBox();
    QGroupBox* SelectionBox();
    QGroupBox* LabelsBox();

    void ShowCatalogue();
    void ShowSelection();
    void ShowLabels();
    void ShowNextStep();
    void ShowLastJob();
    void ShowPreviewOfRow(int row);

    bool eventFilter(QObject* watched, QEvent* event) override;

    const TRegistries& m_registries;
    THomeStatus m_status;
    std::array<QPushButton*, 3> m_road{};
    QLabel* m_nextLbl = nullptr;
    QLabel* m_lastJobLbl = nullptr;
    QLabel* m_produtosLbl = nullptr;
    QLabel* m_catalogueLbl = nullptr;
    QLabel* m_selecionadosLbl = nullptr;
    QLabel* m_selectionLbl = nullptr;
    QTableWidget* m_rowsTbl = nullptr;
    TLabelPreviewView* m_preview = nullptr;
    std::vector<QLabel*> m_labelLbls;
};

} // namespace zev
