#include "printing/PreviewFrm.h"

#include "catalogue/Produto.h"
#include "labels/PrinterLabel.h"
#include "output/LabelPreviewView.h"
#include "platform/AnsiText.h"
#include "printing/JobLabels.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace zev {

namespace {

// A 60 x 40 mm label at 203 dpi, dot for dot.
constexpr QSize PreviewRoom(480, 320);

QPushButton* NewButton(const QString& caption, const char* name)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

// The key as the labels print it, then the description; a code not in the
// catalogue by the code.
QString ProdutoText(const TProduto& produto)
{
    const QString descricao = AnsiToQString(produto.descricao).trimmed();
    if (produto.key == 0 && !produto.barras.empty())
        return QStringLiteral("%1 (%2)").arg(descricao, AnsiToQString(produto.barras.front()));
    return QStringLiteral("%1 %2").arg(produto.key, 6, 10, QChar(u'0')).arg(descricao).trimmed();
}

} // namespace

TPreviewFrm::TPreviewFrm(const TJobLabelList& labels, QWidget* parent)
    : QDialog(parent), m_labels(labels)
{
    setObjectName(QStringLiteral("PreviewFrm"));
    setWindowTitle(QStringLiteral("Visualizar etiquetas"));

    m_previewView = new TLabelPreviewView(PreviewRoom);
    m_previewView->setObjectName(QStringLiteral("PreviewView"));
    m_previewView->setFixedSize(PreviewRoom);
    m_produtoLbl = new QLabel;
    m_produtoLbl->setObjectName(QStringLiteral("ProdutoLbl"));
    m_paginaLbl = new QLabel;
    m_paginaLbl->setObjectName(QStringLiteral("PaginaLbl"));
    m_paginaLbl->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_anteriorBtn = NewButton(QStringLiteral("&Anterior"), "AnteriorBtn");
    m_proximaBtn = NewButton(QString::fromUtf8("&Próxima"), "ProximaBtn");
    m_imprimirBtn = NewButton(QStringLiteral("&Imprimir"), "ImprimirBtn");
    m_fecharBtn = NewButton(QStringLiteral("&Fechar"), "FecharBtn");
    connect(m_anteriorBtn, &QPushButton::clicked, this, [this] { Turn(-1); });
    connect(m_proximaBtn, &QPushButton::clicked, this, [this] { Turn(+1); });
    connect(m_imprimirBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_fecharBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* info = new QHBoxLayout;
    info->addWidget(m_produtoLbl, 1);
    info->addWidget(m_paginaLbl);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_anteriorBtn);
    buttons->addWidget(m_proximaBtn);
    buttons->addStretch();
    buttons->addWidget(m_imprimirBtn);
    buttons->addWidget(m_fecharBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_previewView);
    layout->addLayout(info);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TPreviewFrm::Execute()
{
    ShowLabel(0);
    m_proximaBtn->setFocus();
    return exec() == QDialog::Accepted;
}

void TPreviewFrm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        Turn(event->key() == Qt::Key_PageUp ? -1 : +1);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TPreviewFrm::Turn(const int step)
{
    const std::int64_t next = m_shown + step;
    if (next >= 0 && next < m_labels.Count())
        ShowLabel(next);
}

void TPreviewFrm::ShowLabel(const std::int64_t index)
{
    const std::int64_t count = m_labels.Count();
    m_shown = std::clamp<std::int64_t>(index, 0, std::max<std::int64_t>(count - 1, 0));
    m_anteriorBtn->setEnabled(m_shown > 0);
    m_proximaBtn->setEnabled(m_shown + 1 < count);
    m_produtoLbl->clear();
    if (count == 0) {
        m_paginaLbl->clear();
        m_previewView->SetReason(QStringLiteral("Nenhuma etiqueta a imprimir."));
        return;
    }
    m_paginaLbl->setText(QStringLiteral("Etiqueta %1 de %2").arg(m_shown + 1).arg(count));
    try {
        const TJobLabel label = m_labels.At(m_shown);
        m_produtoLbl->setText(ProdutoText(*label.produto));
        const TPrinterLabel& printer = m_labels.Label();
        m_previewView->SetPicture(
            RenderPreview(printer.GetHeader(), label.text, printer.PreviewHints()));
    } catch (const std::exception& error) {
        // The window stays, its page says what went wrong.
        m_previewView->SetReason(QString::fromUtf8(error.what()));
    }
}

} // namespace zev
