#include "printing/JobRecord.h"

#include "platform/AnsiText.h"

#include <QDateTime>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace zev {

namespace {

// Often enough that a stop loses at most half a second of progress, seldom
// enough that the writer's transactions stay few.
constexpr auto SaveInterval = std::chrono::milliseconds(500);

// The account the program runs as; the environment's name when the system
// has no entry for it (a container's numeric user).
QString SystemUser()
{
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr)
        return QString::fromLocal8Bit(entry->pw_name);
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? QString::number(geteuid()) : user;
}

std::string PruneBefore()
{
    return QDateTime::currentDateTime().addDays(-HistoryDays()).toString(Qt::ISODate).toStdString();
}

THistoryStart StartOf(const TJobStart& start)
{
    return THistoryStart{.inicio = HistoryTimeNow().toStdString(),
                         .usuario = QStringToAnsi(SystemUser()),
                         .tipo = std::string(JobKindName(start.kind)),
                         .etiqueta = start.label,
                         .porta = start.port,
                         .data = start.date,
                         .origem = start.origem,
                         .continuacao = start.continuacao,
                         .pruneBefore = PruneBefore()};
}

} // namespace

TJobRecord::TJobRecord(TJobStart start, std::vector<THistoryItem> plan)
    : m_writer(StartOf(start))
{
    m_unhanded.items = std::move(plan);
    Save();
}

TJobRecord::~TJobRecord() = default;

void TJobRecord::Append(THistoryItem item)
{
    m_unhanded.items.push_back(std::move(item));
}

void TJobRecord::Offered(TLabelPosition position)
{
    m_stop = std::max(m_stop, TLabelPosition{position.item, position.copy + 1});
    SaveNowAndThen();
}

void TJobRecord::Taken(TLabelPosition position)
{
    ++m_sent;
    m_taken.push_back(position);
    Offered(position);
}

void TJobRecord::Refused(TLabelPosition position)
{
    ++m_refused;
    m_unhanded.faltas.push_back(position);
    Offered(position);
}

void TJobRecord::Missing(TLabelPosition position)
{
    ++m_missing;
    m_unhanded.faltas.push_back(position);
    Offered(position);
}

void TJobRecord::Skipped(std::int32_t item)
{
    m_unhanded.skipped.push_back(item);
}

// Labels already handed over that the stop goes back over are dropped by
// the writer with the stop itself.
void TJobRecord::Undelivered(std::int64_t count)
{
    count = std::min<std::int64_t>(count, static_cast<std::int64_t>(m_taken.size()));
    if (count <= 0)
        return;
    const auto first = m_taken.end() - count;
    m_stop = *first;
    m_taken.erase(first, m_taken.end());
    m_sent -= count;
    std::erase_if(m_unhanded.faltas, [this](const TLabelPosition& p) { return p >= m_stop; });
}

void TJobRecord::Save()
{
    m_lastSave = Clock::now();
    m_writer.Hand(Progress());
}

void TJobRecord::SaveNowAndThen()
{
    if (Clock::now() - m_lastSave >= SaveInterval)
        Save();
}

THistoryProgress TJobRecord::Progress()
{
    THistoryProgress progress = std::exchange(m_unhanded, {});
    progress.sent = m_sent;
    progress.refused = m_refused;
    progress.missing = m_missing;
    progress.stop = m_stop;
    return progress;
}

void TJobRecord::End(TJobEnding ending, const QString& message, std::int64_t sent,
                     std::int64_t refused, std::int64_t missing)
{
    if (m_ended)
        return;
    m_ended = true;
    m_sent = sent;
    m_refused = refused;
    m_missing = missing;
    THistoryProgress last = Progress();
    last.end = THistoryEnd{.fim = HistoryTimeNow().toStdString(),
                           .resultado = std::string(JobEndingName(ending)),
                           .mensagem = QStringToAnsi(message)};
    m_error = m_writer.Finish(std::move(last));
}

std::optional<QString> TJobRecord::Failure() const
{
    if (!m_ended || m_error.isEmpty())
        return std::nullopt;
    return QString::fromUtf8("A impressão não pôde ser registrada no histórico: ") + m_error;
}

} // namespace zev
