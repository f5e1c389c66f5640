// A small streaming JSON writer: one document, commas and escaping handled
// here so that the commands only say what goes where.
#ifndef QMR_TOOLS_JSON_WRITER_H
#define QMR_TOOLS_JSON_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

class JsonWriter {
 public:
  void begin_object();
  void end_object();
  void begin_array();
  void end_array();
  // The name of the next member inside an object.
  JsonWriter &key(const char *name);
  void string(const char *text);
  void string(const std::string &text) { string(text.c_str()); }
  void number(int64_t value);
  void boolean(bool value);
  void null();

  // The document so far, ending with a line end once it is complete.
  std::string text() const;

  // `text` as a quoted JSON string: quotes, backslashes and control
  // characters escaped; bytes that are not valid UTF-8 become U+FFFD so that
  // printer texts in other character sets still give a valid document.
  static std::string quote(const char *text);

 private:
  void before_value();

  std::string m_out;
  // One entry per open container: true once it holds a member.
  std::vector<bool> m_filled;
  bool m_after_key = false;
};

#endif  // QMR_TOOLS_JSON_WRITER_H
