#include "printing/ContadorFrm.h"

#include "app/DialogButtons.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zev {

namespace {

// The reach of the spin buttons; typing may go beyond it.
constexpr int Minimo = 1;
constexpr int Maximo = 100;

QToolButton* NewArrow(Qt::ArrowType arrow, const char* name)
{
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    // Stepping must leave the typing where it is.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TContadorForm::TContadorForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ContadorForm"));
    setWindowTitle(QStringLiteral("ContadorForm"));

    m_value = new QLineEdit;
    m_value->setObjectName(QStringLiteral("Value"));
    m_value->setMaxLength(3);
    m_value->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,3}")), m_value));
    m_value->installEventFilter(this);
    auto* label = new QLabel(QStringLiteral("Quantidade a ser Impressa:"));
    label->setBuddy(m_value);

    auto* count = new QHBoxLayout;
    count->setSpacing(0);
    count->addWidget(m_value);
    count->addWidget(NewUpDown());
    count->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(count);
    m_bitBtn1 = AddDialogButtons(*this, *layout).ok;
    connect(m_value, &QLineEdit::textChanged, this, &TContadorForm::EnableOk);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* TContadorForm::NewUpDown()
{
    auto* upDown = new QWidget;
    upDown->setObjectName(QStringLiteral("UpDown1"));
    auto* up = NewArrow(Qt::UpArrow, "UpBtn");
    auto* down = NewArrow(Qt::DownArrow, "DownBtn");
    const int half = m_value->sizeHint().height() / 2;
    up->setFixedHeight(half);
    down->setFixedHeight(half);
    connect(up, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
    auto* arrows = new QVBoxLayout(upDown);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(up);
    arrows->addWidget(down);
    return upDown;
}

bool TContadorForm::Execute()
{
    return exec() == QDialog::Accepted;
}

QString TContadorForm::ValueText() const
{
    return m_value->text();
}

void TContadorForm::showEvent(QShowEvent* event)
{
    m_value->setText(QStringLiteral("1"));
    m_value->selectAll();
    m_value->setFocus();
    QDialog::showEvent(event);
}

bool TContadorForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_value && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Steps from what Value shows now, typed or not; an empty field counts as 0,
// so either direction lands on the minimum.
void TContadorForm::Step(const int delta)
{
    const int current = m_value->text().toInt();
    m_value->setText(QString::number(std::clamp(current + delta, Minimo, Maximo)));
}

// An empty count is no count: the caller could not convert it.
void TContadorForm::EnableOk()
{
    m_bitBtn1->setEnabled(m_value->hasAcceptableInput());
}

} // namespace zev
