#pragma once

// Printing at the counter, one product at a time: the rules of the
// "Impressão" window, apart from it, so zev-cli runs the same session.
//
// A session starts the port of its label and sends the label's header when
// it is made, and ends the port (EndData) when it goes, on every way out:
// the port stays started for as long as the session lives, never longer.
// A start that fails (the label, its port assignment or the port not found,
// StartData or the header refused, a device error) throws EItemStartError
// with the text to show after "Não foi possível inicializar a impressora ".
//
// "Imp Autom" and "Atacado" and the label's port name are read again at
// every code and before every label, so the settings dialog's changes take
// effect at the next code.
//
// A session is one job of the print history: each Enter that printed adds
// its product with the labels asked for, and the session's end ends the
// job (concluded, unless its caller says otherwise).
//
// User-interface thread only.

#include "platform/Error.h"
#include "preview/LabelPreview.h"
#include "printing/History.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zev {

class TConnection;
class TJobRecord;
class TOperator;
class TPrinterLabel;
class TPrinterPort;
class TProduto;
class TStartedPort;
struct TRegistries;

class EItemStartError : public EZevError
{
public:
    using EZevError::EZevError;
};

// "Não foi possível inicializar a impressora " followed by the reason of a
// label or port that could not start; a database error as it is.
QString ItemStartMessage(const std::exception& error);

// What the menu command asks for: "I&ndividual" neither, "Multipla" the
// count, "Procom" the Procon data. Each command sets both.
struct TItemModes
{
    bool askCount = false;
    bool askProcon = false;
};

// The supplier and manufacture date of a Procon label.
struct TProconData
{
    QString nome;
    QString cnpj;
    double fabricacao = 0;
};

// The questions of the two modes: the window shows its dialogs, zev-cli
// answers from its arguments. Nothing means Cancela.
class TItemQuestions
{
public:
    virtual ~TItemQuestions() = default;
    virtual std::optional<TProconData> AskProcon() = 0;
    // The count as typed; a text that is no number throws EConvertError.
    virtual std::optional<QString> AskCount() = 0;
};

// What one code shows: the unit layout fills descricao and preco; a box
// adds qtdCx (its factor) and precoCx, preco being its unit's price.
struct TItemInfo
{
    bool found = false;
    QString descricao; // "*** NÃO ENCONTRADO ***" when not found
    QString preco;
    QString qtdCx;
    QString precoCx;
};

// What one Enter printed: the labels the port took, and those it did not
// (the first refusal stops the rest of that Enter's count).
struct TItemPrinted
{
    int sent = 0;
    int refused = 0;
};

class TItemSession
{
public:
    TItemSession(TOperator& op, const TRegistries& registries, std::string labelName,
                 TItemModes modes);
    ~TItemSession();
    TItemSession(const TItemSession&) = delete;
    TItemSession& operator=(const TItemSession&) = delete;

    // The code as typed: leading zeros are dropped for the search only.
    // Keeps the product for Print; with "Atacado" a unit product with boxes
    // gives way to its first box.
    TItemInfo Lookup(const std::string& code);
    // The modes' questions, then the labels: with "Imp Autom", a count or
    // Procon data, `count` labels at once; otherwise one only when the same
    // product was shown by the Enter before. Only what the printer took
    // (the port's Confirm) counts as sent. A label the port refused (it said
    // why) or a device that failed (its error is shown at once) stops the
    // Enter; after a refusal the next Enter that prints starts the port
    // again, and a port that does not start again throws EItemStartError.
    TItemPrinted Print(TItemQuestions& questions);
    // Lookup and Print: one Enter.
    TItemPrinted Enter(const std::string& code, TItemQuestions& questions);
    // Ends the port now, and the session's job in the history as `ending`
    // says; EndData's answer (false too when no port is started). The
    // session prints no more after it. A job the history could not record
    // is told.
    bool End(TJobEnding ending = TJobEnding::Concluido, const QString& message = {});

    // The picture of the label the last code found prints, as its Enter
    // prints it: the code as typed, today's prices, the Procon data once
    // given. No picture and no reason when no product is shown; a label that
    // cannot be drawn gives its reason. Only what the label holds is drawn:
    // the port is not involved.
    TLabelPicture Preview() const;

    // A product chosen in the search prints at its first Enter's rules.
    void ForgetLastKey() { m_lastKey = 0; }
    TConnection& Connection() const { return *m_connection; }

private:
    void ReadItemSettings();
    void StartPort();
    void RestartPortIfFailed();
    bool PrintOne(TProduto& produto);
    void RecordEnter(const TProduto& produto, std::int32_t count, const TItemPrinted& printed);
    void EndRecord(TJobEnding ending, const QString& message) noexcept;

    TOperator& m_operator;
    const std::string m_labelName;
    const TItemModes m_modes;
    std::string m_portName;
    bool m_autoPrint = false;
    bool m_atacado = false;
    std::unique_ptr<TConnection> m_connection;
    const TPrinterLabel* m_label = nullptr;
    TPrinterPort* m_port = nullptr;
    std::unique_ptr<TStartedPort> m_started;
    bool m_portFailed = false;
    std::int32_t m_lastKey = 0;
    std::unique_ptr<TProduto> m_found; // the record looked up, owning its family
    TProduto* m_shown = nullptr;       // it or its first box
    // The record the last Enter printed, kept for its picture.
    std::unique_ptr<TProduto> m_previewFamily;
    const TProduto* m_previewed = nullptr;
    std::string m_code; // as typed
    std::unique_ptr<TJobRecord> m_record;
    TItemPrinted m_total;
    std::int32_t m_items = 0; // in the record
};

} // namespace zev
