#pragma once

// The operator of the tests: every message is recorded with its kind, and
// every question or file chooser takes the next answer the test queued.
// A question nobody prepared an answer for fails the test.

#include "app/Operator.h"

#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zev::test {

struct TOperatorMessage
{
    std::string kind; // "error", "warning", "notice", "question"
    QString text;

    bool operator==(const TOperatorMessage&) const = default;
};

// Readable in a failed expectation.
inline void PrintTo(const TOperatorMessage& message, std::ostream* out)
{
    *out << message.kind << ": " << message.text.toStdString();
}

class TScriptedOperator : public TOperator
{
public:
    void ShowError(const QString& text) override;
    void ShowWarning(const QString& text) override;
    void ShowNotice(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    std::optional<QString> ChooseOpenFile(const TFileRequest& request) override;
    std::optional<QString> ChooseSaveFile(const TFileRequest& request) override;
    bool EditSerialLine(const QString& portName, const QString& devicePath,
                        TSerialLineChoice& choice) override;
    TNetworkPortAnswer EditNetworkPort(TNetworkPortChoice& choice) override;
    int ChooseTipo() override;
    std::optional<TArvoreChoice> ChooseArvore() override;
    void ShowStatus(const QString& text) override;
    // Every call is recorded; the answer is false from the first call whose
    // count reaches the one given to CancelProgressAt.
    bool ShowProgress(qint64 done, qint64 total) override;
    void EndProgress() override;

    // Answers, used in order.
    void QueueYesNo(bool answer) { m_yesNo.push_back(answer); }
    void QueueFile(const QString& path) { m_files.push_back({true, path}); }
    void QueueCancel() { m_files.push_back({false, {}}); }
    // The serial dialog: the positions it is left at on OK.
    void QueueSerialLine(const TSerialLineChoice& choice) { m_serialLines.push_back(choice); }
    // The network port dialog: what it is left at on OK; nothing: Cancela.
    void QueueNetworkPort(const std::optional<TNetworkPortChoice>& answer)
    {
        m_networkPorts.push_back(
            {answer ? TNetworkPortAnswer::Confirmed : TNetworkPortAnswer::Cancelled,
             answer.value_or(TNetworkPortChoice{})});
    }
    // The network port dialog left with "Remover".
    void QueueNetworkPortRemove() { m_networkPorts.push_back({TNetworkPortAnswer::Remove, {}}); }
    // What each network port dialog was opened with.
    const std::vector<TNetworkPortChoice>& NetworkPortRequests() const { return m_networkRequests; }
    // The type dialog's result (-1: cancelled); the tree dialog's branch
    // (nothing: cancelled).
    void QueueTipo(int tipo) { m_tipos.push_back(tipo); }
    void QueueArvore(std::optional<TArvoreChoice> choice) { m_arvores.push_back(choice); }

    const std::vector<TOperatorMessage>& Messages() const { return m_messages; }
    // The messages' texts alone, whatever their kind.
    std::vector<QString> MessageTexts() const
    {
        std::vector<QString> texts;
        for (const TOperatorMessage& message : m_messages)
            texts.push_back(message.text);
        return texts;
    }
    const std::vector<TFileRequest>& FileRequests() const { return m_fileRequests; }
    const std::vector<QString>& StatusTexts() const { return m_status; }
    // What each serial dialog was opened with: port, device and positions.
    struct TSerialLineRequest
    {
        QString portName;
        QString devicePath;
        TSerialLineChoice shown;
    };
    const std::vector<TSerialLineRequest>& SerialLineRequests() const { return m_serialRequests; }
    void ClearMessages() { m_messages.clear(); }

    struct TProgress
    {
        qint64 done;
        qint64 total;
    };
    void CancelProgressAt(qint64 done) { m_cancelAt = done; }
    const std::vector<TProgress>& Progress() const { return m_progress; }
    int ProgressEnds() const { return m_progressEnds; }

private:
    std::optional<QString> NextFile(const TFileRequest& request);

    std::vector<TOperatorMessage> m_messages;
    std::vector<TFileRequest> m_fileRequests;
    std::vector<QString> m_status;
    std::vector<TProgress> m_progress;
    std::optional<qint64> m_cancelAt;
    int m_progressEnds = 0;
    std::deque<bool> m_yesNo;
    struct TFileAnswer
    {
        bool chosen;
        QString path;
    };
    std::deque<TFileAnswer> m_files;
    std::deque<TSerialLineChoice> m_serialLines;
    std::vector<TSerialLineRequest> m_serialRequests;
    struct TNetworkPortReply
    {
        TNetworkPortAnswer answer;
        TNetworkPortChoice choice;
    };
    std::deque<TNetworkPortReply> m_networkPorts;
    std::vector<TNetworkPortChoice> m_networkRequests;
    std::deque<int> m_tipos;
    std::deque<std::optional<TArvoreChoice>> m_arvores;
};

} // namespace zev::test
