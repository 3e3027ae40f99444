#pragma once

// The print spooler: CUPS through libcups, on the server that CUPS_SERVER
// (or the client configuration) names.
//
// A spooler job here is one CUPS job holding one raw document
// (application/vnd.cups-raw), so the bytes reach the printer unchanged.
// Failures are reported as false; the printer's LastError then says why, in
// CUPS's own words, read from CUPS on the thread that met the failure and
// kept, so nothing done after it (a cancellation) can replace it.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// libcups's connection, without its headers.
typedef struct _http_s http_t;

namespace zev {

// The spooler's own queues by name, in the order it lists them (not the
// printers it only sees on the network);
// a spooler that cannot be reached lists none.
std::vector<std::string> SpoolerPrinters();

// One printer and the raw document being sent to it. Whatever it holds is
// released by Close or the destructor; a job not finished by then is
// cancelled, so no half-sent job stays waiting on the queue.
class TSpoolerPrinter
{
public:
    TSpoolerPrinter();
    ~TSpoolerPrinter();
    TSpoolerPrinter(const TSpoolerPrinter&) = delete;
    TSpoolerPrinter& operator=(const TSpoolerPrinter&) = delete;

    // Connects to the spooler and checks that the destination exists.
    bool Open(const std::string& printerName);
    // Creates a job titled `title` and starts its only document, raw.
    bool StartDocument(const std::string& title);
    // Appends bytes to the document, unchanged.
    bool Write(std::string_view bytes);
    // Ends the document; the job then belongs to the spooler.
    bool FinishDocument();
    void Close();

    // Why the last call that returned false failed.
    std::string LastError() const { return m_error; }

private:
    struct THttpCloser
    {
        void operator()(http_t* http) const;
    };
    using THttpConnection = std::unique_ptr<http_t, THttpCloser>;

    static THttpConnection Connect();
    // Keeps CUPS's reason for the failure just met; false.
    bool Fail();
    // A call out of order (no printer open, no document started); false.
    bool NotReady();
    void CancelUnfinishedJob();

    THttpConnection m_http;
    std::string m_printerName;
    int m_jobId = 0; // the job being sent; 0 when none is unfinished
    std::string m_error;
};

} // namespace zev
