#include "api/SaveError.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace murva {
namespace {

// 401 is always a sign-in; other 2xx replies succeed unless "ok" is the boolean false;
// other statuses take the named kind, never offline.
TEST(SaveErrorOfReply, StatusAndBody)
{
    const struct {
        int status;
        const char *body;
        std::optional<SaveError> expected;
    } cases[] = {
        {401, R"({"ok": true})", SaveError::signIn}, {401, R"({"error": "notOnTeam"})", SaveError::signIn},
        {401, "", SaveError::signIn},
        {200, "", std::nullopt}, {200, "not json", std::nullopt}, {200, "[1, 2]", std::nullopt},
        {200, "{}", std::nullopt}, {200, R"({"ok": "false"})", std::nullopt}, {200, R"({"ok": true})", std::nullopt},
        {200, R"({"ok": 0, "error": "tooBig"})", std::nullopt}, {204, "", std::nullopt}, {299, "{}", std::nullopt},
        {200, R"({"ok": false})", SaveError::failed},
        {200, R"({"ok": false, "error": "notUploaded"})", SaveError::notUploaded},
        {403, R"({"error": "notOnTeam"})", SaveError::notOnTeam}, {413, R"({"error": "tooBig"})", SaveError::tooBig},
        {426, R"({"ok": true, "error": "appNeedsUpdate"})", SaveError::appNeedsUpdate},
        {500, R"({"error": "offline"})", SaveError::failed},
        {400, R"({"error": "NotOnTeam"})", SaveError::failed}, // names are case-sensitive
        {400, R"({"error": 7})", SaveError::failed}, {404, "", SaveError::failed},
        {500, "<html>Internal Server Error</html>", SaveError::failed}, {302, "{}", SaveError::failed},
        // Status 0: a reply that is not HTTP.
        {0, "{}", SaveError::failed}, {0, R"({"error": "noCredits"})", SaveError::noCredits},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(saveErrorOf(c.status, QByteArray(c.body)), c.expected) << c.status << " " << c.body;
    }
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
