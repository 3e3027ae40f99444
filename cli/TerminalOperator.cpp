#include "cli/TerminalOperator.h"

#include <ostream>

namespace zev::cli {

namespace {

// One message, one line.
void WriteLine(std::ostream& stream, const QString& text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(u'\n', u' ')
        .replace(u'\r', u' ');
    stream << line.toStdString() << '\n';
}

std::optional<QString> Proposed(const TFileRequest& request)
{
    if (request.fileName.isEmpty())
        return std::nullopt;
    return request.fileName;
}

} // namespace

TTerminalOperator::TTerminalOperator(std::ostream& out, std::ostream& err, TTerminalAnswers answers)
    : m_out(out), m_err(err), m_answers(std::move(answers))
{}

void TTerminalOperator::ShowError(const QString& text)
{
    WriteLine(m_err, text);
}

void TTerminalOperator::ShowWarning(const QString& text)
{
    WriteLine(m_err, text);
}

void TTerminalOperator::ShowNotice(const QString& text)
{
    WriteLine(m_out, text);
}

bool TTerminalOperator::AskYesNo(const QString& text)
{
    WriteLine(m_err, text + (m_answers.yes ? QStringLiteral(" Sim (--yes)")
                                           : QStringLiteral(" Não (use --yes para confirmar)")));
    return m_answers.yes;
}

std::optional<QString> TTerminalOperator::ChooseOpenFile(const TFileRequest& request)
{
    return m_answers.input ? m_answers.input : Proposed(request);
}

std::optional<QString> TTerminalOperator::ChooseSaveFile(const TFileRequest& request)
{
    return m_answers.output ? m_answers.output : Proposed(request);
}

int TTerminalOperator::ChooseTipo()
{
    return m_answers.tipo;
}

std::optional<TArvoreChoice> TTerminalOperator::ChooseArvore()
{
    return m_answers.arvore;
}

bool TTerminalOperator::EditSerialLine(const QString&, const QString&, TSerialLineChoice&)
{
    return false;
}

} // namespace zev::cli
