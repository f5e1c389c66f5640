// The command's JSON writer, read back by an independent parser.
#include <gtest/gtest.h>

#include "cli_runner.h"
#include "json_writer.h"

TEST(JsonWriterTest, EscapesEveryTextIntoAValidDocument) {
  const std::string texts[] = {
      "plain",
      "quote \" and backslash \\",
      "line\nbreak\ttab\r\b\f",
      std::string("control \x01\x1f\x7f end"),
      "caf\xc3\xa9 \xe2\x80\x93 \xf0\x9f\x96\xa8",  // valid UTF-8 stays as it is
      "",
  };
  JsonWriter json;
  json.begin_object();
  json.key("texts").begin_array();
  for (const std::string &t : texts) json.string(t);
  json.end_array();
  json.key("we\"ird key").number(-2147483648LL);
  json.key("nested").begin_object();
  json.key("empty").begin_array();
  json.end_array();
  json.key("flag").boolean(false);
  json.key("none").null();
  json.end_object();
  json.end_object();
  const FlatJson flat = flatten_json(json.text());
  ASSERT_FALSE(flat.empty()) << json.text();
  ASSERT_EQ("[6]", flat.at("texts"));
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(json_string_leaf(texts[i]), flat.at("texts." + std::to_string(i))) << i;
  EXPECT_EQ("-2147483648", flat.at("we\"ird key"));
  EXPECT_EQ("[0]", flat.at("nested.empty"));
  EXPECT_EQ("false", flat.at("nested.flag"));
  EXPECT_EQ("null", flat.at("nested.none"));
  EXPECT_EQ('\n', json.text().back());
}

TEST(JsonWriterTest, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  // Latin-1 printer texts, a cut sequence, an overlong form and a surrogate.
  const struct {
    const char *raw;
    const char *expected;
  } cases[] = {
      {"Bo\xeete", "Bo\xef\xbf\xbdte"},
      {"cut \xe2\x80", "cut \xef\xbf\xbd\xef\xbf\xbd"},
      {"over \xc0\xaf", "over \xef\xbf\xbd\xef\xbf\xbd"},
      {"sur \xed\xa0\x80", "sur \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
  };
  for (const auto &c : cases) {
    JsonWriter json;
    json.begin_array();
    json.string(c.raw);
    json.end_array();
    const FlatJson flat = flatten_json(json.text());
    ASSERT_FALSE(flat.empty()) << json.text();
    EXPECT_EQ(json_string_leaf(c.expected), flat.at("0")) << c.raw;
  }
}
