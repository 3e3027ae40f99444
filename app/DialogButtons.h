#pragma once

// The row every dialog of the program ends with: "OK", the default button
// (Enter), then "Cancela" (Escape), on the right.

class QBoxLayout;
class QDialog;
class QPushButton;

namespace zev {

struct TDialogButtons
{
    QPushButton* ok;     // BitBtn1
    QPushButton* cancel; // BitBtn2
};

// Adds the row at the end of `layout`. OK accepts the dialog unless
// `connectOk` is false (the dialog decides what OK does); Cancela rejects it.
TDialogButtons AddDialogButtons(QDialog& dialog, QBoxLayout& layout, bool connectOk = true);

} // namespace zev
