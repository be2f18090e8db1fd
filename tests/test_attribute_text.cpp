#include "Config.h"
#include "LogManager.h"
#include "attribute_text.h"
#include "test_support.h"

#include <climits>
#include <string>
#include <vector>

TEST(AttributeText, MatchFindsTheValueOfAKey)
{
    struct Case
    {
        const char *text;
        const char *key;
        const char *value;
    };
    const Case cases[] = {{"a:1,b:2,", "b", "2"},    {"a:1,b:2,", "a", "1"},
                          {"a:1,b:2,", "c", ""},     {"a:1,b:2", "b", "2"},
                          {"a: 1 , b:2,", "a", "1"}, {" a\t:\n1\r,", "a", "1"},
                          {"a:1:9,", "a", "1"},      {"a,", "a", ""},
                          {"a:1,a:2,", "a", "1"},    {"::a:1,", "a", "1"},
                          {"a::1,", "a", "1"},       {",,a:1,,,b:2,,", "b", "2"},
                          {"A:1,", "a", ""},         {"key:va lue,", "key", "value"},
                          {"a:1,", "", ""},          {"x:-3.5e2,", "x", "-3.5e2"}};
    for (const Case &c : cases)
        EXPECT_EQ(qv::match(c.text, c.key), c.value) << c.text << " / " << c.key;
}

TEST(AttributeText, EmptyTextLooksUpTheLastParse)
{
    EXPECT_EQ(qv::match("", "b"), "");
    EXPECT_EQ(qv::match("a:1,b:2,", "a"), "1");
    EXPECT_EQ(qv::match("", "b"), "2");
    EXPECT_EQ(qv::match("", "a"), "1");
    // Any parse replaces the table for everyone.
    EXPECT_EQ(qv::match("c:3,", "c"), "3");
    EXPECT_EQ(qv::match("", "a"), "");
    // Text of blanks only is not empty: it parses to nothing.
    EXPECT_EQ(qv::match("  \n", "c"), "");
    EXPECT_EQ(qv::match("", "c"), "");
}

TEST(AttributeText, EntryWithoutAKeyEndsTheParse)
{
    EXPECT_EQ(qv::match("a:1,:::,b:2,", "a"), "1");
    EXPECT_EQ(qv::match("", "b"), "");
}

class AttributeTextTrace : public EngineTest
{
};

TEST_F(AttributeTextTrace, TracesTheParseAtLevels25And28)
{
    qv::Config::getInstance().loadConfig("");
    ASSERT_EQ(qv::LogManager::getInstance().startUp(), 0);
    qv::match(",,,", "a");
    qv::match("a:1", "b");
    EXPECT_TRUE(logMessages().empty());

    qv::LogManager::getInstance().setLogLevel(25);
    EXPECT_EQ(qv::match(",,,", "a"), "");
    EXPECT_EQ(qv::match("a:1,b,", "b"), "");
    EXPECT_EQ(logMessages(),
              (std::vector<std::string>{"match(\",,,\", \"a\")", "match(): number of elements allocated is 4",
                                        "match(): parsed.", "match(): Looking for match 'a' among 0 items.",
                                        "match(\"a:1,b,\", \"b\")", "match(): number of elements allocated is 3",
                                        "\titem number 0", "\tkey a", "\tval 1", "\titem number 1", "\tkey b", "\tval ",
                                        "match(): parsed.", "match(): Looking for match 'b' among 2 items."}));

    qv::LogManager::getInstance().setLogLevel(28);
    qv::match("", "b");
    EXPECT_TRUE(containsInOrder(logMessages(), {"match(\"\", \"b\")", "match(): Looking for match 'b' among 2 items.",
                                                "match(): 0: a == b?", "match(): 1: b == b?"}));
}

TEST(AttributeText, NumbersAndTruthToText)
{
    EXPECT_EQ(qv::toString(0), "0");
    EXPECT_EQ(qv::toString(42), "42");
    EXPECT_EQ(qv::toString(-7), "-7");
    EXPECT_EQ(qv::toString(INT_MIN), "-2147483648");
    EXPECT_EQ(qv::toString(INT_MAX), "2147483647");

    const std::pair<float, const char *> floats[] = {
        {1.5f, "1.5"},       {2.0f, "2"},         {0.1f, "0.1"},         {1250000.0f, "1.25e+06"},
        {-0.25f, "-0.25"},   {0.0f, "0"},         {123456.0f, "123456"}, {1234567.0f, "1.23457e+06"},
        {0.0001f, "0.0001"}, {0.00001f, "1e-05"}, {0.33f, "0.33"},       {640.5f, "640.5"}};
    for (const auto &[value, text] : floats)
        EXPECT_EQ(qv::toString(value), text);

    EXPECT_EQ(qv::toString(true), "true");
    EXPECT_EQ(qv::toString(false), "false");
}

TEST(AttributeText, WrittenValuesReadBack)
{
    const std::string text =
        "x:" + qv::toString(3.25f) + ",solid:" + qv::toString(true) + ",id:" + qv::toString(-12) + ",";
    EXPECT_EQ(qv::match(text, "x"), "3.25");
    EXPECT_EQ(qv::match("", "solid"), "true");
    EXPECT_EQ(qv::match("", "id"), "-12");
}
