#pragma once

// A small file read whole, and replaced whole so that a crash, a full disk
// or a failing device never leaves it half-written: the new contents go to
// a temporary file in the same folder, are flushed to disk and closed, and
// the temporary file is renamed over the old one. Every step's result is
// checked; a failure leaves the old file as it was, removes the temporary
// file and raises EInOutError saying, in Portuguese, which file, why and
// what to do.

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace zev {

// The system calls of a replacement, one per step, as the system has them
// (-1 and errno on failure). A seam: tests make one of them fail as a full
// disk or a failing device would, where no real fault can be had.
class TFileCalls
{
public:
    virtual ~TFileCalls() = default;
    // Creates a new file for writing; fails when it exists.
    virtual int Create(const char* path);
    virtual ssize_t Write(int fd, const char* data, std::size_t size);
    virtual int Sync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
};

TFileCalls& SystemFileCalls();

// The system's reason for a file error, in Portuguese for those a store meets.
std::string FileErrorText(int code);

// "Não foi possível gravar o arquivo ...": the file, the reason, the step
// that failed (may be empty), that the file was not changed, and what to do.
std::string CannotWriteText(const QString& path, int code, std::string_view step);

// Nothing when there is no such file (nor the folder that would hold it);
// any other failure raises EInOutError naming the file and the reason.
std::optional<std::string> ReadFileContents(const QString& path);

// Why no new file can be made at `path` (its folder missing, read-only,
// full); 0 when one can.
int CreationError(const QString& path);

// A symbolic link is followed and stays a link; an existing file keeps its
// permissions, and one that may not be written is refused.
void ReplaceFileContents(const QString& path, std::string_view bytes,
                         TFileCalls& calls = SystemFileCalls());

} // namespace zev
