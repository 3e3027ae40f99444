#include "printing/ItemFrm.h"

#include "app/CommandGuard.h"
#include "app/Operator.h"
#include "app/Windows.h"
#include "catalogue/Produto.h"
#include "output/LabelPreviewView.h"
#include "platform/AnsiText.h"
#include "printing/BuscaFrm.h"
#include "printing/ContadorFrm.h"
#include "printing/DialogPlacement.h"
#include "printing/ProconForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>

namespace zev {

namespace {

QLabel* NewValue(const char* name)
{
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    label->setMinimumWidth(280);
    return label;
}

// A 60 x 40 mm label at about the size of the fields beside it.
constexpr QSize PreviewRoom(300, 200);

QString NotPrintedText()
{
    return QString::fromUtf8("Etiqueta NÃO impressa");
}

} // namespace

// The modes' questions as the small dialogs ask them, clear of the product
// the counter shows.
class TItemForm::TDialogQuestions final : public TItemQuestions
{
public:
    TDialogQuestions(const TWindows& windows, const TItemForm& counter)
        : m_windows(windows), m_counter(counter)
    {}

    std::optional<TProconData> AskProcon() override
    {
        TProconFrm& procon = *m_windows.ProconFrm;
        MoveClearOf(procon, m_counter, ProductFields());
        if (!procon.Execute())
            return std::nullopt;
        return TProconData{procon.NomeText(), procon.CnpjText(), procon.DataValue()};
    }
    std::optional<QString> AskCount() override
    {
        TContadorForm& contador = *m_windows.ContadorForm;
        MoveClearOf(contador, m_counter, ProductFields());
        if (!contador.Execute())
            return std::nullopt;
        return contador.ValueText();
    }

private:
    // From the code to the box price, captions included.
    QRect ProductFields() const
    {
        return {QPoint(0, m_counter.m_maskEdit->y()),
                QPoint(m_counter.width() - 1, m_counter.m_pCxLbl->geometry().bottom())};
    }

    const TWindows& m_windows;
    const TItemForm& m_counter;
};

TItemForm::TItemForm(const TWindows& windows, const TRegistries& registries, TOperator& op,
                     QWidget* parent)
    : QDialog(parent), m_windows(windows), m_registries(registries), m_operator(op)
{
    setObjectName(QStringLiteral("ItemForm"));
    setWindowTitle(QString::fromUtf8("Impressão"));

    m_maskEdit = new QLineEdit;
    m_maskEdit->setObjectName(QStringLiteral("MaskEdit"));
    m_maskEdit->setMaxLength(14);
    m_maskEdit->installEventFilter(this);
    m_descrLbl = NewValue("DescrLbl");
    m_precoLbl = NewValue("PrecoLbl");
    QFont bold = m_precoLbl->font();
    bold.setBold(true);
    m_precoLbl->setFont(bold);
    m_qCxLbl = NewValue("QCxLbl");
    m_pCxLbl = NewValue("PCxLbl");
    m_resultLbl = NewValue("ResultLbl");
    QFont large = m_resultLbl->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.25);
    m_resultLbl->setFont(large);
    m_bitBtn1 = new QPushButton(QStringLiteral("&Busca (F5)"));
    m_bitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    m_bitBtn1->setAutoDefault(false);
    connect(m_bitBtn1, &QPushButton::clicked, this, [this] {
        Guarded(&TItemForm::SearchProduct);
        m_maskEdit->setFocus();
    });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Cod/PLU:"), m_maskEdit);
    form->addRow(QString::fromUtf8("Descrição:"), m_descrLbl);
    form->addRow(QString::fromUtf8("Preço:"), m_precoLbl);
    form->addRow(QStringLiteral("Qtd/Cx:"), m_qCxLbl);
    form->addRow(QString::fromUtf8("Preço Cx:"), m_pCxLbl);
    m_previewView = new TLabelPreviewView(PreviewRoom);
    m_previewView->setObjectName(QStringLiteral("PreviewView"));
    m_previewView->setFixedSize(PreviewRoom);
    auto* fields = new QVBoxLayout;
    fields->addLayout(form);
    fields->addWidget(m_resultLbl);
    fields->addStretch();
    auto* product = new QHBoxLayout;
    product->addLayout(fields);
    product->addWidget(m_previewView, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(product);
    layout->addWidget(m_bitBtn1, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TItemForm::~TItemForm() = default;

void TItemForm::Execute(const std::string& labelName, TItemModes modes)
{
    m_labelName = labelName;
    m_modes = modes;
    exec();
}

void TItemForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TItemForm::hideEvent(QHideEvent* event)
{
    // The port ends with the session, whatever closed the window.
    m_session.reset();
    QDialog::hideEvent(event);
}

void TItemForm::FormShow()
{
    m_session.reset();
    m_sent = 0;
    try {
        m_session = std::make_unique<TItemSession>(m_operator, m_registries, m_labelName, m_modes);
    } catch (const std::exception& error) {
        m_operator.ShowError(ItemStartMessage(error));
        // Closes once the show has completed.
        QTimer::singleShot(0, this, &QDialog::reject);
    }
    m_maskEdit->clear();
    ClearItemInfo();
    m_maskEdit->setFocus();
}

void TItemForm::ClearItemInfo()
{
    for (QLabel* label : {m_descrLbl, m_precoLbl, m_qCxLbl, m_pCxLbl, m_resultLbl})
        label->clear();
    m_previewView->Clear();
}

bool TItemForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_maskEdit || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Guarded(&TItemForm::LookupAndPrint);
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_F5:
        Guarded(&TItemForm::SearchProduct);
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void TItemForm::Guarded(void (TItemForm::*step)())
{
    GuardCommand(m_operator, [this, step] { (this->*step)(); });
}

void TItemForm::LookupAndPrint()
{
    if (!m_session)
        return;
    const TItemInfo info = m_session->Lookup(QStringToAnsi(m_maskEdit->text()));
    ClearItemInfo();
    if (!info.found)
        m_maskEdit->clear();
    m_descrLbl->setText(info.descricao);
    m_precoLbl->setText(info.preco);
    m_qCxLbl->setText(info.qtdCx);
    m_pCxLbl->setText(info.precoCx);
    TDialogQuestions questions(m_windows, *this);
    try {
        ShowPrinted(info, m_session->Print(questions));
    } catch (const EItemStartError& error) {
        ShowNotPrinted(NotPrintedText());
        m_operator.ShowError(ItemStartMessage(error));
    }
    // The label is at the port already: the picture only follows it.
    ShowPreview(info);
    m_maskEdit->selectAll();
}

void TItemForm::ShowPreview(const TItemInfo& info)
{
    if (!info.found) {
        m_previewView->Clear();
        return;
    }
    try {
        m_previewView->SetPicture(m_session->Preview());
    } catch (const std::exception& error) {
        // A picture that fails is no failure of the printing.
        m_previewView->SetReason(QString::fromUtf8(error.what()));
    }
}

void TItemForm::ShowPrinted(const TItemInfo& info, const TItemPrinted printed)
{
    m_sent += printed.sent;
    if (printed.refused > 0) {
        ShowNotPrinted(printed.sent == 0
                           ? NotPrintedText()
                           : QString::fromUtf8("%1 etiqueta(s) enviada(s), %2 NÃO impressa(s)")
                                 .arg(printed.sent)
                                 .arg(printed.refused));
        return;
    }
    QString text;
    if (printed.sent == 1)
        text = QStringLiteral("Etiqueta enviada");
    else if (printed.sent > 1)
        text = QStringLiteral("%1 etiquetas enviadas").arg(printed.sent);
    else if (info.found && !m_modes.askCount && !m_modes.askProcon)
        text = QStringLiteral("Enter de novo imprime a etiqueta");
    m_resultLbl->setStyleSheet(printed.sent > 0 ? QStringLiteral("color: #006400;") : QString());
    m_resultLbl->setText(text);
}

void TItemForm::ShowNotPrinted(const QString& text)
{
    m_resultLbl->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_resultLbl->setText(text);
}

void TItemForm::SearchProduct()
{
    if (!m_session)
        return;
    TBuscaForm& busca = *m_windows.BuscaForm;
    busca.PrepareSearch(m_session->Connection());
    const std::unique_ptr<TProduto> produto = busca.Execute();
    if (!produto)
        return;
    m_session->ForgetLastKey();
    m_maskEdit->setText(AnsiToQString(produto->barras.front()));
    m_maskEdit->selectAll();
    LookupAndPrint();
}

} // namespace zev
