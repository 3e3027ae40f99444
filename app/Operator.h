#pragma once

// The person at the store, as the operations see them. Operations (imports,
// selections, print jobs, ports) never open a window: they ask the operator.
// The program answers with real dialogs, zev-cli with its arguments and the
// terminal, tests with a scripted operator that records every message.
//
// Texts here are for people: QString, never printer bytes.

#include <QString>

#include <cstdint>
#include <optional>

namespace zev {

// An open or save file chooser. `filter` keeps the store's familiar form,
// "description|pattern|description|pattern" ("Arquivos do ZEV (ZEV.TXT)|ZEV.TXT");
// patterns match without regard to case. An empty title is the platform's own.
struct TFileRequest
{
    QString title;
    QString fileName; // pre-filled name or path
    QString filter;
    QString defaultExtension; // without the dot; added when the name has none
    // A save chooser asks before replacing an existing file only when told
    // to: a job's output file is replaced without a question.
    bool askBeforeReplacing = false;
};

// The serial line dialog's five lists, as positions in their item lists
// (baud rate, data bits, stop bits, parity, flow control); -1: no selection.
struct TSerialLineChoice
{
    int baud = -1;
    int data = -1;
    int stop = -1;
    int parity = -1;
    int flow = -1;

    bool operator==(const TSerialLineChoice&) const = default;
};

// The network port dialog's fields, for the one a refusal is about.
enum class TNetworkPortField
{
    None,
    Name,
    Host,
    Port
};

// The network port dialog: the port's name (typed only for a new port),
// the printer's host name or address and its TCP port number. After a
// refusal the dialog opens again with the cursor in `fault`. A port that can
// be removed from where the dialog was opened gets "Remover".
struct TNetworkPortChoice
{
    QString name;
    bool newPort = false;
    QString host;
    int port = 9100;
    TNetworkPortField fault = TNetworkPortField::None;
    bool removable = false;

    bool operator==(const TNetworkPortChoice&) const = default;
};

// How the operator left the network port dialog.
enum class TNetworkPortAnswer
{
    Cancelled,
    Confirmed, // with what was typed
    Remove     // asked to remove the port; nothing typed counts
};

// A branch of the department tree confirmed in its dialog: the level
// ('D' department, 'S' section, 'G' group, 'U' subgroup) and the row's key.
struct TArvoreChoice
{
    char nivel = 0;
    std::int32_t key = 0;

    bool operator==(const TArvoreChoice&) const = default;
};

class TOperator
{
public:
    virtual ~TOperator() = default;

    // Message boxes with an OK button.
    virtual void ShowError(const QString& text) = 0;   // failures
    virtual void ShowWarning(const QString& text) = 0; // refusals, "in use"
    virtual void ShowNotice(const QString& text) = 0;  // plain box, no icon

    // Yes/No: only Yes goes on; closing the question counts as No.
    virtual bool AskYesNo(const QString& text) = 0;

    // The chosen path, or nothing when the operator cancels.
    virtual std::optional<QString> ChooseOpenFile(const TFileRequest& request) = 0;
    virtual std::optional<QString> ChooseSaveFile(const TFileRequest& request) = 0;

    // The serial port's settings dialog, opened on `choice`; true when the
    // operator confirms, with the positions chosen in `choice`.
    virtual bool EditSerialLine(const QString& portName, const QString& devicePath,
                                TSerialLineChoice& choice) = 0;

    // The network port's dialog, opened on `choice`; when the operator
    // confirms, what was typed is in `choice`. An operator without dialogs
    // (the command line) never confirms.
    virtual TNetworkPortAnswer EditNetworkPort(TNetworkPortChoice& choice)
    {
        (void)choice;
        return TNetworkPortAnswer::Cancelled;
    }

    // The type dialog of a date selection: 1 "Todos", 2 "Preços Normais",
    // 3 "Ofertas"; -1 when the operator cancels.
    virtual int ChooseTipo() = 0;
    // The department tree dialog; nothing when the operator cancels.
    virtual std::optional<TArvoreChoice> ChooseArvore() = 0;

    // Progress of a long operation; the empty text clears it.
    virtual void ShowStatus(const QString& text) = 0;

    // Long work (an import, a print job) counts what it has done of a total,
    // in any unit it likes (bytes, labels), and asks after each step whether
    // to go on: false once the person asked to stop. The operation then
    // undoes what it began and returns; it never asks again after that.
    // Calls may come thousands of times a second: implementations keep them
    // cheap. EndProgress takes the indication away; TProgressScope calls it
    // on every way out. An operator that shows no progress never cancels.
    virtual bool ShowProgress(qint64 done, qint64 total)
    {
        (void)done;
        (void)total;
        return true;
    }
    // Must not throw: it runs while an error leaves the operation.
    virtual void EndProgress() {}
    // Whether the person asked the long work under way to stop, for waits
    // inside one of its steps (a printer that takes nothing, the end of a
    // network job). Cheap, and polled often; false when no progress runs.
    virtual bool StopAsked() { return false; }
};

// Clears the status text on every way out of a piece of work.
class TStatusScope
{
public:
    explicit TStatusScope(TOperator& op) : m_operator(op) {}
    ~TStatusScope()
    {
        try {
            m_operator.ShowStatus({});
        } catch (...) {
            // The error on its way out is the one to report.
        }
    }
    TStatusScope(const TStatusScope&) = delete;
    TStatusScope& operator=(const TStatusScope&) = delete;

private:
    TOperator& m_operator;
};

// The progress of one piece of long work, ended on every way out of it.
class TProgressScope
{
public:
    explicit TProgressScope(TOperator& op) : m_operator(op) {}
    ~TProgressScope() { m_operator.EndProgress(); }
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;

    // False once the person asked to stop.
    [[nodiscard]] bool Show(qint64 done, qint64 total)
    {
        return m_operator.ShowProgress(done, total);
    }
    bool StopAsked() { return m_operator.StopAsked(); }

private:
    TOperator& m_operator;
};

} // namespace zev
