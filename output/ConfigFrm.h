#pragma once

// "Configuração": the general printing settings of section "Geral" and the
// labels the store prints with, each assigned to a port (section
// "Labels"). The working state is loaded from zev.ini before every showing
// and written back only on OK; "Cancela" writes nothing. A port's own
// settings ("&Configura") are written by the port at once.

#include "app/Settings.h"
#include "output/PortRegistry.h"

#include <QDialog>

#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace zev {

class TLabelPreviewView;
class TPrinterLabel;
struct TRegistries;
struct TSampleProduto;

class TConfigForm final : public QDialog
{
    Q_OBJECT

public:
    explicit TConfigForm(const TRegistries& registries, QWidget* parent = nullptr);
    ~TConfigForm() override;

    // Called right before the dialog is shown.
    void LoadFromSettings();
    // The OK button: writes everything, then the dialog closes with OK.
    void SaveToSettings();

private:
    QWidget* CreateGeralTab();
    QWidget* CreateEtiquetasTab();

    void ShowSettings();
    void FillLists();
    void FillDefaultLabels();
    void ShowLabelPreview();
    // Beside the label's own picture, the label as it prints for a product
    // of the store: the first the selection prints, else the catalogue's
    // first; read once a showing.
    void ShowLivePreview(const TPrinterLabel* label);
    // What the lists show for an entry of "Labels": its label's description,
    // or its name when the label's file is gone, so it can still be removed.
    QString ConfiguredLabelText(const TConfiguredLabel& entry) const;

    void AgrupadoChkClick();
    void AgrupadoCmbChange();
    void MinBalancaEdtChange();
    void AutmoChkClick();
    void AtacadoChkClick();
    void LabelDefaultCmbChange();
    void LabelCmbChange();
    void LabelLstClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    // A removed network port leaves the lists, and its labels with it.
    void Button1Click();
    // Ctrl+Tab and Ctrl+Shift+Tab, from wherever the focus is.
    void TurnTab(int step);
    // "Nova impressora de rede…": a network port made and selected.
    void NovaRedeBtnClick();
    void BitBtn1Click();

    const TRegistries& m_registries;

    TConfiguredLabelList m_configuredLabels;
    TGeneralSettings m_geral;

    QTabWidget* m_pageControl = nullptr;
    QComboBox* m_labelDefaultCmb = nullptr;
    QCheckBox* m_agrupadoChk = nullptr;
    QComboBox* m_agrupadoCmb = nullptr;
    QCheckBox* m_autmoChk = nullptr;
    QCheckBox* m_atacadoChk = nullptr;
    QLineEdit* m_minBalancaEdt = nullptr;
    QListWidget* m_labelLst = nullptr;
    QToolButton* m_speedButton1 = nullptr;
    QToolButton* m_speedButton2 = nullptr;
    QComboBox* m_labelCmb = nullptr;
    QLabel* m_printerLbl = nullptr;
    QLabel* m_labelImg = nullptr;
    TLabelPreviewView* m_livePreview = nullptr;
    std::unique_ptr<TSampleProduto> m_sample;
    QString m_noSample; // why there is no sample product, once looked for
    QComboBox* m_portCmb = nullptr;
    QPushButton* m_button1 = nullptr;
    QPushButton* m_novaRedeBtn = nullptr;
};

} // namespace zev
