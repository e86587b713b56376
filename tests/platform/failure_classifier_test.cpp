// The player's reading of failures, without GStreamer: a pipeline error or an HTTP status
// in, the reason shown and whether the stream may come back out.
#include "platform/gst/failure_classifier.h"

#include <gtest/gtest.h>

using platform::classifyHttpStatus;
using platform::classifyPipelineError;
using platform::classifyStartTimeout;
using platform::ErrorAction;
using platform::ErrorContext;
using platform::Failure;
using platform::PipelineError;
using platform::PipelineErrorKind;

namespace {

ErrorContext remote(int httpStatus, bool everPlayed = false) {
    ErrorContext context;
    context.httpStatus = httpStatus;
    context.everPlayed = everPlayed;
    context.http = true;
    context.host = QStringLiteral("radio.invalid");
    return context;
}

const PipelineError readError{PipelineErrorKind::Other, QStringLiteral("Could not read")};

} // namespace

TEST(FailureClassifier, AMountMissingAfterItPlayedIsComingBackButRefusedAccessNeverIs) {
    EXPECT_FALSE(classifyHttpStatus(404, false).transient);
    EXPECT_TRUE(classifyHttpStatus(404, true).transient);
    EXPECT_EQ(classifyHttpStatus(404, true).reason, "Not found (404)");
    for (const bool played : {false, true}) {
        EXPECT_FALSE(classifyHttpStatus(401, played).transient);
        EXPECT_FALSE(classifyHttpStatus(403, played).transient);
        EXPECT_TRUE(classifyHttpStatus(503, played).transient);
    }
    EXPECT_EQ(classifyHttpStatus(401, false).reason, "Access denied (401)");
    EXPECT_EQ(classifyHttpStatus(403, false).reason, "Forbidden (403)");
    EXPECT_EQ(classifyHttpStatus(502, false).reason, "Server error (502)");
    EXPECT_EQ(classifyHttpStatus(418, false).reason, "HTTP error 418");
}

TEST(FailureClassifier, TheServersStatusOutweighsTheSourcesOwnWords) {
    const auto verdict = classifyPipelineError(readError, remote(403, true));
    EXPECT_EQ(verdict.action, ErrorAction::Fail);
    EXPECT_EQ(verdict.failure.reason, "Forbidden (403)");
    EXPECT_FALSE(verdict.failure.transient);
    // A stream the pipeline refused keeps its own reason whatever the server said.
    const PipelineError unusable{PipelineErrorKind::Unusable, QStringLiteral("Refused: x")};
    const auto refused = classifyPipelineError(unusable, remote(404, true));
    EXPECT_EQ(refused.failure.reason, "Refused: x");
    EXPECT_FALSE(refused.failure.transient);
}

TEST(FailureClassifier, ARedirectOrTextWhereAudioWasExpectedIsReadOnceByThePlayersOwnFetch) {
    EXPECT_EQ(classifyPipelineError(readError, remote(302)).action, ErrorAction::ReadAsPlaylist);
    const PipelineError notAudio{PipelineErrorKind::NotAudio, QStringLiteral("no decoder")};
    EXPECT_EQ(classifyPipelineError(notAudio, remote(200)).action, ErrorAction::ReadAsPlaylist);
    ErrorContext file;
    file.localFile = true;
    EXPECT_EQ(classifyPipelineError(notAudio, file).action, ErrorAction::ReadAsPlaylist);

    ErrorContext fetched = remote(302);
    fetched.fetched = true;
    EXPECT_EQ(classifyPipelineError(readError, fetched).failure.reason,
              "Redirected to an address that does not play");
    fetched.httpStatus = 200;
    const auto verdict = classifyPipelineError(notAudio, fetched);
    EXPECT_EQ(verdict.action, ErrorAction::Fail);
    EXPECT_EQ(verdict.failure.reason, "Not an audio stream");
    EXPECT_FALSE(verdict.failure.transient);
}

TEST(FailureClassifier, NoConnectionMayMendAndIsDiagnosedUnlessHttpsAlreadyProbedIt) {
    const auto plain = classifyPipelineError(readError, remote(0));
    EXPECT_EQ(plain.action, ErrorAction::FailAndDiagnose);
    EXPECT_EQ(plain.failure.reason, "Could not connect to radio.invalid");
    EXPECT_TRUE(plain.failure.transient);
    ErrorContext secure = remote(0);
    secure.https = true;
    EXPECT_EQ(classifyPipelineError(readError, secure).action, ErrorAction::Fail);
}

TEST(FailureClassifier, MissingFilesAndStreamsAreFinalWhileCertificateTroubleNeverMends) {
    ErrorContext file;
    file.localFile = true;
    const PipelineError notFound{PipelineErrorKind::ResourceNotFound, QStringLiteral("x")};
    const PipelineError openRead{PipelineErrorKind::ResourceOpenRead, QStringLiteral("denied")};
    EXPECT_EQ(classifyPipelineError(notFound, file).failure.reason, "File not found");
    EXPECT_EQ(classifyPipelineError(openRead, file).failure.reason, "File not found");
    EXPECT_EQ(classifyPipelineError(notFound, remote(-1)).failure.reason, "Not found");
    // Away from a file, an unreadable resource is a read error like any other.
    EXPECT_EQ(classifyPipelineError(openRead, remote(-1)).failure.reason, "denied");
    EXPECT_TRUE(classifyPipelineError(openRead, remote(-1)).failure.transient);

    const PipelineError certificate{PipelineErrorKind::Other,
                                    QStringLiteral("Bad Certificate presented")};
    const PipelineError tls{PipelineErrorKind::Other, QStringLiteral("TLS handshake failed")};
    const PipelineError lowerTls{PipelineErrorKind::Other, QStringLiteral("tls read hiccup")};
    EXPECT_FALSE(classifyPipelineError(certificate, remote(-1)).failure.transient);
    EXPECT_FALSE(classifyPipelineError(tls, remote(-1)).failure.transient);
    EXPECT_TRUE(classifyPipelineError(lowerTls, remote(-1)).failure.transient);
    EXPECT_TRUE(classifyPipelineError(readError, remote(-1)).failure.transient);
}

TEST(FailureClassifier, AStartThatRunsOutOfTimeSaysWhyWithTheLastReasonIfAny) {
    const Failure none;
    const Failure last{QStringLiteral("Connection refused"), false};
    EXPECT_EQ(classifyStartTimeout(false, none, 30).reason,
              "The station did not start within 30 s");
    EXPECT_TRUE(classifyStartTimeout(false, none, 30).transient);
    EXPECT_EQ(classifyStartTimeout(false, last, 30).reason, "Connection refused");
    const Failure buffering = classifyStartTimeout(true, last, 30);
    EXPECT_EQ(buffering.reason, "The stream sends too little to start playing");
    EXPECT_FALSE(buffering.transient);
}
