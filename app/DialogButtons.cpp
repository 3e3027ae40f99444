#include "app/DialogButtons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

namespace zev {

TDialogButtons AddDialogButtons(QDialog& dialog, QBoxLayout& layout, const bool connectOk)
{
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancela"));
    cancel->setObjectName(QStringLiteral("BitBtn2"));
    if (connectOk)
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    layout.addLayout(row);
    return {ok, cancel};
}

} // namespace zev
