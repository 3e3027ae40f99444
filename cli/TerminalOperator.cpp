#include "cli/TerminalOperator.h"

#include "platform/Console.h"

#include <algorithm>
#include <csignal>
#include <iostream>
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

volatile std::sig_atomic_t Interrupted = 0;

extern "C" void OnInterrupt(int)
{
    Interrupted = 1;
    // The next Ctrl+C ends the program, should the work not stop.
    std::signal(SIGINT, SIG_DFL);
}

} // namespace

// Catches Ctrl+C for as long as it lives; the handler before it comes back.
class TTerminalOperator::TInterruptHandler
{
public:
    TInterruptHandler()
    {
        Interrupted = 0;
        m_previous = std::signal(SIGINT, &OnInterrupt);
    }
    ~TInterruptHandler()
    {
        if (m_previous != SIG_ERR)
            std::signal(SIGINT, m_previous);
    }
    TInterruptHandler(const TInterruptHandler&) = delete;
    TInterruptHandler& operator=(const TInterruptHandler&) = delete;

    bool Asked() const { return Interrupted != 0; }

private:
    void (*m_previous)(int) = SIG_DFL;
};

TTerminalOperator::TTerminalOperator(std::ostream& out, std::ostream& err, TTerminalAnswers answers)
    : m_out(out), m_err(err), m_answers(std::move(answers))
{}

TTerminalOperator::~TTerminalOperator()
{
    EndProgress();
}

void TTerminalOperator::ShowStatus(const QString& text)
{
    m_status = text;
}

bool TTerminalOperator::ShowProgress(const qint64 done, const qint64 total)
{
    if (!m_interrupt) {
        m_interrupt = std::make_unique<TInterruptHandler>();
        m_progressLine = &m_err == &std::cerr && StandardErrorIsTerminal();
        m_percentShown = -1;
    }
    if (m_progressLine && total > 0) {
        const int percent = static_cast<int>(std::clamp<qint64>(done * 100 / total, 0, 100));
        if (percent != m_percentShown) {
            m_percentShown = percent;
            // Back to the line's start, the text, and the rest of the line cleared.
            m_err << '\r' << (m_status.isEmpty() ? std::string() : m_status.toStdString() + ' ')
                  << percent << "%\x1b[K" << std::flush;
        }
    }
    return !m_interrupt->Asked();
}

void TTerminalOperator::EndProgress()
{
    if (m_progressLine && m_percentShown >= 0)
        m_err << "\r\x1b[K" << std::flush;
    m_progressLine = false;
    m_percentShown = -1;
    m_interrupt.reset();
}

bool TTerminalOperator::StopAsked()
{
    return m_interrupt && m_interrupt->Asked();
}

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
