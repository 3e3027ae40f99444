#pragma once

// One job's rows in the history, written on a thread of its own: the
// printing hands over what changed and goes on, so that neither the disk
// nor another program's lock ever holds up a label. Each hand-over is
// written in one transaction with everything not yet written; a write that
// fails keeps it all for the next hand-over.
//
// Owned by one thread (the job's); its thread owns the database connection.

#include "printing/History.h"

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace zev {

class TConnection;

// The job's first row, its texts as the database holds them.
struct THistoryStart
{
    std::string inicio;
    std::string usuario;
    std::string tipo;
    std::string etiqueta;
    std::string porta;
    double data = 0;
    std::optional<std::int64_t> origem;
    bool continuacao = false;
    std::string pruneBefore; // jobs started before it go
};

struct THistoryEnd
{
    std::string fim;
    std::string resultado;
    std::string mensagem; // empty: none
};

// What changed since the last hand-over: the lists are new rows, the counts
// and the stop replace the last ones.
struct THistoryProgress
{
    std::vector<THistoryItem> items;
    std::vector<TLabelPosition> faltas;
    std::vector<std::int32_t> skipped;
    std::int64_t sent = 0;
    std::int64_t refused = 0;
    std::int64_t missing = 0;
    TLabelPosition stop;
    std::optional<THistoryEnd> end;
};

class THistoryWriter
{
public:
    explicit THistoryWriter(THistoryStart start);
    // Writes what was handed over and not written yet, then stops.
    ~THistoryWriter();
    THistoryWriter(const THistoryWriter&) = delete;
    THistoryWriter& operator=(const THistoryWriter&) = delete;

    void Hand(THistoryProgress progress);
    // Hands over the end and waits until it is written, or its write failed
    // (after another program's lock held it up to the busy timeout). The
    // last write's failure; empty when the whole record is written.
    QString Finish(THistoryProgress last);

private:
    void Run(std::stop_token stop);
    QString Write(THistoryProgress& batch);
    void WriteStart(TConnection& connection);
    void WriteItems(TConnection& connection, const std::vector<THistoryItem>& items);
    void WriteProgress(TConnection& connection, const THistoryProgress& batch);

    // The writer thread's own.
    const THistoryStart m_start;
    std::unique_ptr<TConnection> m_connection;
    std::int64_t m_number = 0; // 0 until the start is written
    std::int32_t m_itemsWritten = 0;

    // Shared, under m_mutex.
    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::condition_variable m_written;
    THistoryProgress m_pending;
    bool m_handed = false;
    bool m_finished = false;
    QString m_error;

    std::jthread m_thread; // last: stopped and joined before the rest goes
};

} // namespace zev
