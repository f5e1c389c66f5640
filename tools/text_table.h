// Aligned text tables and fill bars for the human-readable reports.
#ifndef QMR_TOOLS_TEXT_TABLE_H
#define QMR_TOOLS_TEXT_TABLE_H

#include <string>
#include <vector>

class TextTable {
 public:
  // Column titles; a title starting with '>' is right-aligned (the '>' is
  // not printed).
  explicit TextTable(std::vector<std::string> titles);
  void add_row(std::vector<std::string> cells);
  bool empty() const { return m_rows.empty(); }
  // The table indented by two spaces, one line per row, no trailing blanks.
  std::string render() const;

 private:
  std::vector<std::string> m_titles;
  std::vector<bool> m_right;
  std::vector<std::vector<std::string>> m_rows;
};

// Display width of a UTF-8 text (one column per code point).
size_t display_width(const std::string &text);
// "[#######.............]" for 0..100 percent; `width` inner characters.
std::string fill_bar(int percent, int width = 20);
// Percent rounded to nearest, or -1 when it cannot be computed.
int percent_of(long long level, long long maximum);

// The bounded text of a fixed-size record field; a device text may fill
// it to the last byte.
std::string field_text(const char *field, size_t size);
#define QMR_FIELD(record, member) field_text((record).member, sizeof((record).member))

#endif  // QMR_TOOLS_TEXT_TABLE_H
