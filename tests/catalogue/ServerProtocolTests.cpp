#include <gtest/gtest.h>

#include "catalogue/ReplyEnvelope.h"
#include "catalogue/ServerRequest.h"
#include "localisation/Languages.h"
#include "readers/XmlReading.h"
#include "services/ProgramValues.h"

TEST (ServerRequest, EscapesEveryByteButLettersDigitsAndMarks)
{
    struct Case
    {
        const char* value;
        const char* escaped;
    };

    const Case cases[] = {
        { "a b", "a%20b" },
        { "me+you@example.com", "me%2byou%40example.com" },
        { "tab\there", "tab%09here" },
        { "_-.*!'()", "_-.*!'()" },
        { "~", "%7e" },
        { "AZaz09", "AZaz09" },
        { "/?&=#%", "%2f%3f%26%3d%23%25" },
        { "\n", "%0a" },
        { "\xc3\xb1", "%c3%b1" },        // n with tilde, as UTF-8
        { "\xe2\x82\xac", "%e2%82%ac" }, // euro sign
        { "", "" },
    };

    for (auto& c : cases)
        EXPECT_EQ (ServerRequest::escapeValue (juce::String::fromUTF8 (c.value)), c.escaped) << c.value;
}

TEST (ServerRequest, BuildsTheTextInParameterOrder)
{
    auto request = ServerRequest ("REQUEST_LICENCE")
                       .withParameter ("email", "a b+c@d.e")
                       .withParameter ("password", "");

    EXPECT_EQ (request.getRequestText(),
               serverRequestUrl + "?ACTION=REQUEST_LICENCE&email=a%20b%2bc%40d.e&password=");
    EXPECT_EQ (request.getFormBody(), "ACTION=REQUEST_LICENCE&email=a%20b%2bc%40d.e&password=");
    EXPECT_EQ (ServerRequest ("REQUEST_COMPONENTS").getRequestText(), serverRequestUrl + "?ACTION=REQUEST_COMPONENTS");

    // The address is kept exactly, not re-parsed into parameters.
    auto url = ServerRequest::makeUrl (request.getRequestText());
    EXPECT_EQ (url.toString (true), request.getRequestText());
    EXPECT_TRUE (url.getParameterNames().isEmpty());
}

TEST (ReplyEnvelope, NamesIgnoreCaseValuesDoNot)
{
    struct Case
    {
        const char* reply;
        ReplyEnvelope::Outcome outcome;
        int login;
    };

    using O = ReplyEnvelope::Outcome;
    const Case cases[] = {
        { "<quordata response=\"OK\"/>", O::ok, 0 },
        { "<QUORDATA RESPONSE=\"OK\"><user id=\"1\"/></QUORDATA>", O::ok, 0 },
        { "<QuorData Response=\"OK\"></QuorData>", O::ok, 0 },
        { "<quordata response=\"ok\"/>", O::unexpected, 2 },
        { "<quordata response=\"ERROR\"><error>INVALID_EMAIL</error></quordata>", O::refused, 2 },
        { "<quordata/>", O::unexpected, 2 },
        { "<quordata response=\" OK\"/>", O::unexpected, 2 },
        { "<other response=\"OK\"/>", O::unexpected, 1 },
        { "not xml", O::noReply, 1 },
        { "", O::noReply, 1 },
    };

    for (auto& c : cases)
    {
        auto root = XmlReading::parse (c.reply);
        EXPECT_EQ (ReplyEnvelope::check (root.get()), c.outcome) << c.reply;
        EXPECT_EQ (parseLoginReply (root.get()), c.login) << c.reply;
    }
}

TEST (ReplyEnvelope, ErrorMessageListsEveryErrorLookedUp)
{
    setLanguage (0);
    auto root = XmlReading::parse ("<quordata response=\"ERROR\">"
                                   "<error>INVALID_EMAIL</error>"
                                   "<ERROR>Plain <b>words</b></ERROR>"
                                   "<note>skipped</note>"
                                   "<error>PASSWORD_MISMATCH</error>"
                                   "</quordata>");
    ASSERT_NE (root, nullptr);

    EXPECT_EQ (ReplyEnvelope::buildErrorMessage (*root),
               TRANS ("MSG_REGISTRATION_ERRORS_TEXT") + "\n\n"
                   + TRANS ("INVALID_EMAIL") + "\n\n"
                   + "Plain words\n\n"
                   + TRANS ("PASSWORD_MISMATCH") + "\n\n");
    EXPECT_NE (TRANS ("INVALID_EMAIL"), "INVALID_EMAIL");

    auto empty = XmlReading::parse ("<quordata response=\"ERROR\"/>");
    EXPECT_EQ (ReplyEnvelope::buildErrorMessage (*empty), TRANS ("MSG_REGISTRATION_ERRORS_TEXT") + "\n\n");
}
