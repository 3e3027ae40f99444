#pragma once

// "Seleção": which of the configured labels a print job uses, the default
// label proposed. Only labels with a port assigned can be chosen. A job
// that can show its labels first gives the chooser its preview: then
// "&Visualizar" shows them for the label selected, and a preview that asked
// to print closes the chooser with OK.

#include "output/PortRegistry.h"

#include <QDialog>

#include <functional>
#include <string>

class QListWidget;
class QPushButton;

namespace zev {

struct TRegistries;

class TSelectLabelForm final : public QDialog
{
    Q_OBJECT

public:
    explicit TSelectLabelForm(const TRegistries& registries, QWidget* parent = nullptr);

    // Shows the job's labels with the label named; true when the person
    // asked to print them. It tells its own errors and never throws.
    using TJobPreview = std::function<bool(const std::string& labelName)>;

    // The preview of the job the chooser is shown for; none hides
    // "&Visualizar". Set before each showing.
    void SetJobPreview(TJobPreview preview);

    // Called right before the dialog is shown, proposing `proposed` when it
    // is configured, "Label Default" otherwise. A configured label whose
    // definition file is gone raises the registry's not-found error.
    void FillLabels(const std::string& proposed = {});
    // The chosen label's name, set when the dialog closes; empty when none.
    // Meaningful only when the dialog returned OK.
    const std::string& SelectedLabel() const { return m_selectedLabel; }

    void done(int result) override;

private:
    void FormClose();
    // The configured label at the selected row; empty when none.
    std::string LabelAtSelection() const;
    void VisualizarClick();

    const TRegistries& m_registries;
    std::string m_selectedLabel;
    TConfiguredLabelList m_configured; // as the list shows them
    TJobPreview m_jobPreview;
    QListWidget* m_selectLst = nullptr;
    QPushButton* m_visualizarBtn = nullptr;
};

} // namespace zev
