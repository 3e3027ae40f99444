#pragma once

// The program's windows, created once at start-up and kept for the whole
// run. The main window owns the dialogs (Qt parent ownership); these are
// observers that turn null when a window is gone.

#include <QPointer>

namespace zev {

class TArvoreForm;
class TBuscaForm;
class TConfigForm;
class TContadorForm;
class TDateDialog;
class TEditForm;
class TItemForm;
class TMainForm;
class TProconFrm;
class TSelectLabelForm;
class TSequenciaForm;
class TSerialConfigForm;
class TSobreForm;
class TTipoForm;

struct TWindows
{
    QPointer<TMainForm> MainForm;
    QPointer<TConfigForm> ConfigForm;
    QPointer<TDateDialog> DateDialog;
    QPointer<TSelectLabelForm> SelectLabelForm;
    QPointer<TContadorForm> ContadorForm;
    QPointer<TArvoreForm> ArvoreForm;
    QPointer<TSobreForm> SobreForm;
    QPointer<TEditForm> EditForm;
    QPointer<TTipoForm> TipoForm;
    QPointer<TSerialConfigForm> SerialConfigForm;
    QPointer<TProconFrm> ProconFrm;
    QPointer<TSequenciaForm> SequenciaForm;
    QPointer<TItemForm> ItemForm;
    QPointer<TBuscaForm> BuscaForm;
};

} // namespace zev
