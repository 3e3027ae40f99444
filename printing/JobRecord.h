#pragma once

// The history's record of one job as it prints: its start and items are
// handed to the writer before its first label, its progress at most twice a
// second, its end when it ends. The record never stops the printing: a write
// that fails (a full disk, a database another program holds locked) is
// tried again at the next one, and a record that never succeeded says why
// once the job has ended (Failure). A program that stops in the middle
// leaves the job as far as it was last written, continuable from there.
//
// Old jobs, "Dias Historico" days old, go in the same transaction that
// records a new one.
//
// Owned by the thread that prints the job; the writing is THistoryWriter's.

#include "printing/History.h"
#include "printing/HistoryWriter.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zev {

struct TJobStart
{
    TJobStart(TJobKind kind_, std::string label_, std::string port_, double date_)
        : kind(kind_), label(std::move(label_)), port(std::move(port_)), date(date_)
    {}

    TJobKind kind;
    std::string label;
    std::string port;
    double date;
    std::optional<std::int64_t> origem; // the job it prints again
    bool continuacao = false;           // only what that one did not send
};

class TJobRecord
{
public:
    TJobRecord(TJobStart start, std::vector<THistoryItem> plan);
    ~TJobRecord();
    TJobRecord(const TJobRecord&) = delete;
    TJobRecord& operator=(const TJobRecord&) = delete;

    // A new last item (the counter's next product), written at the next save.
    void Append(THistoryItem item);
    // The port took the label at `position`; it refused it; its product was
    // gone. Each moves the job's stop past the label.
    void Taken(TLabelPosition position);
    void Refused(TLabelPosition position);
    void Missing(TLabelPosition position);
    // An item that prints no label after all (a product without a barcode).
    void Skipped(std::int32_t item);
    // The last `count` labels taken never reached the printer: the stop goes
    // back to the first of them.
    void Undelivered(std::int64_t count);
    // Hands over what is pending now.
    void Save();

    // The job's end with the counts its person was told.
    void End(TJobEnding ending, const QString& message, std::int64_t sent, std::int64_t refused,
             std::int64_t missing);
    bool Ended() const { return m_ended; }
    // Once ended: why the job is not (or not wholly) in the history.
    std::optional<QString> Failure() const;

private:
    void Offered(TLabelPosition position);
    void SaveNowAndThen();
    THistoryProgress Progress();

    using Clock = std::chrono::steady_clock;

    std::int64_t m_sent = 0;
    std::int64_t m_refused = 0;
    std::int64_t m_missing = 0;
    TLabelPosition m_stop;
    std::vector<TLabelPosition> m_taken; // in order, to go back over
    THistoryProgress m_unhanded;         // its lists: not handed over yet
    bool m_ended = false;
    QString m_error; // the end's failure
    Clock::time_point m_lastSave;
    THistoryWriter m_writer;
};

} // namespace zev
