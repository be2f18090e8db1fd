#include "ResourceManager.h"
#include "attribute_text.h"
#include "world_support.h"

#include <cfloat>
#include <string>
#include <vector>

using qv::Vector;

TEST(SerializeText, FreeTextWithoutSeparatorsIsWrittenAsItIs)
{
    for (const char *text : {"Hero", "(Undefined)", "qv-step", "100%", "a%2Cb", "%", "event_name[0]", "\x7f\xc3\xa9"})
    {
        EXPECT_EQ(qv::escapeText(text), text);
        EXPECT_EQ(qv::unescapeText(text), text);
    }
}

TEST(SerializeText, FreeTextWithSeparatorsIsEscapedBehindAColon)
{
    struct Case
    {
        std::string text;
        const char *escaped;
    };
    const Case cases[] = {{"Floor: 3", ":Floor%3A%203"},
                          {"a,b", ":a%2Cb"},
                          {"x,solidness:0", ":x%2Csolidness%3A0"},
                          {" padded ", ":%20padded%20"},
                          {"tab\there\nnext\r\v\f", ":tab%09here%0Anext%0D%0B%0C"},
                          {"50% off", ":50%25%20off"},
                          {std::string("nul\0byte", 8), ":nul%00byte"},
                          {":", ":%3A"},
                          {",", ":%2C"}};
    for (const Case &c : cases)
    {
        EXPECT_EQ(qv::escapeText(c.text), c.escaped);
        EXPECT_EQ(qv::unescapeText(c.escaped), c.text);
    }
}

TEST(SerializeText, UnescapingReadsAsTheParserDoesAndToleratesStrayPercents)
{
    struct Case
    {
        const char *verbatim;
        const char *text;
    };
    const Case cases[] = {{" He ro ", "Hero"}, {"a:b", "a"},      {"", ""},        {"::a%41", "aA"}, {": a%2", "a%2"},
                          {":%zz%4", "%zz%4"}, {":a%2cb", "a,b"}, {":a:%41", "a"}, {"::", ""}};
    for (const Case &c : cases)
        EXPECT_EQ(qv::unescapeText(c.verbatim), c.text) << c.verbatim;
}

TEST(SerializeText, VerbatimLookupFindsTheParsersItemsWithTheirBlanks)
{
    struct Case
    {
        std::string text;
        const char *key;
        bool found;
        const char *verbatim;
    };
    const Case cases[] = {{"path:1 2|3 4|,path_index:1,", "path", true, "1 2|3 4|"},
                          {"a:1,path: -1 2 |,", "path", true, " -1 2 |"},
                          {" pa th :x:y,", "path", true, "x:y"},
                          {"type::a%2Cb,", "type", true, ":a%2Cb"},
                          {"a:1,a:2,", "a", true, "1"},
                          {"a,", "a", true, ""},
                          {"::a:1,", "a", true, "1"},
                          {"b:1, \t,a:2,", "a", true, "2"},
                          {"b:1,:::,a:2,", "a", false, ""},
                          {std::string("b:1\0,a:2,", 9), "a", false, ""},
                          {"A:1,", "a", false, ""},
                          {"", "a", false, ""}};
    for (const Case &c : cases)
    {
        std::string verbatim;
        EXPECT_EQ(qv::matchVerbatim(c.text, c.key, &verbatim), c.found) << c.text;
        EXPECT_EQ(c.found ? verbatim : "", c.verbatim) << c.text;
    }
    // The parser's table is left as the last parse made it.
    EXPECT_EQ(qv::match("q:9,", "q"), "9");
    std::string ignored;
    qv::matchVerbatim("q:1,", "q", &ignored);
    EXPECT_EQ(qv::match("", "q"), "9");
}

TEST(SerializeText, FloatsAreHeldToTheirRange)
{
    EXPECT_EQ(qv::textToFloat("1e39"), FLT_MAX);
    EXPECT_EQ(qv::textToFloat("-1e39"), -FLT_MAX);
    EXPECT_EQ(qv::textToFloat(" -0.125x"), -0.125f);
    EXPECT_EQ(qv::textToFloat("abc"), 0);
}

class SerializeTextTest : public WorldTest
{
};

TEST_F(SerializeTextTest, TextValuesCannotSmuggleInKeys)
{
    qv::Object *p_o = new qv::Object;
    p_o->setType("x,solidness:2,pos-x:9,pos-y:9,");
    const std::string text = p_o->serialize("TYPE,");
    EXPECT_EQ(text, "type::x%2Csolidness%3A2%2Cpos-x%3A9%2Cpos-y%3A9%2C,");
    qv::Object *p_copy = new qv::Object;
    p_copy->deserialize(text);
    EXPECT_EQ(p_copy->getType(), "x,solidness:2,pos-x:9,pos-y:9,");
    EXPECT_EQ(p_copy->getSolidness(), qv::HARD);
    EXPECT_EQ(p_copy->getPosition(), Vector(1, 1));
    // Even a reader that only parses sees a single item.
    EXPECT_EQ(qv::match(text, "solidness"), "");
}

TEST_F(SerializeTextTest, TextsAsThePartWritesThemReadTheSame)
{
    struct Case
    {
        const char *text;
        const char *type;
    };
    const Case cases[] = {{"type:Hero,", "Hero"}, {"type: He ro ,", "Hero"}, {"type:a:b,", "a"},
                          {"type:100%,", "100%"}, {"type:%2C,", "%2C"},      {"pos-x:1,", "(Undefined)"}};
    for (const Case &c : cases)
    {
        qv::Object *p_o = new qv::Object;
        p_o->deserialize(c.text);
        EXPECT_EQ(p_o->getType(), c.type) << c.text;
    }
}

TEST_F(SerializeTextTest, EmptyTypeReadsBackEmpty)
{
    qv::Object *p_o = new qv::Object;
    p_o->setType("");
    EXPECT_EQ(p_o->serialize("TYPE,"), "type:,");
    qv::Object *p_copy = new qv::Object;
    p_copy->deserialize("type:,");
    EXPECT_EQ(p_copy->getType(), "");
}

TEST_F(SerializeTextTest, EventNamesAndSpriteLabelsKeepTheirSeparators)
{
    const std::string file = writeFile("s.txt", "<HEADER>\nframes 1\nwidth 1\nheight 1\n</HEADER>\n<BODY>\n@\nend\n"
                                                "</BODY>\n<FOOTER>\nversion 1\n</FOOTER>\n");
    ASSERT_EQ(qv::ResourceManager::getInstance().loadSprite(file, "gem: blue"), 0);
    qv::Object *p_o = new qv::Object;
    ASSERT_EQ(p_o->registerInterest("door:open, now"), 0);
    ASSERT_EQ(p_o->setSprite("gem: blue"), 0);
    const std::string text = p_o->serialize("EVENTS,ANIMATION,");
    EXPECT_EQ(text, "event_count:1,event_name[0]::door%3Aopen%2C%20now,sprite_name::gem%3A%20blue,sprite_index:0,"
                    "sprite_slowdown_count:0,");
    qv::Object *p_copy = new qv::Object;
    p_copy->deserialize(text);
    EXPECT_EQ(p_copy->serialize("EVENTS,ANIMATION,"), text);
    EXPECT_EQ(p_copy->getAnimation().getSprite(), qv::ResourceManager::getInstance().getSprite("gem: blue"));
}

TEST_F(SerializeTextTest, UnknownSpriteIsReportedAsWritten)
{
    qv::Object *p_o = new qv::Object;
    p_o->deserialize("sprite_name::no%0Asuch,");
    EXPECT_TRUE(logHas("Animation::Match(): Sprite ':no%0Asuch' not found"));
    EXPECT_EQ(p_o->getAnimation().getName(), "no\nsuch");
    EXPECT_EQ(p_o->getAnimation().getSprite(), nullptr);
}

TEST_F(SerializeTextTest, PathReadsBackNodeForNode)
{
    struct Case
    {
        std::vector<Vector> nodes;
        int index;
        const char *text;
    };
    const Case cases[] = {
        {{Vector(1, 2), Vector(3, 4)}, 1, "path:1 2|3 4|,path_index:1,"},
        {{Vector(-1.5f, 2.25f), Vector(0, -0.125f)}, 0, "path:-1.5 2.25|0 -0.125|,path_index:0,"},
        {{Vector(12, 34)}, 1, "path:12 34|,path_index:1,"},
        {{Vector(1e-05f, 123456)}, 0, "path:1e-05 123456|,path_index:0,"},
        {{}, 0, "path:,path_index:0,"},
    };
    for (const Case &c : cases)
    {
        qv::Object *p_o = new qv::Object;
        qv::Path path(c.nodes);
        for (int i = 0; i < c.index; i++)
            path.next();
        p_o->setPath(path);
        const std::string text = p_o->serialize("PATH,");
        EXPECT_EQ(text, c.text);
        qv::Object *p_copy = new qv::Object;
        p_copy->setPath(qv::Path({Vector(7, 7)}));
        p_copy->deserialize(text);
        EXPECT_EQ(p_copy->getPath().getNodes(), c.nodes) << c.text;
        EXPECT_EQ(p_copy->getPath().getIndex(), c.index) << c.text;
    }
}

TEST_F(SerializeTextTest, PathNodesMayBeSpacedFreely)
{
    qv::Object *p_o = new qv::Object;
    p_o->deserialize("path: 1\t2 |\n-3   4|,");
    EXPECT_EQ(p_o->getPath().getNodes(), (std::vector<Vector>{Vector(1, 2), Vector(-3, 4)}));
}

TEST_F(SerializeTextTest, MalformedNodeEndsThePath)
{
    qv::Object *p_o = new qv::Object;
    p_o->deserialize("path:1 2|34|5 6|,path_index:1,");
    EXPECT_EQ(p_o->getPath().getNodes(), (std::vector<Vector>{Vector(1, 2)}));
    EXPECT_TRUE(containsInOrder(logMessages(), {"Object::deserialize(): malformed node 34|5 6|.", "\tNot added."}));
    EXPECT_EQ(p_o->getPath().getIndex(), 1);
}

TEST_F(SerializeTextTest, PathIndexOutsideThePathIsRefused)
{
    qv::Object *p_o = new qv::Object;
    p_o->deserialize("path:1 2|3 4|,path_index:3,");
    EXPECT_TRUE(logHas("Object::deserialize(): path_index 3 not in range [0,2].  Ignored."));
    EXPECT_EQ(p_o->getPath().getIndex(), 0);
    p_o->deserialize("path_index:-1,");
    EXPECT_TRUE(logHas("Object::deserialize(): path_index -1 not in range [0,2].  Ignored."));
}
