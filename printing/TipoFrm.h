#pragma once

// "Tipo": which prices a date selection takes. The caller makes a fresh
// instance for every use, so it always opens on "Todos".

#include <QDialog>

class QButtonGroup;

namespace zev {

class TTipoForm final : public QDialog
{
    Q_OBJECT

public:
    static constexpr int Todos = 1;
    static constexpr int PrecosNormais = 2;
    static constexpr int Ofertas = 3;
    static constexpr int Cancelado = -1;

    explicit TTipoForm(QWidget* parent = nullptr);

    // Shows the dialog modally: Todos, PrecosNormais or Ofertas on OK;
    // Cancelado on Cancela, Escape or the title-bar close box.
    int Execute();

private:
    QButtonGroup* m_radioGroup = nullptr; // ids are the results above
};

} // namespace zev
