#include "LogTestSupport.h"
#include "publishing/WebText.h"

#include <gtest/gtest.h>

TEST(WebText, EachPlaceGetsItsOwnEscaping)
{
    using namespace webtext;
    struct Case {
        const char* name;
        QString got, want;
    };
    const Case cases[] = {
        {"html text", Html("a<b>&\"c'"), "a&lt;b&gt;&amp;\"c'"},
        {"a marker line becomes part of one line", Html("x\n<!-- 1.0b -->\r\n"), "x &lt;!-- 1.0b --&gt;  "},
        {"attribute", HtmlAttribute("say \"hi\" & <go>"), "say &quot;hi&quot; &amp; &lt;go&gt;"},
        {"javascript string", JavaScriptString("it's \\ \"</script>\"&"),
         "it\\u0027s \\u005C \\u0022\\u003C/script\\u003E\\u0022\\u0026"},
        {"xml", Xml("<a href='x'>&\"</a>"), "&lt;a href=&#39;x&#39;&gt;&amp;&quot;&lt;/a&gt;"},
        {"xml drops characters XML forbids", Xml(QString("a") + QChar(0x1) + QChar(0xFFFE) + QChar(0xD800) + "b"),
         "a   b"},
        {"xml keeps a surrogate pair", Xml(QString::fromUtf8("\xF0\x9F\x9B\xB0")), QString::fromUtf8("\xF0\x9F\x9B\xB0")},
        {"address keeps its syntax", Url("http://host:8080/a b/c?x=1&y=%41#f"),
         "http://host:8080/a%20b/c?x=1&y=%41#f"},
        {"address quotes and brackets", Url(" http://h/\"<'>\xC3\xA5 "), "http://h/%22%3C%27%3E%C3%A5"},
        {"query value", UrlQueryValue("http://h/a b?c=d&e"), "http%3A%2F%2Fh%2Fa%20b%3Fc%3Dd%26e"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.want) << c.name;
}
