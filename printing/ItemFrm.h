#pragma once

// "Impressão": the counter window. The clerk types or scans a code, sees the
// product, its price and the picture of its label, and prints the label,
// keyboard only: Enter looks up and prints, F5 searches, Escape closes. The
// picture is drawn once the label went to the port, never before. The rules are TItemSession's; the
// session, and with it the started port, lives exactly while the window is
// shown.

#include "printing/ItemSession.h"

#include <QDialog>

#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zev {

class TLabelPreviewView;
class TOperator;
struct TRegistries;
struct TWindows;

class TItemForm final : public QDialog
{
    Q_OBJECT

public:
    TItemForm(const TWindows& windows, const TRegistries& registries, TOperator& op,
              QWidget* parent = nullptr);
    ~TItemForm() override;

    // Shows the window modally for the label in the command's modes.
    void Execute(const std::string& labelName, TItemModes modes);
    // The labels the port took while the window was last shown.
    int Sent() const { return m_sent; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TDialogQuestions;

    void FormShow();
    void ClearItemInfo();
    void LookupAndPrint();
    // Whether the label went out, apart from the product shown.
    void ShowPrinted(const TItemInfo& info, TItemPrinted printed);
    void ShowNotPrinted(const QString& text);
    // The picture of the label the code shown prints; its reason in place of
    // it when it cannot be drawn.
    void ShowPreview(const TItemInfo& info);
    void SearchProduct();
    // The application's general error display, for errors of a key.
    void Guarded(void (TItemForm::*step)());

    const TWindows& m_windows;
    const TRegistries& m_registries;
    TOperator& m_operator;
    std::string m_labelName;
    TItemModes m_modes;
    std::unique_ptr<TItemSession> m_session;
    QLineEdit* m_maskEdit = nullptr;
    QLabel* m_descrLbl = nullptr;
    QLabel* m_precoLbl = nullptr;
    QLabel* m_qCxLbl = nullptr;
    QLabel* m_pCxLbl = nullptr;
    QLabel* m_resultLbl = nullptr;
    TLabelPreviewView* m_previewView = nullptr;
    int m_sent = 0;
    QPushButton* m_bitBtn1 = nullptr;
};

} // namespace zev
