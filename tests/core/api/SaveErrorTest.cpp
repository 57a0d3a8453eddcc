#include "api/SaveError.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace murva {
namespace {

std::optional<SaveError> of(int status, const char *body)
{
    return saveErrorOf(status, QByteArray(body));
}

TEST(SaveErrorOfReply, UnauthorisedIsAlwaysSignIn)
{
    EXPECT_EQ(of(401, R"({"ok": true})"), SaveError::signIn);
    EXPECT_EQ(of(401, R"({"error": "notOnTeam"})"), SaveError::signIn);
    EXPECT_EQ(of(401, ""), SaveError::signIn);
}

TEST(SaveErrorOfReply, SuccessUnlessOkIsTheBooleanFalse)
{
    for (const char *body : {"", "not json", "[1, 2]", "{}", R"({"ok": "false"})", R"({"ok": true})",
                             R"({"ok": 0, "error": "tooBig"})"}) {
        EXPECT_EQ(of(200, body), std::nullopt) << body;
    }
    EXPECT_EQ(of(204, ""), std::nullopt);
    EXPECT_EQ(of(299, "{}"), std::nullopt);
    EXPECT_EQ(of(200, R"({"ok": false})"), SaveError::failed);
    EXPECT_EQ(of(200, R"({"ok": false, "error": "notUploaded"})"), SaveError::notUploaded);
}

TEST(SaveErrorOfReply, OtherStatusesTakeTheNamedKindButNeverOffline)
{
    EXPECT_EQ(of(403, R"({"error": "notOnTeam"})"), SaveError::notOnTeam);
    EXPECT_EQ(of(413, R"({"error": "tooBig"})"), SaveError::tooBig);
    EXPECT_EQ(of(426, R"({"ok": true, "error": "appNeedsUpdate"})"), SaveError::appNeedsUpdate);
    EXPECT_EQ(of(500, R"({"error": "offline"})"), SaveError::failed);
    EXPECT_EQ(of(400, R"({"error": "NotOnTeam"})"), SaveError::failed); // names are case-sensitive
    EXPECT_EQ(of(400, R"({"error": 7})"), SaveError::failed);
    EXPECT_EQ(of(404, ""), SaveError::failed);
    EXPECT_EQ(of(500, "<html>Internal Server Error</html>"), SaveError::failed);
    EXPECT_EQ(of(302, "{}"), SaveError::failed);
    // Status 0: a reply that is not HTTP.
    EXPECT_EQ(of(0, "{}"), SaveError::failed);
    EXPECT_EQ(of(0, R"({"error": "noCredits"})"), SaveError::noCredits);
}

TEST(SaveErrorOfTransfer, OnlyAMissingOrLostNetworkIsOffline)
{
    EXPECT_EQ(saveErrorOf(QNetworkReply::HostNotFoundError), SaveError::offline);
    EXPECT_EQ(saveErrorOf(QNetworkReply::RemoteHostClosedError), SaveError::offline); // lost mid-transfer
    EXPECT_EQ(saveErrorOf(QNetworkReply::ConnectionRefusedError), SaveError::failed); // the peer answered
    EXPECT_EQ(saveErrorOf(QNetworkReply::OperationCanceledError), SaveError::failed); // transfer time-out
    EXPECT_EQ(saveErrorOf(QNetworkReply::SslHandshakeFailedError), SaveError::failed);
}

TEST(SaveErrorOfThrown, KeepsSaveErrorsAndReadsNetworkFailures)
{
    EXPECT_EQ(saveErrorOf(std::make_exception_ptr(SaveError::tooLong)), SaveError::tooLong);
    EXPECT_EQ(saveErrorOf(std::make_exception_ptr(SaveError::offline)), SaveError::offline);
    EXPECT_EQ(saveErrorOf(std::make_exception_ptr(NetworkFailure(QNetworkReply::HostNotFoundError))),
              SaveError::offline);
    EXPECT_EQ(saveErrorOf(std::make_exception_ptr(NetworkFailure(QNetworkReply::ConnectionRefusedError))),
              SaveError::failed);
    EXPECT_EQ(saveErrorOf(std::make_exception_ptr(std::runtime_error("disk"))), SaveError::failed);
    EXPECT_EQ(saveErrorOf(std::make_exception_ptr(42)), SaveError::failed);
    EXPECT_EQ(saveErrorOf(std::exception_ptr()), SaveError::failed);
}

} // namespace
} // namespace murva
