#pragma once

#include <QString>

namespace platform {

// Why an address stopped, in words for the status line, and whether it may mend by itself
// (a lost connection, a server that is down) as opposed to an address that will never play
// (not found, not audio, a refused certificate).
struct Failure {
    QString reason;
    bool transient = false;
};

// A pipeline error, in the terms the player decides by; the pipeline maps GStreamer's
// error domains and codes onto these.
enum class PipelineErrorKind {
    NotAudio,         // no decoder, no type found, wrong type, a demuxer that gave up
    ResourceNotFound, // the source says the resource does not exist
    ResourceOpenRead, // the source could not open the resource for reading
    Unusable,         // the pipeline refused the stream itself; text says why
    Other,
};

struct PipelineError {
    PipelineErrorKind kind = PipelineErrorKind::Other;
    QString text; // the source's own words
};

// The entry the error happened on.
struct ErrorContext {
    int httpStatus = -1;     // of the entry's last response; 0 = no connection; -1 = none
    bool everPlayed = false; // the address has played since the user chose it
    bool localFile = false;
    bool http = false;    // http or https
    bool https = false;   // probed at every open, so never diagnosed again
    bool fetched = false; // its body was already read as a possible playlist
    QString host;
};

enum class ErrorAction {
    Fail,            // give up this entry with the failure
    ReadAsPlaylist,  // fetch the entry with the player's own reader instead
    FailAndDiagnose, // give up this entry, and ask the server why it could not connect
};

struct ErrorVerdict {
    ErrorAction action = ErrorAction::Fail;
    Failure failure;
};

// An HTTP error status (400 and above) of an address. A server error may mend; of the
// client errors, only a 4xx other than 401/403 from a station that has already played in
// this session does: Icecast answers 404 while a mount's encoder is away, so a mount that
// played a moment ago is coming back rather than gone. On a first open the same answer is
// final.
Failure classifyHttpStatus(int code, bool everPlayed);

// What to do about the first error of an entry's pipeline.
ErrorVerdict classifyPipelineError(const PipelineError& error, const ErrorContext& context);

// The address did not start within its budget. buffering: the pipeline was connected and
// filling its buffer when time ran out; last: the failure of the last entry tried, if any.
Failure classifyStartTimeout(bool buffering, const Failure& last, int budgetSeconds);

// The reason shown when the HTTP source could not connect, before a diagnosis refines it.
QString couldNotConnectText(const QString& host);

} // namespace platform
