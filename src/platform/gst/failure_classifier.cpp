#include "platform/gst/failure_classifier.h"

namespace platform {

namespace {

QString httpStatusText(int code) {
    switch (code) {
    case 401:
        return QStringLiteral("Access denied (401)");
    case 403:
        return QStringLiteral("Forbidden (403)");
    case 404:
        return QStringLiteral("Not found (404)");
    default:
        break;
    }
    if (code >= 500)
        return QStringLiteral("Server error (%1)").arg(code);
    return QStringLiteral("HTTP error %1").arg(code);
}

ErrorVerdict failWith(QString reason, bool transient = false) {
    return {ErrorAction::Fail, {std::move(reason), transient}};
}

} // namespace

Failure classifyHttpStatus(int code, bool everPlayed) {
    const bool transient = code >= 500 || (everPlayed && code >= 400 && code != 401 && code != 403);
    return {httpStatusText(code), transient};
}

QString couldNotConnectText(const QString& host) {
    return QStringLiteral("Could not connect to %1").arg(host);
}

ErrorVerdict classifyPipelineError(const PipelineError& error, const ErrorContext& context) {
    if (error.kind == PipelineErrorKind::Unusable)
        return failWith(error.text);
    if (context.httpStatus >= 400)
        return {ErrorAction::Fail, classifyHttpStatus(context.httpStatus, context.everPlayed)};
    if (context.httpStatus >= 300) {
        // The HTTP source names only the last status ("Found"); the player's own fetch
        // follows the redirects and tells a loop, a long chain or a non-web target, or
        // finds the stream they lead to.
        if (!context.fetched && context.http)
            return {ErrorAction::ReadAsPlaylist, {}};
        return failWith(QStringLiteral("Redirected to an address that does not play"));
    }
    if (context.httpStatus == 0)
        return {context.https ? ErrorAction::Fail : ErrorAction::FailAndDiagnose,
                {couldNotConnectText(context.host), true}};
    switch (error.kind) {
    case PipelineErrorKind::NotAudio:
        // Text where audio was expected may be a playlist that its name did not announce.
        if (!context.fetched && (context.http || context.localFile))
            return {ErrorAction::ReadAsPlaylist, {}};
        return failWith(QStringLiteral("Not an audio stream"));
    case PipelineErrorKind::ResourceNotFound:
        return failWith(context.localFile ? QStringLiteral("File not found")
                                          : QStringLiteral("Not found"));
    case PipelineErrorKind::ResourceOpenRead:
        if (context.localFile)
            return failWith(QStringLiteral("File not found"));
        break;
    default:
        break;
    }
    // Certificate and TLS failures do not mend by trying again; read errors may.
    const bool secure = error.text.contains("certificate", Qt::CaseInsensitive) ||
                        error.text.contains("TLS", Qt::CaseSensitive);
    return failWith(error.text, !secure);
}

Failure classifyStartTimeout(bool buffering, const Failure& last, int budgetSeconds) {
    if (buffering)
        return {QStringLiteral("The stream sends too little to start playing"), false};
    if (last.reason.isEmpty())
        return {QStringLiteral("The station did not start within %1 s").arg(budgetSeconds), true};
    return last;
}

} // namespace platform
