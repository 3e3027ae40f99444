#pragma once

// "Seleção": which of the configured labels a print job uses, the default
// label proposed. Only labels with a port assigned can be chosen.

#include <QDialog>

#include <string>

class QListWidget;

namespace zev {

struct TRegistries;

class TSelectLabelForm final : public QDialog
{
    Q_OBJECT

public:
    explicit TSelectLabelForm(const TRegistries& registries, QWidget* parent = nullptr);

    // Called right before the dialog is shown. A configured label whose
    // definition file is gone raises the registry's not-found error.
    void FillLabels();
    // The chosen label's name, set when the dialog closes; empty when none.
    // Meaningful only when the dialog returned OK.
    const std::string& SelectedLabel() const { return m_selectedLabel; }

    void done(int result) override;

private:
    void FormClose();

    const TRegistries& m_registries;
    std::string m_selectedLabel;
    QListWidget* m_selectLst = nullptr;
};

} // namespace zev
