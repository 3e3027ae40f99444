#include "printing/ItemSession.h"

#include "app/Hashes.h"
#include "app/Operator.h"
#include "app/Registries.h"
#include "app/Settings.h"
#include "catalogue/Database.h"
#include "catalogue/Produto.h"
#include "output/StartedPort.h"
#include "platform/AnsiText.h"
#include "platform/Conversions.h"
#include "platform/Error.h"
#include "platform/Profile.h"
#include "platform/Regional.h"
#include "printing/JobRecord.h"

namespace zev {

namespace {

QString Price(const char* format, double value)
{
    return QString::fromStdString(FormatFloat(format, value));
}

} // namespace

QString ItemStartMessage(const std::exception& error)
{
    // The catalogue's own texts say what is wrong with it and what to do.
    if (dynamic_cast<const EDatabaseError*>(&error) != nullptr)
        return QString::fromUtf8(error.what());
    return Text("Não foi possível inicializar a impressora ") + QString::fromUtf8(error.what());
}

TItemSession::TItemSession(TOperator& op, const TRegistries& registries, std::string labelName,
                           TItemModes modes)
    : m_operator(op), m_labelName(std::move(labelName)), m_modes(modes)
{
    const TStatusScope status(op);
    op.ShowStatus(Text("Inicializando..."));
    ReadItemSettings();
    m_connection = OpenDatabase();
    m_label = &registries.LabelRegistry().LabelHash.Item(m_labelName);
    // The label's entry in "Labels" is what is missing, not a port of no name.
    if (m_portName.empty())
        throw EHashFindError(m_labelName);
    m_port = &registries.PortRegistry().Port(m_portName);
    StartPort();
    m_record =
        std::make_unique<TJobRecord>(TJobStart(CounterJobKind(m_modes.askCount, m_modes.askProcon),
                                               m_labelName, m_portName, Today()),
                                     std::vector<THistoryItem>{});
}

void TItemSession::StartPort()
{
    m_operator.ShowStatus(Text("Inicializando a impressora..."));
    if (!m_port->StartData(SettingsPath()))
        throw EItemStartError("(StartData)");
    // From here the member ends the port, even if the caller throws.
    m_started = std::make_unique<TStartedPort>(*m_port);
    bool taken = false;
    try {
        taken = m_port->SendData(m_label->GetHeader());
    } catch (const EInOutError& error) {
        throw EItemStartError(error.what());
    }
    if (!taken)
        throw EItemStartError("(SendData)");
    m_portFailed = false;
}

// A port that refused a label (a network printer that reset, a line that
// stalled) refuses every later one: it is ended and started afresh, header
// included, before the next label.
void TItemSession::RestartPortIfFailed()
{
    if (m_started && !m_portFailed)
        return;
    if (m_started) {
        const std::unique_ptr<TStartedPort> failed = std::move(m_started);
        try {
            (void)failed->End(); // the port told its failure when it refused
        } catch (const EInOutError&) {
            // Its device is gone already; the start below says what is wrong.
        }
    }
    StartPort();
}

bool TItemSession::End(TJobEnding ending, const QString& message)
{
    const std::unique_ptr<TStartedPort> started = std::move(m_started);
    m_port = nullptr;
    bool ended = false;
    QString error;
    try {
        ended = started && started->End();
    } catch (const EInOutError& failure) {
        error = QString::fromUtf8(failure.what());
        m_operator.ShowError(error);
    }
    EndRecord(ending, message.isEmpty() ? error : message);
    return ended;
}

void TItemSession::EndRecord(TJobEnding ending, const QString& message) noexcept
{
    if (!m_record || m_record->Ended())
        return;
    m_record->End(ending, message, m_total.sent, m_total.refused, 0);
    try {
        if (const std::optional<QString> failure = m_record->Failure())
            m_operator.ShowError(*failure);
    } catch (...) {
        // The session is going: the record's failure cannot be told.
    }
}

void TItemSession::RecordEnter(const TProduto& produto, std::int32_t count,
                               const TItemPrinted& printed)
{
    if (!m_record || count <= 0)
        return;
    THistoryItem item;
    item.produtoKey = produto.key;
    item.barra = m_code;
    if (m_modes.askProcon && !produto.fornecedorDescricao.empty()) {
        item.fornecedor = produto.fornecedorDescricao;
        item.fabricacao = produto.fabricacao;
    }
    item.etiquetas = count;
    const std::int32_t position = m_items++;
    m_record->Append(std::move(item));
    for (std::int32_t copy = 0; copy < count; ++copy) {
        if (copy < printed.sent)
            m_record->Taken({position, copy});
        else
            m_record->Refused({position, copy});
    }
    m_total.sent += printed.sent;
    m_total.refused += printed.refused;
    m_record->Save();
}

TItemSession::~TItemSession()
{
    const TStatusScope status(m_operator);
    try {
        m_operator.ShowStatus(Text("Finalizando..."));
    } catch (...) {
        // Ending the port matters more than the status line.
    }
    m_found.reset();
    m_previewFamily.reset();
    m_connection.reset();
    m_started.reset();
    // A window closed ends its session's job.
    EndRecord(TJobEnding::Concluido, {});
}

void TItemSession::ReadItemSettings()
{
    const TIniFile ini(SettingsPath());
    m_portName = ini.ReadString(settings::Labels, m_labelName);
    m_autoPrint = ReadSetting(ini, settings::ImpAutom);
    m_atacado = ReadSetting(ini, settings::Atacado);
}

TItemInfo TItemSession::Lookup(const std::string& code)
{
    const TStatusScope status(m_operator);
    m_operator.ShowStatus(Text("Buscando..."));
    m_shown = nullptr;
    m_previewed = nullptr;
    m_previewFamily.reset();
    m_found = FindProdutoByBarra(*m_connection, code);
    m_code = code;
    ReadItemSettings();

    TItemInfo info;
    if (!m_found) {
        info.descricao = Text("*** NÃO ENCONTRADO ***");
        m_lastKey = 0;
        return info;
    }
    m_shown = m_found.get();
    if (m_atacado && !m_found->filhos.empty())
        m_shown = m_found->filhos.front().get();
    // The label prints the code as typed, from the first Enter on.
    m_shown->barra = m_code;
    m_previewed = m_shown;

    const double today = Today();
    info.found = true;
    info.descricao = AnsiToQString(m_shown->descricao);
    if (m_shown->pai != nullptr) {
        info.preco = Price("%3.2f", m_shown->pai->preco(today));
        info.qtdCx = Price("%f", m_shown->fatorPreco);
        info.precoCx = Price("%3.2f", m_shown->preco(today));
    } else {
        info.preco = Price("%3.2f", m_shown->preco(today));
    }
    return info;
}

TItemPrinted TItemSession::Print(TItemQuestions& questions)
{
    if (m_shown == nullptr || m_port == nullptr)
        return {};
    const TStatusScope status(m_operator);
    TProduto& produto = *m_shown;
    bool autoPrint = m_autoPrint;
    std::int32_t count = 1;
    if (m_modes.askProcon) {
        if (const std::optional<TProconData> procon = questions.AskProcon()) {
            produto.fornecedorDescricao =
                QStringToAnsi(procon->nome + QStringLiteral(" (") + procon->cnpj + u')');
            produto.fabricacao = procon->fabricacao;
            autoPrint = true;
        }
    }
    if (m_modes.askCount) {
        const std::optional<QString> answer = questions.AskCount();
        // A cancelled count still makes this product the last one shown.
        count = answer ? StrToInt(TrimView(answer->toStdString())) : 0;
        autoPrint = true;
    }

    TItemPrinted printed;
    if (autoPrint || m_lastKey == produto.key) {
        m_operator.ShowStatus(Text("Imprimindo..."));
        if (!autoPrint)
            count = 1;
        if (count > 0)
            RestartPortIfFailed();
        for (; printed.sent < count; ++printed.sent) {
            if (!PrintOne(produto)) {
                printed.refused = count - printed.sent;
                break;
            }
        }
        RecordEnter(produto, count, printed);
    }
    m_lastKey = produto.key;
    m_shown = nullptr;
    m_previewFamily = std::move(m_found);
    return printed;
}

TItemPrinted TItemSession::Enter(const std::string& code, TItemQuestions& questions)
{
    Lookup(code);
    return Print(questions);
}

TLabelPicture TItemSession::Preview() const
{
    if (m_previewed == nullptr || m_label == nullptr)
        return {};
    return PreviewProduto(*m_label, *m_previewed, Today());
}

bool TItemSession::PrintOne(TProduto& produto)
{
    ReadItemSettings();
    produto.barra = m_code;
    std::string text;
    m_label->RenderSingle(produto, text, Today());
    // A label counts once the printer has it, not once it is queued for it.
    TPrinterPort& port = m_started->Port();
    try {
        if (port.SendData(text) && port.Confirm())
            return true;
        // Told by the port; it refuses all that follows until started again.
        m_portFailed = true;
    } catch (const EInOutError& error) {
        // The same device is tried again at the next label: starting the
        // port again would ask for a file, and empty it, once more.
        m_operator.ShowError(QString::fromUtf8(error.what()));
    }
    return false;
}

} // namespace zev
