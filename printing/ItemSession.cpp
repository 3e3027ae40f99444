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
#include "platform/Profile.h"
#include "platform/Regional.h"

namespace zev {

namespace {

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString Price(const char* format, double value)
{
    return QString::fromStdString(FormatFloat(format, value));
}

} // namespace

QString ItemStartMessage(const std::exception& error)
{
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
    TPrinterPort& port = registries.PortRegistry().Port(m_portName);

    op.ShowStatus(Text("Inicializando a impressora..."));
    if (!port.StartData(SettingsPath()))
        throw EItemStartError("(StartData)");
    // From here the member ends the port, even if this constructor throws.
    m_started = std::make_unique<TStartedPort>(port);
    if (!port.SendData(m_label->GetHeader()))
        throw EItemStartError("(SendData)");
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
    m_connection.reset();
    m_started.reset();
}

void TItemSession::ReadItemSettings()
{
    const TIniFile ini(SettingsPath());
    m_portName = ini.ReadString(settings::Labels, m_labelName);
    m_autoPrint = ini.ReadBool(settings::Geral, settings::ImpAutom, false);
    m_atacado = ini.ReadBool(settings::Geral, settings::Atacado, false);
}

TItemInfo TItemSession::Lookup(const std::string& code)
{
    const TStatusScope status(m_operator);
    m_operator.ShowStatus(Text("Buscando..."));
    m_shown = nullptr;
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

int TItemSession::Print(TItemQuestions& questions)
{
    if (m_shown == nullptr)
        return 0;
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

    int printed = 0;
    if (autoPrint || m_lastKey == produto.key) {
        m_operator.ShowStatus(Text("Imprimindo..."));
        if (!autoPrint)
            count = 1;
        for (; printed < count; ++printed)
            PrintOne(produto);
    }
    m_lastKey = produto.key;
    m_shown = nullptr;
    m_found.reset();
    return printed;
}

int TItemSession::Enter(const std::string& code, TItemQuestions& questions)
{
    Lookup(code);
    return Print(questions);
}

void TItemSession::PrintOne(TProduto& produto)
{
    ReadItemSettings();
    produto.barra = m_code;
    std::string text;
    m_label->RenderSingle(produto, text, Today());
    // A label the port refuses is lost; the counter goes on with the next.
    m_started->Port().SendData(text);
}

} // namespace zev
