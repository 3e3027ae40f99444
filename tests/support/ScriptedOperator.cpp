#include "ScriptedOperator.h"

#include <gtest/gtest.h>

namespace zev::test {

void TScriptedOperator::ShowError(const QString& text)
{
    m_messages.push_back({"error", text});
}

void TScriptedOperator::ShowWarning(const QString& text)
{
    m_messages.push_back({"warning", text});
}

void TScriptedOperator::ShowNotice(const QString& text)
{
    m_messages.push_back({"notice", text});
}

bool TScriptedOperator::AskYesNo(const QString& text)
{
    m_messages.push_back({"question", text});
    if (m_yesNo.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool answer = m_yesNo.front();
    m_yesNo.pop_front();
    return answer;
}

std::optional<QString> TScriptedOperator::ChooseOpenFile(const TFileRequest& request)
{
    return NextFile(request);
}

std::optional<QString> TScriptedOperator::ChooseSaveFile(const TFileRequest& request)
{
    return NextFile(request);
}

std::optional<QString> TScriptedOperator::NextFile(const TFileRequest& request)
{
    m_fileRequests.push_back(request);
    if (m_files.empty()) {
        ADD_FAILURE() << "unexpected file chooser: " << request.title.toStdString();
        return std::nullopt;
    }
    const TFileAnswer answer = m_files.front();
    m_files.pop_front();
    if (!answer.chosen)
        return std::nullopt;
    return answer.path;
}

bool TScriptedOperator::EditSerialLine(const QString& portName, const QString& devicePath,
                                       TSerialLineChoice& choice)
{
    m_serialRequests.push_back({portName, devicePath, choice});
    if (m_serialLines.empty()) {
        ADD_FAILURE() << "unexpected serial dialog: " << portName.toStdString();
        return false;
    }
    choice = m_serialLines.front();
    m_serialLines.pop_front();
    return true;
}

TNetworkPortAnswer TScriptedOperator::EditNetworkPort(TNetworkPortChoice& choice)
{
    m_networkRequests.push_back(choice);
    if (m_networkPorts.empty()) {
        ADD_FAILURE() << "unexpected network port dialog: " << choice.name.toStdString();
        return TNetworkPortAnswer::Cancelled;
    }
    const TNetworkPortReply reply = m_networkPorts.front();
    m_networkPorts.pop_front();
    if (reply.answer == TNetworkPortAnswer::Confirmed)
        choice = reply.choice;
    return reply.answer;
}

int TScriptedOperator::ChooseTipo()
{
    if (m_tipos.empty()) {
        ADD_FAILURE() << "unexpected type dialog";
        return -1;
    }
    const int tipo = m_tipos.front();
    m_tipos.pop_front();
    return tipo;
}

std::optional<TArvoreChoice> TScriptedOperator::ChooseArvore()
{
    if (m_arvores.empty()) {
        ADD_FAILURE() << "unexpected tree dialog";
        return std::nullopt;
    }
    const std::optional<TArvoreChoice> choice = m_arvores.front();
    m_arvores.pop_front();
    return choice;
}

void TScriptedOperator::ShowStatus(const QString& text)
{
    m_status.push_back(text);
}

bool TScriptedOperator::ShowProgress(qint64 done, qint64 total)
{
    m_progress.push_back({done, total});
    return !(m_cancelAt && done >= *m_cancelAt);
}

void TScriptedOperator::EndProgress()
{
    ++m_progressEnds;
}

} // namespace zev::test
